#include "plantreport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "captions.h"
#include "figure.h"
#include "json.h"

namespace {

// The report as a document: the HTML and the Markdown walk the same blocks.
const char *const Dash = "—";

std::string Join(const std::vector<std::string> &texts, const char *separator) {
  std::string out;
  for (const std::string &text : texts)
    out += (out.empty() ? "" : separator) + text;
  return out;
}

// "第 12 行（车间A · 甲苯）"
std::string RowName(const TReportRow &row) {
  return "第 " + std::to_string(row.Line) + " 行（" + row.Unit + " · " + row.Pollutant + "）";
}

TTableRows TableARows() {
  TTableRows rows = {{"距离分档", "风速分档", "A（Ⅰ类）", "A（Ⅱ类）", "A（Ⅲ类）"}};
  for (int band = 0; band < 3; ++band)
    for (int wind = 0; wind < 3; ++wind) {
      std::vector<std::string> row = {DistanceBandRanges[band], WindBandRanges[wind]};
      for (int sourceClass = 0; sourceClass < 3; ++sourceClass)
        row.push_back(ValueToText(TableA[band][wind][sourceClass]));
      rows.push_back(std::move(row));
    }
  return rows;
}

TTableRows TableBCDRows() {
  TTableRows rows = {{"距离分档", "B（V < 2 m/s）", "B（V ≥ 2 m/s）", "C（V < 2 m/s）",
                      "C（V ≥ 2 m/s）", "D（V < 2 m/s）", "D（V ≥ 2 m/s）"}};
  for (int band = 0; band < 3; ++band)
    rows.push_back({DistanceBandRanges[band], ValueToText(TableB[band][0]),
                    ValueToText(TableB[band][1]), ValueToText(TableC[band][0]),
                    ValueToText(TableC[band][1]), ValueToText(TableD[band][0]),
                    ValueToText(TableD[band][1])});
  return rows;
}

std::vector<TBlock> Method(const TReportOptions &options) {
  const std::string tolerance = ValueToText(TKestrin().Tolerance());
  return {
      {TBlock::Heading, "一、计算方法", {}, {}},
      {TBlock::Paragraph,
       options.Basis.empty()
           ? "各生产单元的卫生防护距离按有害气体无组织排放的计算模式逐种污染物计算，再按单元汇总。"
           : options.Basis,
       {},
       {}},
      {TBlock::Formula, ModelFormulaText, ModelFormulaHtml, {}},
      {TBlock::Paragraph,
       "式中 Qc = Qe，为有害气体无组织排放量（kg/h）；Cm 为标准浓度限值（mg/m³）；r "
       "为生产单元的等效半径"
       "（m），r² = S/π，S 为生产单元占地面积（m²）；L 为卫生防护距离（m）；A、B、C、D "
       "为计算系数，按近五年"
       "平均风速 V、L 所在的距离分档和污染源构成类别取下表之值。",
       {},
       {}},
      {TBlock::Table, {}, {}, TableARows()},
      {TBlock::Table, {}, {}, TableBCDRows()},
      {TBlock::Paragraph,
       "计算步骤：（1）确定距离分档：依次以 1000 m 和 2000 m 处按该档系数计算的模型排放量与 Qe "
       "比较；"
       "（2）按风速、距离分档和类别查取 A、B、C、D；（3）迭代搜索 L，直至模型排放量与 Qe "
       "的相对误差不大于 " +
           tolerance +
           "；（4）L 按级差向上取整：" + GradingRuleText + "。",
       {},
       {}},
  };
}

} // namespace

TTableRows RowTable(const std::vector<TReportRow> &rows, int digits) {
  TTableRows table = {{"生产单元", "污染物", "S (m²)", "Cm (mg/m³)", "Qe (kg/h)", "V (m/s)", "类别",
                       "A", "B", "C", "D", "L 计算值 (m)", "级差值 (m)"}};
  for (const TReportRow &row : rows) {
    const TKestrin &k = row.Calc;
    if (!row.Error.empty()) {
      table.push_back({row.Unit, row.Pollutant, Dash, Dash, Dash, Dash, Dash, Dash, Dash, Dash,
                       Dash, "计算失败（第 " + std::to_string(row.Line) + " 行）", Dash});
      continue;
    }
    table.push_back({row.Unit, row.Pollutant, ValueToText(k.Area()), ValueToText(k.Cm()),
                     ValueToText(k.Qe()), ValueToText(k.WindSpeed()),
                     std::string(ClassNames[k.SourceClass()]) + "类", ValueToText(k.A()),
                     ValueToText(k.B()), ValueToText(k.C()), ValueToText(k.D()),
                     FixedText(k.Distance(), digits), ValueToText(k.GradedDistance())});
  }
  return table;
}

namespace {

// The lines of rows, "第 3、7 行".
std::string LinesText(const std::vector<std::size_t> &indices,
                      const std::vector<TReportRow> &rows) {
  std::vector<std::string> lines;
  for (std::size_t i : indices)
    lines.push_back(std::to_string(rows[i].Line));
  return "第 " + Join(lines, "、") + " 行";
}

// Why a unit has no distance: "第 3 行计算失败；甲苯重复：第 4、6 行".
std::string UndeterminedText(const TUnitConclusion &unit, const std::vector<TReportRow> &rows) {
  std::vector<std::string> reasons;
  if (!unit.FailedRows.empty())
    reasons.push_back(LinesText(unit.FailedRows, rows) + "计算失败");
  for (const TRepeatedPollutant &repeated : unit.Repeated)
    reasons.push_back(repeated.Pollutant + "重复：" + LinesText(repeated.Rows, rows));
  return Join(reasons, "；");
}

} // namespace

TTableRows UnitTable(const std::vector<TUnitConclusion> &units,
                     const std::vector<TReportRow> &rows) {
  TTableRows table = {{"生产单元", "最大级差值 (m)", "取得最大级差值的污染物",
                       "达到该级差值的污染物数", "卫生防护距离 (m)"}};
  for (const TUnitConclusion &unit : units) {
    if (!unit.Determined) {
      table.push_back(
          {unit.Unit, Dash, Dash, Dash, "未确定（" + UndeterminedText(unit, rows) + "）"});
      continue;
    }
    table.push_back({unit.Unit, ValueToText(unit.Largest), Join(unit.Deciding, "、"),
                     std::to_string(unit.Deciding.size()),
                     ValueToText(unit.Distance) + (unit.Raised ? "（提高一级）" : "")});
  }
  return table;
}

namespace {

std::string RuleText(bool raise) {
  return raise
             ? "汇总规则：单元的卫生防护距离取其各污染物级差值中的最大者；两种或两种以上污染物的级"
               "差值"
               "同为最大时提高一级（50 m→100 m，100 m→200 m，…，1000 m→1200 m，2000 m→2200 m，…）。"
             : "汇总规则：单元的卫生防护距离取其各污染物级差值中的最大者；本表未按“两种或两种以上污"
               "染物"
               "的级差值同为最大时提高一级”处理。";
}

// "第 3–4 行的生产单元沿用上一行：涂装车间", a note for each run of rows
// whose empty unit cells took the unit above.
std::vector<std::string> FilledNotes(const std::vector<TReportRow> &rows) {
  std::vector<std::string> notes;
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t end = i;
    while (end < rows.size() && rows[end].UnitFilled && rows[end].Unit == rows[i].Unit)
      ++end;
    if (end == i) {
      ++i;
      continue;
    }
    const std::string first = std::to_string(rows[i].Line),
                      last = std::to_string(rows[end - 1].Line);
    notes.push_back("第 " + first + (end - i > 1 ? "–" + last : "") + " 行的生产单元沿用上一行：" +
                    rows[i].Unit);
    i = end;
  }
  return notes;
}

std::vector<std::string> Notes(const std::vector<TReportRow> &rows,
                               const std::vector<TUnitConclusion> &units,
                               const TReportOptions &options) {
  std::vector<std::string> notes;
  if (!options.Unused.empty())
    notes.push_back("未用于计算的列：" + Join(options.Unused, "、") + "。");
  for (std::string &note : FilledNotes(rows))
    notes.push_back(std::move(note));
  for (const TUnitConclusion &unit : units)
    for (const TRepeatedPollutant &repeated : unit.Repeated)
      notes.push_back(LinesText(repeated.Rows, rows) + "（" + unit.Unit + "）重复填写了污染物" +
                      repeated.Pollutant + "：请将该单元" + repeated.Pollutant +
                      "的总排放量填写为一行；该单元的卫生防护距离未确定。");
  for (const TReportRow &row : rows) {
    if (!row.Error.empty()) {
      notes.push_back(RowName(row) + "计算失败：" + row.Error + "；该单元的卫生防护距离未确定。");
      continue;
    }
    const std::string note = GradeCheckNote(row.Calc, row.Check);
    if (!note.empty())
      notes.push_back(RowName(row) + note);
  }
  return notes;
}

std::vector<TBlock> Blocks(const std::vector<TReportRow> &rows, const TReportOptions &options,
                           bool figures) {
  const std::vector<TUnitConclusion> units = RollUp(rows, options.Raise);
  std::vector<TBlock> blocks = {
      {TBlock::Heading, "卫生防护距离计算", {}, {}},
      {TBlock::Paragraph, RecordByline(options.Date), {}, {}},
  };
  for (TBlock &b : Method(options))
    blocks.push_back(std::move(b));
  blocks.push_back({TBlock::Heading, "二、各污染物的卫生防护距离（表 1）", {}, {}});
  blocks.push_back({TBlock::Table, {}, {}, RowTable(rows, options.Digits)});
  blocks.push_back({TBlock::Heading, "三、各生产单元的卫生防护距离（表 2）", {}, {}});
  blocks.push_back({TBlock::Table, {}, {}, UnitTable(units, rows)});
  blocks.push_back({TBlock::Paragraph, RuleText(options.Raise), {}, {}});
  if (figures)
    for (std::size_t u = 0; u < units.size(); ++u) {
      const TUnitConclusion &unit = units[u];
      const std::string html = UnitFigureHtml(unit, rows, "unit" + std::to_string(u + 1));
      if (!html.empty())
        blocks.push_back({TBlock::Figure, FigureCaption(unit), html, {}});
    }
  blocks.insert(blocks.end(), options.PlanBlocks.begin(), options.PlanBlocks.end());
  const std::vector<std::string> notes = Notes(rows, units, options);
  if (!notes.empty()) {
    blocks.push_back({TBlock::Heading, options.PlanBlocks.empty() ? "四、说明" : "五、说明", {}, {}});
    for (const std::string &note : notes)
      blocks.push_back({TBlock::Paragraph, note, {}, {}});
  }
  return blocks;
}

// A row as the batch tool's JSON writes its case, and where the row stands.
Json RowJson(const TReportRow &row) {
  Json j;
  j["line"] = row.Line;
  j["unit"] = row.Unit;
  j["pollutant"] = row.Pollutant;
  j.update(CaseJsonObject(TCase{row.Direction, row.Calc, row.Error}));
  return j;
}

Json UnitJson(const TUnitConclusion &unit, const std::vector<TReportRow> &rows) {
  Json j;
  j["unit"] = unit.Unit;
  j["determined"] = unit.Determined;
  j["largest_graded"] = unit.Determined ? JsonNumber(unit.Largest) : Json(nullptr);
  j["deciding"] = unit.Deciding;
  j["at_largest"] = unit.Deciding.size();
  j["raised"] = unit.Raised;
  j["distance"] = unit.Determined ? JsonNumber(unit.Distance) : Json(nullptr);
  const auto lines = [&rows](const std::vector<std::size_t> &indices) {
    Json list = Json::array();
    for (std::size_t i : indices)
      list.push_back(rows[i].Line);
    return list;
  };
  j["lines"] = lines(unit.Rows);
  if (unit.Determined)
    return j;
  // Why not: the failed rows, the pollutants listed more than once.
  j["failed_lines"] = lines(unit.FailedRows);
  Json repeated = Json::array();
  for (const TRepeatedPollutant &r : unit.Repeated)
    repeated.push_back({{"pollutant", r.Pollutant}, {"lines", lines(r.Rows)}});
  j["repeated"] = repeated;
  return j;
}

// `,\n  "name": [...]` as the top object's dump(2) writes a member array,
// but made item by item: a tree of every row would take several times the
// memory of the rows, and its destructor, run while std::bad_alloc
// unwinds, would need memory in proportion and abort the program.
template <typename T, typename ToJson>
std::string MemberArray(const char *name, const std::vector<T> &items, ToJson toJson) {
  std::string text = ",\n  \"" + std::string(name) + "\": [";
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += i == 0 ? "\n    " : ",\n    ";
    for (char c : toJson(items[i]).dump(2, ' ', false, Json::error_handler_t::replace)) {
      text += c;
      if (c == '\n')
        text += "    ";
    }
  }
  return text + (items.empty() ? "]" : "\n  ]");
}

} // namespace

std::vector<TUnitConclusion> RollUp(const std::vector<TReportRow> &rows, bool raise) {
  TRollUp rollUp(raise);
  for (const TReportRow &row : rows)
    rollUp.Add(row.Unit, row.Pollutant, row.Error.empty(), row.Calc.GradedDistance());
  return rollUp.Units();
}

std::string FixedText(double value, int digits) {
  if (!std::isfinite(value))
    return ValueToText(value);
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                    digits < 0    ? 0
                                    : digits > 15 ? 15
                                                  : digits);
  return result.ec == std::errc() ? std::string(text, result.ptr) : ValueToText(value);
}

std::string ReportMarkdown(const std::vector<TReportRow> &rows, const TReportOptions &options) {
  return BlocksMarkdown(Blocks(rows, options, false));
}

std::string ReportHtml(const std::vector<TReportRow> &rows, const TReportOptions &options) {
  // Word and WPS take the borders from the table's own attributes and from
  // the cells' style; both are given.
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
         "<title>卫生防护距离计算</title>\n<style>table{border-collapse:collapse}"
         "th,td{border:1px solid #000;padding:2px 6px}</style></head>\n<body>\n" +
         BlocksHtml(Blocks(rows, options, true)) + "</body>\n</html>\n";
}

std::string ReportJson(const std::vector<TReportRow> &rows, const TReportOptions &options) {
  Json j;
  j["basis"] = options.Basis.empty() ? Json(nullptr) : Json(options.Basis);
  j["raise"] = options.Raise;
  j["tolerance"] = JsonNumber(TKestrin().Tolerance());
  std::string text = j.dump(2, ' ', false, Json::error_handler_t::replace);
  text.resize(text.size() - 2); // the closing "\n}": the arrays follow
  text += MemberArray("rows", rows, RowJson);
  const std::vector<TUnitConclusion> units = RollUp(rows, options.Raise);
  text += MemberArray("units", units,
                      [&rows](const TUnitConclusion &unit) { return UnitJson(unit, rows); });
  text += MemberArray("notes", Notes(rows, units, options),
                      [](const std::string &note) { return Json(note); });
  if (!options.PlanJson.is_null()) {
    text += ",\n  \"envelope\": ";
    for (char c : options.PlanJson.dump(2, ' ', false, Json::error_handler_t::replace)) {
      text += c;
      if (c == '\n')
        text += "  ";
    }
  }
  return text + "\n}\n";
}

TSheetOptions ReportSheetOptions(const TReportOptions &options) {
  TSheetOptions sheet;
  sheet.Keep = {options.Unit};
  if (!options.Pollutant.empty())
    sheet.Keep.push_back(options.Pollutant);
  sheet.Keep.insert(sheet.Keep.end(), options.Keep.begin(), options.Keep.end());
  sheet.Encoding = options.Encoding;
  sheet.Sheet = options.Sheet;
  return sheet;
}

TReportRow ReportRowOf(const TBatchRow &row, const TReportOptions &options, TFillDown &units) {
  TReportRow r;
  r.Line = row.Line;
  r.Unit = row.Kept[0];
  const TFillDown::TFill fill = units.Fill(r.Unit);
  r.UnitFilled = fill == TFillDown::FromAbove;
  r.Pollutant =
      options.Pollutant.empty() ? "第 " + std::to_string(row.Line) + " 行" : row.Kept[1];
  r.Direction = row.Case.Direction;
  r.Calc = row.Case.Calc;
  r.Error = row.Problem.empty() ? row.Case.Error : row.Problem;
  if (r.Error.empty() && fill == TFillDown::NoneAbove)
    r.Error = "its unit cell is empty and no row above names a unit (a merged cell keeps its "
              "text in its first row)";
  if (r.Error.empty() && row.Case.Direction != TDirection::Distance)
    r.Error = "an emission row has no distance to report (its mode is emission)";
  if (r.Error.empty())
    r.Check = CheckGradedDistance(r.Calc);
  return r;
}

std::string ReportDocument(const std::vector<TReportRow> &rows, const TReportOptions &options) {
  return options.Format == TReportFormat::Json       ? ReportJson(rows, options)
         : options.Format == TReportFormat::Markdown ? ReportMarkdown(rows, options)
                                                     : ReportHtml(rows, options);
}
