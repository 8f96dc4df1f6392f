#include "plantreport.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

#include "captions.h"
#include "figure.h"
#include "json.h"
#include "rowstore.h"

namespace {

const char *const Dash = "—";
// Marks a row at a band edge, and its unit, in both tables.
const char *const EdgeMark = "※";

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

int BandOf(double distance) {
  return distance <= 1000 ? 0 : distance <= 2000 ? 1 : 2;
}

// A unit of measure that a narrow column must not break: U+2060 (word
// joiner) between its characters, on a line of its own below the name.
std::string HeadHtml(const std::string &name, const std::string &unit) {
  const std::string bracketed = "(" + unit + ")";
  std::string joined;
  for (std::size_t i = 0; i < bracketed.size(); ++i) {
    if (i > 0 && (static_cast<unsigned char>(bracketed[i]) & 0xC0) != 0x80)
      joined += "\u2060";
    joined += bracketed[i];
  }
  return name + "<br><span style=\"white-space:nowrap\">" + joined + "</span>";
}

// Numbered captions: 表 1, 表 2 … and 图 1 …, after the chapter's prefix.
struct TNumbering {
  std::string Prefix;
  int Tables = 0, Figures = 0;
  std::string NextTable() { return "表 " + Prefix + std::to_string(++Tables); }
  std::string NextFigure() { return "图 " + Prefix + std::to_string(++Figures); }
};

// The document as it is written: blocks and tables in Markdown or HTML,
// handed to the sink a piece at a time.
class TWriter {
public:
  TWriter(bool html, TTableStyle style, const TSink &sink)
      : FHtml(html), FStyle(style), FSink(sink) {}
  void Block(const TBlock &block) {
    if (FHtml)
      BlockHtml(FOut, block, FFirst);
    else
      BlockMarkdown(FOut, block, FFirst);
    FFirst = false;
  }
  void TableStart(TTableLayout layout) {
    layout.Style = FStyle;
    FLayout = std::move(layout);
    if (FHtml)
      HtmlTableStart(FOut, FLayout);
    else
      MarkdownTableStart(FOut += "\n", FLayout);
  }
  // span and rowsAfter as HtmlTableRow's; Markdown repeats the first cell.
  void Row(const std::vector<std::string> &cells, std::size_t rowsAfter, std::size_t span = 1) {
    if (FHtml)
      HtmlTableRow(FOut, FLayout, cells, span, rowsAfter);
    else
      MarkdownTableRow(FOut, cells);
    Flush(false);
  }
  void TableEnd() {
    if (FHtml)
      HtmlTableEnd(FOut);
  }
  void Raw(const std::string &text) { FOut += text; }
  bool Html() const { return FHtml; }
  // Hands on what is written, at the end or once it reaches a megabyte.
  bool Flush(bool all) {
    if (!all && FOut.size() < (1u << 20))
      return FOk;
    FOk = FOk && FSink(FOut);
    FOut.clear();
    return FOk;
  }

private:
  bool FHtml;
  TTableStyle FStyle;
  const TSink &FSink;
  std::string FOut;
  TTableLayout FLayout;
  bool FFirst = true, FOk = true;
};

void CoefficientTables(TWriter &w, TNumbering &numbers) {
  w.Block({TBlock::Caption, numbers.NextTable() + "　计算系数 A", {}, {}});
  w.TableStart({{"距离分档", "风速分档", "A（Ⅰ类）", "A（Ⅱ类）", "A（Ⅲ类）"}, {}, "llrrr"});
  for (int band = 0; band < 3; ++band)
    for (int wind = 0; wind < 3; ++wind) {
      std::vector<std::string> row = {DistanceBandRanges[band], WindBandRanges[wind]};
      for (int sourceClass = 0; sourceClass < 3; ++sourceClass)
        row.push_back(ValueToText(TableA[band][wind][sourceClass]));
      w.Row(row, static_cast<std::size_t>(8 - 3 * band - wind));
    }
  w.TableEnd();
  w.Block({TBlock::Caption, numbers.NextTable() + "　计算系数 B、C、D", {}, {}});
  w.TableStart({{"距离分档", "B（V < 2 m/s）", "B（V ≥ 2 m/s）", "C（V < 2 m/s）", "C（V ≥ 2 m/s）",
                 "D（V < 2 m/s）", "D（V ≥ 2 m/s）"},
                {},
                "lrrrrrr"});
  for (int band = 0; band < 3; ++band)
    w.Row({DistanceBandRanges[band], ValueToText(TableB[band][0]), ValueToText(TableB[band][1]),
           ValueToText(TableC[band][0]), ValueToText(TableC[band][1]), ValueToText(TableD[band][0]),
           ValueToText(TableD[band][1])},
          static_cast<std::size_t>(2 - band));
  w.TableEnd();
}

void Method(TWriter &w, TNumbering &numbers, const TReportOptions &options) {
  w.Block({TBlock::Heading, "一、计算方法", {}, {}});
  w.Block({TBlock::Paragraph,
           options.Basis.empty() ? "各生产单元的卫生防护距离按有害气体无组织排放的计算模式逐种"
                                   "污染物计算，再按单元汇总。"
                                 : options.Basis,
           {},
           {}});
  w.Block({TBlock::Formula, ModelFormulaText, ModelFormulaHtml, {}});
  w.Block({TBlock::Paragraph,
           "式中 Qc = Qe，为有害气体无组织排放量（kg/h）；Cm 为标准浓度限值（mg/m³）；r "
           "为生产单元的等效半径（m），r² = S/π，S 为生产单元占地面积（m²）；L 为卫生防护距离"
           "（m）；A、B、C、D 为计算系数，按近五年平均风速 V、L 所在的距离分档和污染源构成类别"
           "取下表之值。",
           {},
           {}});
  CoefficientTables(w, numbers);
  w.Block({TBlock::Paragraph,
           "计算步骤：（1）确定距离分档：依次以 1000 m 和 2000 m 处按该档系数计算的模型排放量与 "
           "Qe 比较；（2）按风速、距离分档和类别查取 A、B、C、D；（3）迭代搜索 L，直至模型排放量"
           "与 Qe 的相对误差不大于 " +
               ValueToText(TKestrin().Tolerance()) + "；（4）L 按级差向上取整：" + GradingRuleText +
               "。",
           {},
           {}});
}

std::vector<std::string> RowCells(const TReportRow &row, int digits) {
  const TKestrin &k = row.Calc;
  if (!row.Error.empty())
    return {row.Unit, row.Pollutant, Dash, Dash,
            Dash,     Dash,          Dash, Dash,
            Dash,     Dash,          Dash, "计算失败（第 " + std::to_string(row.Line) + " 行）",
            Dash};
  return {row.Unit,
          row.Pollutant,
          ValueToText(k.Area()),
          ValueToText(k.Cm()),
          ValueToText(k.Qe()),
          ValueToText(k.WindSpeed()),
          std::string(ClassNames[k.SourceClass()]) + "类",
          ValueToText(k.A()),
          ValueToText(k.B()),
          ValueToText(k.C()),
          ValueToText(k.D()),
          FixedText(k.Distance(), digits),
          ValueToText(k.GradedDistance()) + (AtBandEdge(row) ? EdgeMark : "")};
}

TTableLayout RowLayout() {
  return {{"生产单元", "污染物", "S (m²)", "Cm (mg/m³)", "Qe (kg/h)", "V (m/s)", "类别", "A", "B",
           "C", "D", "L 计算值 (m)", "级差值 (m)"},
          {"生产单元", "污染物", HeadHtml("S", "m²"), HeadHtml("C<sub>m</sub>", "mg/m³"),
           HeadHtml("Q<sub>e</sub>", "kg/h"), HeadHtml("V", "m/s"), "类别", "A", "B", "C", "D",
           HeadHtml("L 计算值", "m"), HeadHtml("级差值", "m")},
          "llrrrrlrrrrrr",
          {10, 15, 8, 7, 8, 6, 7, 5, 6, 5, 5, 10, 8}};
}

const char *const EdgeFootnote =
    "注：※ 该行的级差值与 L 计算值所用系数不在同一距离分档（L 位于分档边界附近），见“说明”。";

// Table 1: each unit's rows together, under one unit cell.
bool RowTable(TWriter &w, TRowStore &store, const std::vector<TUnitConclusion> &units, int digits) {
  bool edge = false;
  std::size_t rowsAfter = store.Size();
  w.TableStart(RowLayout());
  for (const TUnitConclusion &unit : units)
    for (std::size_t k = 0; k < unit.Rows.size(); ++k) {
      const TReportRow row = store.Get(unit.Rows[k]);
      edge |= row.Error.empty() && AtBandEdge(row);
      w.Row(RowCells(row, digits), --rowsAfter, k == 0 ? unit.Rows.size() : 0);
    }
  w.TableEnd();
  return edge;
}

// The input line of a row, by its index.
using TLineOf = std::function<std::size_t(std::size_t)>;

TLineOf StoreLines(TRowStore &store) {
  return [&store](std::size_t index) { return store.Get(index).Line; };
}

// The lines of rows, "第 3、7 行"; past ten, how many.
std::string LinesText(const std::vector<std::size_t> &indices, const TLineOf &lineOf) {
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < indices.size() && k < 10; ++k)
    lines.push_back(std::to_string(lineOf(indices[k])));
  return "第 " + Join(lines, "、") + " 行" +
         (indices.size() > 10 ? "等 " + std::to_string(indices.size()) + " 行" : "");
}

// Why a unit has no distance: "第 3 行计算失败；甲苯重复：第 4、6 行".
std::string UndeterminedText(const TUnitConclusion &unit, const TLineOf &lineOf) {
  std::vector<std::string> reasons;
  if (!unit.FailedRows.empty())
    reasons.push_back(LinesText(unit.FailedRows, lineOf) + "计算失败");
  for (const TRepeatedPollutant &repeated : unit.Repeated)
    reasons.push_back(repeated.Pollutant + "重复：" + LinesText(repeated.Rows, lineOf));
  return Join(reasons, "；");
}

std::string RuleText(bool raise) {
  return raise
             ? "汇总规则：单元的卫生防护距离取其各污染物级差值中的最大者；两种或两种以上污染物的级"
               "差值同为最大时提高一级（50 m→100 m，100 m→200 m，…，1000 m→1200 m，2000 m→"
               "2200 m，…）。"
             : "汇总规则：单元的卫生防护距离取其各污染物级差值中的最大者；本表未按“两种或两种以上污"
               "染物的级差值同为最大时提高一级”处理。";
}

TTableLayout UnitLayout() {
  return {{"生产单元", "最大级差值 (m)", "取得最大级差值的污染物", "达到该级差值的污染物数",
           "卫生防护距离 (m)"},
          {"生产单元", HeadHtml("最大级差值", "m"), "取得最大级差值的污染物",
           "达到该级差值的污染物数", HeadHtml("卫生防护距离", "m")},
          "lrlrr",
          {15, 15, 35, 15, 20}};
}

std::vector<std::string> UnitCells(const TUnitConclusion &unit, const TLineOf &lineOf, bool edge) {
  if (!unit.Determined)
    return {unit.Unit, Dash, Dash, Dash, "未确定（" + UndeterminedText(unit, lineOf) + "）"};
  return {unit.Unit, ValueToText(unit.Largest), Join(unit.Deciding, "、"),
          std::to_string(unit.Deciding.size()),
          ValueToText(unit.Distance) + (unit.Raised ? "（提高一级）" : "") +
              (edge ? EdgeMark : "")};
}

void UnitTable(TWriter &w, TRowStore &store, const std::vector<TUnitConclusion> &units,
               const std::unordered_set<std::string> &edgeUnits) {
  w.TableStart(UnitLayout());
  std::size_t rowsAfter = units.size();
  for (const TUnitConclusion &unit : units)
    w.Row(UnitCells(unit, StoreLines(store), edgeUnits.count(unit.Unit) > 0), --rowsAfter);
  w.TableEnd();
}

// The figure of each unit, its caption numbered and naming failed pollutants.
void Figures(TWriter &w, TNumbering &numbers, TRowStore &store,
             const std::vector<TUnitConclusion> &units) {
  // More curves than this cannot be told apart (nor drawn in good time).
  constexpr std::size_t MostDrawn = 12;
  for (std::size_t u = 0; u < units.size(); ++u) {
    std::vector<TReportRow> rows;
    TFigureOmissions omitted;
    for (std::size_t i : units[u].Rows) {
      TReportRow row = store.Get(i);
      if (!row.Error.empty() && ++omitted.Failed <= 10)
        omitted.FailedNames.push_back(row.Pollutant);
      else if (row.Error.empty() && rows.size() < MostDrawn)
        rows.push_back(std::move(row));
      else if (row.Error.empty())
        ++omitted.NotDrawn;
    }
    const std::string caption = "图 " + numbers.Prefix + std::to_string(numbers.Figures + 1) +
                                "　" + FigureCaption(units[u], omitted);
    const std::string html =
        UnitFigureHtml(rows, units[u], "unit" + std::to_string(u + 1), caption);
    if (!html.empty()) {
      ++numbers.Figures;
      w.Block({TBlock::Figure, caption, html, {}});
    }
    w.Flush(false);
  }
}

void Conclusions(TWriter &w, TRowStore &store, const std::vector<TUnitConclusion> &units) {
  for (const TUnitConclusion &unit : units) {
    w.Block({TBlock::Paragraph,
             unit.Determined ? unit.Unit + "的卫生防护距离为 " + ValueToText(unit.Distance) + " m。"
                             : unit.Unit + "的卫生防护距离未确定（" +
                                   UndeterminedText(unit, StoreLines(store)) + "）。",
             {},
             {}});
    w.Flush(false);
  }
}

} // namespace

void ForEachFilledUnitNote(std::size_t count, const std::function<TReportRow(std::size_t)> &row,
                           const std::function<void(const std::string &)> &take) {
  for (std::size_t i = 0; i < count;) {
    const TReportRow first = row(i);
    std::size_t end = i + 1;
    if (!first.UnitFilled) {
      i = end;
      continue;
    }
    std::size_t lastLine = first.Line;
    for (TReportRow next;
         end < count && (next = row(end)).UnitFilled && next.Unit == first.Unit; ++end)
      lastLine = next.Line;
    take("第 " + std::to_string(first.Line) + (end - i > 1 ? "–" + std::to_string(lastLine) : "") +
         " 行的生产单元沿用上一行：" + first.Unit);
    i = end;
  }
}

namespace {

// The note on a row, or "" when it needs none.
std::string RowNote(const TReportRow &row) {
  if (!row.Error.empty())
    return RowName(row) + "计算失败：" + FailureText(row.Error) + "；该单元的卫生防护距离未确定。";
  std::string note;
  if (AtBandEdge(row))
    note = std::string(EdgeMark) + "L 计算值 " + ValueToText(row.Calc.Distance()) + " m 按“" +
           DistanceBandRanges[row.Calc.DistanceBand()] + "”档的系数求得，级差值 " +
           ValueToText(row.Calc.GradedDistance()) + " m 属于“" +
           DistanceBandRanges[BandOf(row.Calc.GradedDistance())] + "”档。";
  note += GradeCheckNote(row.Calc, row.Check);
  return note.empty() ? note : RowName(row) + note;
}

// Each note in turn: the columns not used, the rows whose unit was filled
// down, the repeated pollutants, then the rows' own.
template <typename Take>
void ForEachNote(TRowStore &store, const std::vector<TUnitConclusion> &units,
                 const TReportOptions &options, Take take) {
  if (!options.Unused.empty())
    take("未用于计算的列：" + Join(options.Unused, "、") + "。");
  ForEachFilledUnitNote(
      store.Size(), [&store](std::size_t i) { return store.Get(i); }, take);
  for (const TUnitConclusion &unit : units)
    for (const TRepeatedPollutant &repeated : unit.Repeated)
      take(LinesText(repeated.Rows, StoreLines(store)) + "（" + unit.Unit + "）重复填写了污染物" +
           repeated.Pollutant + "：请将该单元" + repeated.Pollutant +
           "的总排放量填写为一行；该单元的卫生防护距离未确定。");
  for (std::size_t i = 0; i < store.Size(); ++i)
    if (const std::string note = RowNote(store.Get(i)); !note.empty())
      take(note);
}

void Notes(TWriter &w, TRowStore &store, const std::vector<TUnitConclusion> &units,
           const TReportOptions &options, const char *heading) {
  bool any = false;
  ForEachNote(store, units, options, [&](const std::string &note) {
    if (!std::exchange(any, true))
      w.Block({TBlock::Heading, heading, {}, {}});
    w.Block({TBlock::Paragraph, note, {}, {}});
    w.Flush(false);
  });
}

void Document(TWriter &w, TRowStore &store, const std::vector<TUnitConclusion> &units,
              const std::unordered_set<std::string> &edgeUnits, const TReportOptions &options) {
  TNumbering numbers{options.CaptionPrefix};
  w.Block({TBlock::Heading, "卫生防护距离计算", {}, {}});
  w.Block({TBlock::Paragraph, RecordByline(options.Date), {}, {}});
  Method(w, numbers, options);
  const std::string rowTable = numbers.NextTable();
  w.Block({TBlock::Heading, "二、各污染物的卫生防护距离（" + rowTable + "）", {}, {}});
  w.Block({TBlock::Caption, rowTable + "　各污染物的卫生防护距离", {}, {}});
  if (RowTable(w, store, units, options.Digits))
    w.Block({TBlock::Paragraph, EdgeFootnote, {}, {}});
  const std::string unitTable = numbers.NextTable();
  w.Block({TBlock::Heading, "三、各生产单元的卫生防护距离（" + unitTable + "）", {}, {}});
  w.Block({TBlock::Caption, unitTable + "　各生产单元的卫生防护距离", {}, {}});
  UnitTable(w, store, units, edgeUnits);
  w.Block({TBlock::Paragraph, RuleText(options.Raise), {}, {}});
  if (w.Html())
    Figures(w, numbers, store, units);
  w.Block({TBlock::Heading, "四、结论", {}, {}});
  Conclusions(w, store, units);
  if (options.PlanSection)
    for (const TBlock &block : options.PlanSection({numbers.NextFigure(), numbers.NextTable()}))
      w.Block(block);
  Notes(w, store, units, options, options.PlanSection ? "六、说明" : "五、说明");
}

// A row as the batch tool's JSON writes its case, and where the row stands.
Json RowJson(const TReportRow &row) {
  Json j;
  j["line"] = row.Line;
  j["unit"] = row.Unit;
  j["pollutant"] = row.Pollutant;
  j.update(CaseJsonObject(TCase{row.Direction, row.Calc, row.Error}));
  j["band_edge"] = row.Error.empty() && AtBandEdge(row);
  return j;
}

Json UnitJson(const TUnitConclusion &unit, TRowStore &store) {
  Json j;
  j["unit"] = unit.Unit;
  j["determined"] = unit.Determined;
  j["largest_graded"] = unit.Determined ? JsonNumber(unit.Largest) : Json(nullptr);
  j["deciding"] = unit.Deciding;
  j["at_largest"] = unit.Deciding.size();
  j["raised"] = unit.Raised;
  j["distance"] = unit.Determined ? JsonNumber(unit.Distance) : Json(nullptr);
  const auto lines = [&store](const std::vector<std::size_t> &indices) {
    Json list = Json::array();
    for (std::size_t i : indices)
      list.push_back(store.Get(i).Line);
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

// JSON as the library writes it, two blanks an indent, any bytes replaced.
std::string Dumped(const Json &j) {
  return j.dump(2, ' ', false, Json::error_handler_t::replace);
}

// One member array of the top object, an element at a time, as Dumped
// would write it whole: "  \"rows\": [\n    {…},\n    {…}\n  ]".
class TJsonArray {
public:
  TJsonArray(TWriter &w, const char *name) : FWriter(w) {
    w.Raw(std::string(",\n  \"") + name + "\": [");
  }
  ~TJsonArray() { FWriter.Raw(FEmpty ? "]" : "\n  ]"); }
  TJsonArray(const TJsonArray &) = delete;
  TJsonArray &operator=(const TJsonArray &) = delete;
  void Add(const Json &element) {
    std::string text = Dumped(element);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 5))
      text.insert(at + 1, "    ");
    FWriter.Raw((std::exchange(FEmpty, false) ? "\n    " : ",\n    ") + text);
    FWriter.Flush(false);
  }

private:
  TWriter &FWriter;
  bool FEmpty = true;
};

void JsonDocument(TWriter &w, TRowStore &store, const std::vector<TUnitConclusion> &units,
                  const TReportOptions &options) {
  Json head;
  head["basis"] = options.Basis.empty() ? Json(nullptr) : Json(options.Basis);
  head["raise"] = options.Raise;
  head["tolerance"] = JsonNumber(TKestrin().Tolerance());
  std::string text = Dumped(head);
  w.Raw(text.substr(0, text.size() - 2)); // without "\n}"
  {
    TJsonArray rows(w, "rows");
    for (std::size_t i = 0; i < store.Size(); ++i)
      rows.Add(RowJson(store.Get(i)));
  }
  {
    TJsonArray unitList(w, "units");
    for (const TUnitConclusion &unit : units)
      unitList.Add(UnitJson(unit, store));
  }
  {
    TJsonArray notes(w, "notes");
    ForEachNote(store, units, options, [&notes](const std::string &note) { notes.Add(note); });
  }
  if (!options.PlanJson.is_null()) {
    std::string envelope = Dumped(options.PlanJson);
    for (std::size_t at = envelope.find('\n'); at != std::string::npos;
         at = envelope.find('\n', at + 3))
      envelope.insert(at + 1, "  ");
    w.Raw(",\n  \"envelope\": " + envelope);
  }
  w.Raw("\n}\n");
}

} // namespace

std::vector<TUnitConclusion> RollUp(const std::vector<TReportRow> &rows, bool raise) {
  TRollUp rollUp(raise);
  for (const TReportRow &row : rows)
    rollUp.Add(row.Unit, row.Pollutant, row.Error.empty(), row.Calc.GradedDistance());
  return rollUp.Units();
}

bool AtBandEdge(const TReportRow &row) {
  return row.Error.empty() && row.Direction == TDirection::Distance &&
         BandOf(row.Calc.GradedDistance()) != row.Calc.DistanceBand();
}

std::string FailureText(const std::string &message) {
  // What each of the program's messages means, by a part of it.
  static const std::pair<const char *, const char *> Explanations[] = {
      {"is not a valid floating point value", "数值无法识别（该格应为数字）"},
      {"is not a valid source class", "污染源构成类别无法识别（应为 Ⅰ、Ⅱ 或 Ⅲ 类）"},
      {"Invalid floating point operation", "无效的浮点运算（输入值超出计算模式的适用范围）"},
      {"Floating point division by zero", "计算中出现除以零（输入值可能为零）"},
      {"Floating point overflow", "浮点溢出（数值超出计算范围）"},
      {"did not converge", "距离迭代搜索未收敛"},
      {"its mode is emission", "该行为由距离计算源强的行，没有卫生防护距离"},
      {"unknown mode", "计算模式无法识别（应为 distance 或 emission）"},
      {"fields, found", "该行的列数与表头不符"},
      {"has no name in the header", "该行在表头没有名称的列中有值"},
      {"unit cell is empty", "该行的生产单元为空，且上方没有可沿用的单元"},
      {"quote", "该行的引号不配对（CSV 格式错误）"},
      {"text", "该格的文字编码无法识别"},
  };
  for (const auto &[part, chinese] : Explanations)
    if (message.find(part) != std::string::npos)
      return std::string(chinese) + "（" + message + "）";
  return "计算失败（" + message + "）";
}

TPlantReport::TPlantReport(const TReportOptions &options)
    : FOptions(options), FRows(std::make_unique<TRowStore>()), FRollUp(options.Raise) {}

TPlantReport::~TPlantReport() = default;

void TPlantReport::Add(const TReportRow &row) {
  FRows->Add(row);
  FRollUp.Add(row.Unit, row.Pollutant, row.Error.empty(), row.Calc.GradedDistance());
  if (AtBandEdge(row))
    FEdgeUnits.insert(row.Unit);
}

bool TPlantReport::Write(const TSink &sink) {
  const std::vector<TUnitConclusion> units = FRollUp.Units();
  TWriter w(FOptions.Format == TReportFormat::Html, FOptions.TableStyle, sink);
  if (FOptions.Format == TReportFormat::Json) {
    JsonDocument(w, *FRows, units, FOptions);
  } else if (FOptions.Format == TReportFormat::Markdown) {
    Document(w, *FRows, units, FEdgeUnits, FOptions);
  } else {
    w.Raw(std::string("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                      "<title>卫生防护距离计算</title>\n<style>") +
          TableCss + "</style></head>\n<body>\n");
    Document(w, *FRows, units, FEdgeUnits, FOptions);
    w.Raw("</body>\n</html>\n");
  }
  return w.Flush(true) && !FRows->Failed();
}

std::size_t TPlantReport::Rows() const {
  return FRows->Size();
}

std::size_t TPlantReport::LineOf(std::size_t index) {
  return FRows->Get(index).Line;
}

bool TPlantReport::ScratchFailed() const {
  return FRows->Failed();
}

TTableRows RowTable(const std::vector<TReportRow> &rows, int digits) {
  TTableRows table = {RowLayout().Head};
  for (const TReportRow &row : rows)
    table.push_back(RowCells(row, digits));
  return table;
}

TTableRows UnitTable(const std::vector<TUnitConclusion> &units,
                     const std::vector<TReportRow> &rows) {
  const TLineOf lineOf = [&rows](std::size_t index) { return rows[index].Line; };
  TTableRows table = {UnitLayout().Head};
  for (const TUnitConclusion &unit : units) {
    bool edge = false;
    for (std::size_t i : unit.Rows)
      edge |= rows[i].Error.empty() && AtBandEdge(rows[i]);
    table.push_back(UnitCells(unit, lineOf, edge));
  }
  return table;
}

std::string ReportDocument(const std::vector<TReportRow> &rows, const TReportOptions &options) {
  TPlantReport report(options);
  for (const TReportRow &row : rows)
    report.Add(row);
  std::string document;
  return report.Write([&document](const std::string &piece) {
    document += piece;
    return true;
  })
             ? document
             : std::string();
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
  r.Pollutant = options.Pollutant.empty() ? "第 " + std::to_string(row.Line) + " 行" : row.Kept[1];
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
