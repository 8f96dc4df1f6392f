#include "record.h"

#include <utility>
#include <vector>

#include "captions.h"

#ifndef KESTRIN_VERSION
#error "KESTRIN_VERSION must be defined (the build passes the project's version)"
#endif

namespace {

const char *Pick(const char *const *texts, int count, int index) {
  return texts[index < 0 ? 0 : index >= count ? count - 1 : index];
}

// "caption：item" of the item picked in a choice group.
std::string Chosen(const TChoiceGroup &group, int index) {
  return std::string(group.Caption) + "：" + Pick(group.Items, 2, index);
}

std::string DateText(const TRecordDate &d) {
  return CountToText(d.Year) + "年" + CountToText(d.Month) + "月" + CountToText(d.Day) + "日";
}

std::string ClassReason(const TCalcRecord &r) {
  std::string name = Pick(ClassNames, 3, r.Calc.SourceClass());
  if (!r.Choices)
    return name + "类（直接给定）。";
  const TClassChoices &c = *r.Choices;
  std::string reason = Chosen(OtherChoices, c.Other) + "；" +
                       (c.Other == 0 ? Chosen(ThreeChoices, c.Three) : Chosen(QSChoices, c.QS));
  return name + "类。依据：" + reason + "。";
}

std::vector<std::vector<std::string>> InputRows(const TCalcRecord &r) {
  const TKestrin &k = r.Calc;
  std::vector<std::vector<std::string>> rows = {
      {"参数", "符号", "数值", "单位"},
      {std::string("有害气体无组织排放源所在生产单元占地面积") +
           (r.RadiusGiven ? "（由 r 求得，S = π·r²）" : ""),
       "S", r.AreaText, "m²"},
      {std::string("有害气体无组织排放源所在生产单元等效半径") +
           (r.RadiusGiven ? "" : "（由 S 求得，r = √(S/π)）"),
       "r", r.RadiusText, "m"},
      {"标准浓度限值", "Cm", ValueToText(k.Cm()), "mg/m³(N)"},
      {"近五年平均风速", "V", ValueToText(k.WindSpeed()), "m/s"},
  };
  if (r.Direction == TDirection::Distance)
    rows.push_back({"工业企业有害气体无组织排放强度", "Qe", ValueToText(k.Qe()), "kg/h"});
  else
    rows.push_back({"工业企业卫生防护距离", "L", ValueToText(k.Distance()), "m"});
  return rows;
}

std::vector<TBlock> Bands(const TCalcRecord &r) {
  const TKestrin &k = r.Calc;
  std::string windBand = std::string("风速分档：") + Pick(WindBandRanges, 3, k.WindBand()) +
                         "（V = " + ValueToText(k.WindSpeed()) + " m/s；B、C、D 按 " +
                         Pick(WindFlagRanges, 2, k.WindFlag()) + " 取值）。";
  std::string distanceBand =
      std::string("距离分档：") + Pick(DistanceBandRanges, 3, k.DistanceBand());
  distanceBand += r.Direction == TDirection::Distance
                      ? "（按各档边界处模型排放量与 Qe 的比较确定）。"
                      : "（按 L = " + ValueToText(k.Distance()) + " m 确定）。";
  return {
      {TBlock::Paragraph, windBand, {}, {}},
      {TBlock::Paragraph, distanceBand, {}, {}},
      {TBlock::Table,
       {},
       {},
       {{"计算系数", "系数值"},
        {"A", ValueToText(k.A())},
        {"B", ValueToText(k.B())},
        {"C", ValueToText(k.C())},
        {"D", ValueToText(k.D())}}},
  };
}

std::vector<std::vector<std::string>> ResultRows(const TCalcRecord &r) {
  const TKestrin &k = r.Calc;
  std::vector<std::vector<std::string>> rows = {{"项目", "数值", "单位"}};
  if (r.Direction == TDirection::Emission) {
    rows.push_back({"L = " + ValueToText(k.Distance()) + " m 处允许的无组织排放强度 Qe",
                    ValueToText(k.Qe()), "kg/h"});
    rows.push_back({"卫生防护距离(级差确定值) L", ValueToText(k.GradedDistance()), "m"});
    return rows;
  }
  rows.push_back({"卫生防护距离(公式计算值) L", ValueToText(k.Distance()), "m"});
  rows.push_back({"卫生防护距离(级差确定值) L", ValueToText(k.GradedDistance()), "m"});
  rows.push_back({"迭代次数", CountToText(k.Iterations()), ""});
  rows.push_back({"相对容差", ValueToText(k.Tolerance()), ""});
  if (r.Check.Done)
    rows.push_back({"级差确定值 L = " + ValueToText(k.GradedDistance()) + " m 处允许的排放强度",
                    ValueToText(r.Check.AllowedQe), "kg/h"});
  return rows;
}

std::vector<TBlock> Blocks(const TCalcRecord &r) {
  const bool distance = r.Direction == TDirection::Distance;
  std::vector<TBlock> blocks = {
      {TBlock::Heading, "卫生防护距离计算书", {}, {}},
      {TBlock::Paragraph, RecordByline(r.Date), {}, {}},
      {TBlock::Paragraph,
       distance ? "计算内容：由无组织排放强度 Qe 计算卫生防护距离 L。"
                : "计算内容：由卫生防护距离 L 计算允许的无组织排放强度 Qe。",
       {},
       {}},
      {TBlock::Heading, "一、输入参数", {}, {}},
      {TBlock::Table, {}, {}, InputRows(r)},
      {TBlock::Heading, "二、污染源构成类别", {}, {}},
      {TBlock::Paragraph, ClassReason(r), {}, {}},
      {TBlock::Heading, "三、计算系数", {}, {}},
  };
  for (TBlock &b : Bands(r))
    blocks.push_back(std::move(b));
  blocks.push_back({TBlock::Heading, "四、计算公式", {}, {}});
  blocks.push_back({TBlock::Formula, ModelFormulaText, ModelFormulaHtml, {}});
  std::string where = "式中 Qc = Qe，为有害气体无组织排放量（kg/h）；Cm 为标准浓度限值（mg/m³）；"
                      "r² = S/π。";
  where += distance ? "L 由迭代搜索求得：模型排放量与 Qe 的相对误差不大于 " +
                          ValueToText(r.Calc.Tolerance()) +
                          " 时停止；再按级差（50 m、100 m、200 m）向上取整。"
                    : "Qe 为上式在 L 处的值。";
  blocks.push_back({TBlock::Paragraph, where, {}, {}});
  blocks.push_back({TBlock::Heading, "五、计算结果", {}, {}});
  blocks.push_back({TBlock::Table, {}, {}, ResultRows(r)});
  if (distance) {
    std::string note = GradeCheckNote(r.Calc, r.Check);
    if (!note.empty())
      blocks.push_back({TBlock::Paragraph, note, {}, {}});
  }
  return blocks;
}

} // namespace

TGradeCheck CheckGradedDistance(const TKestrin &calc) {
  TGradeCheck check;
  // Only the check can fail here; the computation it checks stands.
  check.Done = CatchFailure(
      [&] {
        check.AllowedQe = calc.EmissionAtDistance(calc.GradedDistance());
        check.Holds = !(check.AllowedQe < calc.Qe());
        if (!check.Holds)
          check.NextStep = NextGrade(calc.GradedDistance());
      },
      [&check](const Exception &e) { check.Message = e.Message(); });
  return check;
}

std::string GradeCheckNote(const TKestrin &calc, const TGradeCheck &check) {
  const std::string graded = ValueToText(calc.GradedDistance());
  if (!check.Done)
    return "注意：级差确定值 " + graded + " m 处允许的排放强度无法计算（" + check.Message + "）。";
  if (check.Holds)
    return {};
  return "注意：级差确定值 " + graded + " m 处模型允许的排放强度为 " +
         ValueToText(check.AllowedQe) + " kg/h，小于 Qe = " + ValueToText(calc.Qe()) +
         " kg/h，即级差确定值不能满足 Qe；可能应取下一级差 " + ValueToText(check.NextStep) + " m。";
}

TCalcRecord MakeRecord(const TKestrin &calc, TDirection direction,
                       std::optional<TClassChoices> choices, TRecordDate date) {
  TCalcRecord record;
  record.Direction = direction;
  record.Calc = calc;
  record.Choices = choices;
  record.Date = date;
  record.AreaText = ValueToText(calc.Area());
  record.RadiusText = ValueToText(calc.Radius());
  if (direction == TDirection::Distance)
    record.Check = CheckGradedDistance(calc);
  return record;
}

std::string RecordByline(const TRecordDate &date) {
  return "计算日期：" + DateText(date) + "；计算程序：Kestrin 卫生防护距离 " KESTRIN_VERSION "。";
}

std::string QuotedInput(const std::string &text) {
  const double value = StoreDouble(TextToValue(text));
  const std::string quoted = ValueToText(value);
  bool readsBack = false;
  // Near the largest double the 15 digits round past it and do not read at all.
  CatchFailure([&] { readsBack = StoreDouble(TextToValue(quoted)) == value; },
               [](const Exception &) {});
  return readsBack ? quoted : text;
}

void QuoteGivenSize(TCalcRecord &record, bool radius, const std::string &text) {
  record.RadiusGiven = radius;
  record.AreaText = radius ? ValueToText(record.Calc.Area()) : QuotedInput(text);
  record.RadiusText = radius ? QuotedInput(text) : ValueToText(record.Calc.Radius());
}

std::string RecordMarkdown(const TCalcRecord &record) {
  return BlocksMarkdown(Blocks(record));
}

std::string RecordHtml(const TCalcRecord &record) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
         "<title>卫生防护距离计算书</title></head>\n<body>\n" +
         BlocksHtml(Blocks(record)) + "</body>\n</html>\n";
}
