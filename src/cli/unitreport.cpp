#include "unitreport.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "inputs.h"
#include "json.h"

namespace {

// The report as a document: the HTML and the Markdown walk the same blocks.
const char *const ClassNames[] = {"Ⅰ", "Ⅱ", "Ⅲ"};
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

// The calculator's coefficients for a wind speed, a distance and a class,
// looked up as a computation would.
TKestrin Probe(const char *wind, const char *distance, int sourceClass) {
  TKestrin k;
  k.SetWindSpeed(wind);
  k.SetDistance(distance);
  k.SetSourceClass(sourceClass);
  k.DistanceBandFromL();
  k.SelectWindBand();
  k.SelectWindFlag();
  k.LookupCoefficients();
  return k;
}

const char *const DistanceBands[] = {"L ≤ 1000 m", "1000 < L ≤ 2000 m", "L > 2000 m"};
const char *const DistanceProbes[] = {"500", "1500", "2500"};
const char *const WindBands[] = {"V < 2 m/s", "2 ≤ V ≤ 4 m/s", "V > 4 m/s"};
const char *const WindProbes[] = {"1", "3", "5"};

TTableRows TableA() {
  TTableRows rows = {{"距离分档", "风速分档", "A（Ⅰ类）", "A（Ⅱ类）", "A（Ⅲ类）"}};
  for (int band = 0; band < 3; ++band)
    for (int wind = 0; wind < 3; ++wind) {
      std::vector<std::string> row = {DistanceBands[band], WindBands[wind]};
      for (int sourceClass = 0; sourceClass < 3; ++sourceClass)
        row.push_back(ValueToText(Probe(WindProbes[wind], DistanceProbes[band], sourceClass).A()));
      rows.push_back(std::move(row));
    }
  return rows;
}

TTableRows TableBCD() {
  TTableRows rows = {{"距离分档", "B（V < 2 m/s）", "B（V ≥ 2 m/s）", "C（V < 2 m/s）",
                      "C（V ≥ 2 m/s）", "D（V < 2 m/s）", "D（V ≥ 2 m/s）"}};
  for (int band = 0; band < 3; ++band) {
    const TKestrin low = Probe("1", DistanceProbes[band], 0);
    const TKestrin high = Probe("3", DistanceProbes[band], 0);
    rows.push_back({DistanceBands[band], ValueToText(low.B()), ValueToText(high.B()),
                    ValueToText(low.C()), ValueToText(high.C()), ValueToText(low.D()),
                    ValueToText(high.D())});
  }
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
      {TBlock::Formula,
       "Qc/Cm = (1/A)·(B·L^C + 0.25·r²)^0.50·L^D",
       "Q<sub>c</sub>/C<sub>m</sub> = (1/A)·(B·L<sup>C</sup> + "
       "0.25·r<sup>2</sup>)<sup>0.50</sup>·L<sup>D</sup>",
       {}},
      {TBlock::Paragraph,
       "式中 Qc = Qe，为有害气体无组织排放量（kg/h）；Cm 为标准浓度限值（mg/m³）；r "
       "为生产单元的等效半径"
       "（m），r² = S/π，S 为生产单元占地面积（m²）；L 为卫生防护距离（m）；A、B、C、D "
       "为计算系数，按近五年"
       "平均风速 V、L 所在的距离分档和污染源构成类别取下表之值。",
       {},
       {}},
      {TBlock::Table, {}, {}, TableA()},
      {TBlock::Table, {}, {}, TableBCD()},
      {TBlock::Paragraph,
       "计算步骤：（1）确定距离分档：依次以 1000 m 和 2000 m 处按该档系数计算的模型排放量与 Qe "
       "比较；"
       "（2）按风速、距离分档和类别查取 A、B、C、D；（3）迭代搜索 L，直至模型排放量与 Qe "
       "的相对误差不大于 " +
           tolerance +
           "；（4）L 按级差向上取整：L < 50 m 取 50 m，50 m ≤ L ≤ 100 m 取 100 m，100 m < L ≤ 1000 "
           "m 按 "
           "100 m 级差，L > 1000 m 按 200 m 级差。",
       {},
       {}},
  };
}

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

// The lines of a unit's failed rows, "第 3、7 行".
std::string FailedLines(const TUnitConclusion &unit, const std::vector<TReportRow> &rows) {
  std::vector<std::string> lines;
  for (std::size_t i : unit.Rows)
    if (!rows[i].Error.empty())
      lines.push_back(std::to_string(rows[i].Line));
  return "第 " + Join(lines, "、") + " 行";
}

TTableRows UnitTable(const std::vector<TUnitConclusion> &units,
                     const std::vector<TReportRow> &rows) {
  TTableRows table = {{"生产单元", "最大级差值 (m)", "取得最大级差值的污染物",
                       "达到该级差值的污染物数", "卫生防护距离 (m)"}};
  for (const TUnitConclusion &unit : units) {
    if (!unit.Determined) {
      table.push_back(
          {unit.Unit, Dash, Dash, Dash, "未确定（" + FailedLines(unit, rows) + "计算失败）"});
      continue;
    }
    table.push_back({unit.Unit, ValueToText(unit.Largest), Join(unit.Deciding, "、"),
                     std::to_string(unit.Deciding.size()),
                     ValueToText(unit.Distance) + (unit.Raised ? "（提高一级）" : "")});
  }
  return table;
}

std::string RuleText(bool raise) {
  return raise
             ? "汇总规则：单元的卫生防护距离取其各污染物级差值中的最大者；两种或两种以上污染物的级"
               "差值"
               "同为最大时提高一级（50 m→100 m，100 m→200 m，…，1000 m→1200 m，2000 m→2200 m，…）。"
             : "汇总规则：单元的卫生防护距离取其各污染物级差值中的最大者；本表未按“两种或两种以上污"
               "染物"
               "的级差值同为最大时提高一级”处理。";
}

std::vector<std::string> Notes(const std::vector<TReportRow> &rows) {
  std::vector<std::string> notes;
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

// ---- The figure: Q(L) of each pollutant on log axes --------------------------

const char *const Colours[] = {"#1f4e9c", "#c0392b", "#2e8b57", "#8e44ad", "#d35400", "#555555"};
// The plot, the axis titles below and left of it, then a legend line per pollutant.
constexpr double FigureWidth = 640, AxesHeight = 380, LegendLine = 16;
constexpr double PlotLeft = 80, PlotTop = 20, PlotWidth = 520, PlotHeight = 320;

// The model's emission at L with the coefficients of L's own band, as
// 计算源强 gives it; false where the model fails.
bool EmissionOf(const TKestrin &calc, double L, double &Q) {
  TKestrin k = calc;
  return CatchFailure(
             [&] {
               k.SetDistance(ValueToText(L));
               Q = k.CalcEmission();
             },
             [](const Exception &) {}) &&
         Q > 0 && std::isfinite(Q);
}

struct TLogAxis {
  double Low = 1, High = 10; // whole decades
  double Offset = 0, Length = 0;
  bool Reversed = false; // y grows downward
  double At(double value) const {
    const double f = (std::log10(value) - std::log10(Low)) / (std::log10(High) - std::log10(Low));
    return Offset + (Reversed ? 1 - f : f) * Length;
  }
};

TLogAxis Decades(double low, double high, double offset, double length, bool reversed) {
  TLogAxis axis;
  axis.Low = std::pow(10.0, std::floor(std::log10(low)));
  axis.High = std::pow(10.0, std::ceil(std::log10(high)));
  if (axis.High <= axis.Low)
    axis.High = axis.Low * 10;
  if (axis.High / axis.Low > 1e8) // past eight decades the curves are unreadable
    axis.Low = axis.High / 1e8;
  axis.Offset = offset;
  axis.Length = length;
  axis.Reversed = reversed;
  return axis;
}

std::string Coordinate(double value) {
  return FixedText(value, 1);
}

std::string Line(double x1, double y1, double x2, double y2, const std::string &style) {
  return "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" +
         Coordinate(x2) + "\" y2=\"" + Coordinate(y2) + "\" " + style + "/>\n";
}

std::string Label(double x, double y, const std::string &text, const char *anchor) {
  return "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" font-size=\"11\" " +
         "text-anchor=\"" + anchor + "\">" + HtmlEscaped(text) + "</text>\n";
}

void DecadeTicks(std::string &svg, const TLogAxis &x, const TLogAxis &y) {
  for (double v = x.Low; v <= x.High * 1.0001; v *= 10) {
    svg += Line(x.At(v), PlotTop, x.At(v), PlotTop + PlotHeight, "stroke=\"#dddddd\"");
    svg += Label(x.At(v), PlotTop + PlotHeight + 15, ValueToText(v), "middle");
  }
  for (double v = y.Low; v <= y.High * 1.0001; v *= 10) {
    svg += Line(PlotLeft, y.At(v), PlotLeft + PlotWidth, y.At(v), "stroke=\"#dddddd\"");
    svg += Label(PlotLeft - 5, y.At(v) + 4, ValueToText(v), "end");
  }
}

// The figure of one unit; `id` keeps its clipping path apart from the others'.
std::string UnitFigure(const TUnitConclusion &unit, const std::vector<TReportRow> &rows,
                       const std::string &id, double &height) {
  std::vector<const TReportRow *> drawn;
  double lowL = 0, highL = 0;
  for (std::size_t i : unit.Rows)
    if (rows[i].Error.empty() && rows[i].Calc.Distance() > 0) {
      const TKestrin &k = rows[i].Calc;
      lowL = drawn.empty() ? k.Distance() : std::min(lowL, k.Distance());
      highL = std::max({highL, k.GradedDistance(), unit.Determined ? unit.Distance : 0.0});
      drawn.push_back(&rows[i]);
    }
  if (drawn.empty())
    return {};
  const TLogAxis x = Decades(lowL / 3, highL * 2, PlotLeft, PlotWidth, false);
  if (!std::isfinite(x.Low) || !std::isfinite(x.High))
    return {};
  constexpr int Samples = 96;
  std::vector<std::vector<std::pair<double, double>>> curves;
  double lowQ = 0, highQ = 0;
  for (const TReportRow *row : drawn) {
    curves.emplace_back();
    lowQ = lowQ == 0 ? row->Calc.Qe() : std::min(lowQ, row->Calc.Qe());
    highQ = std::max(highQ, row->Calc.Qe());
    for (int s = 0; s <= Samples; ++s) {
      const double L = x.Low * std::pow(x.High / x.Low, static_cast<double>(s) / Samples);
      double Q = 0;
      if (EmissionOf(row->Calc, L, Q)) {
        curves.back().emplace_back(L, Q);
        lowQ = std::min(lowQ, Q);
        highQ = std::max(highQ, Q);
      }
    }
  }
  const TLogAxis y = Decades(lowQ, highQ, PlotTop, PlotHeight, true);
  if (!std::isfinite(y.Low) || !std::isfinite(y.High) || y.Low <= 0)
    return {};
  height = AxesHeight + LegendLine * static_cast<double>(drawn.size()) + 8;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Coordinate(FigureWidth) +
                    "\" height=\"" + Coordinate(height) + "\" font-family=\"sans-serif\">\n";
  DecadeTicks(svg, x, y);
  svg += "<rect x=\"" + Coordinate(PlotLeft) + "\" y=\"" + Coordinate(PlotTop) + "\" width=\"" +
         Coordinate(PlotWidth) + "\" height=\"" + Coordinate(PlotHeight) +
         "\" fill=\"none\" stroke=\"black\"/>\n";
  svg += "<clipPath id=\"" + id + "\"><rect x=\"" + Coordinate(PlotLeft) + "\" y=\"" +
         Coordinate(PlotTop) + "\" width=\"" + Coordinate(PlotWidth) + "\" height=\"" +
         Coordinate(PlotHeight) + "\"/></clipPath>\n<g clip-path=\"url(#" + id + ")\">\n";
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const TKestrin &k = drawn[i]->Calc;
    const std::string colour = Colours[i % std::size(Colours)];
    svg += "<polyline fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\" points=\"";
    for (const auto &[L, Q] : curves[i])
      svg += Coordinate(x.At(L)) + "," + Coordinate(y.At(Q)) + " ";
    svg += "\"/>\n";
    svg += Line(PlotLeft, y.At(k.Qe()), PlotLeft + PlotWidth, y.At(k.Qe()),
                "stroke=\"" + colour + "\" stroke-dasharray=\"6,4\"");
    svg += Line(x.At(k.GradedDistance()), PlotTop, x.At(k.GradedDistance()), PlotTop + PlotHeight,
                "stroke=\"" + colour + "\" stroke-dasharray=\"2,3\"");
    svg += "<circle cx=\"" + Coordinate(x.At(k.Distance())) + "\" cy=\"" +
           Coordinate(y.At(k.Qe())) + "\" r=\"4\" fill=\"" + colour + "\"/>\n";
  }
  if (unit.Determined)
    svg += Line(x.At(unit.Distance), PlotTop, x.At(unit.Distance), PlotTop + PlotHeight,
                "stroke=\"black\" stroke-width=\"2\"");
  svg += "</g>\n";
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const double top = AxesHeight + 4 + LegendLine * static_cast<double>(i + 1);
    svg +=
        Line(PlotLeft + 10, top - 4, PlotLeft + 34, top - 4,
             std::string("stroke=\"") + Colours[i % std::size(Colours)] + "\" stroke-width=\"2\"");
    svg += Label(PlotLeft + 40, top,
                 drawn[i]->Pollutant + "：Qe = " + ValueToText(drawn[i]->Calc.Qe()) +
                     " kg/h，L = " + FixedText(drawn[i]->Calc.Distance(), 2) + " m，级差值 " +
                     ValueToText(drawn[i]->Calc.GradedDistance()) + " m",
                 "start");
  }
  svg += Label(PlotLeft + PlotWidth / 2, PlotTop + PlotHeight + 32, "L (m)", "middle");
  svg += "<text x=\"16\" y=\"" + Coordinate(PlotTop + PlotHeight / 2) +
         "\" font-size=\"11\" text-anchor=\"middle\" transform=\"rotate(-90 16 " +
         Coordinate(PlotTop + PlotHeight / 2) + ")\">Q (kg/h)</text>\n";
  return svg + "</svg>\n";
}

std::string Base64(const std::string &bytes) {
  static const char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t group = 0;
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    for (std::size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= n ? Digits[group >> (18 - 6 * k) & 63] : '=';
  }
  return out;
}

std::string FigureCaption(const TUnitConclusion &unit) {
  return "图：" + unit.Unit +
         " 各污染物的模型排放量 Q(L)（实线）、Qe（虚线）、L 计算值（圆点）与级差值（点线）" +
         (unit.Determined ? "；黑色竖线为该单元的卫生防护距离 " + ValueToText(unit.Distance) + " m"
                          : "") +
         "。";
}

// A figure as a picture of its own, then its caption: word processors show
// an <img>, not inline <svg>.
std::string FigureHtml(const std::string &svg, double height, const std::string &caption) {
  return "<p><img width=\"" + Coordinate(FigureWidth) + "\" height=\"" + Coordinate(height) +
         "\" alt=\"" + HtmlEscaped(caption) + "\" src=\"data:image/svg+xml;base64," + Base64(svg) +
         "\"></p>\n<p>" + HtmlEscaped(caption) + "</p>\n";
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
      double height = 0;
      const std::string svg = UnitFigure(unit, rows, "unit" + std::to_string(u + 1), height);
      if (!svg.empty())
        blocks.push_back({TBlock::Figure,
                          FigureCaption(unit),
                          FigureHtml(svg, height, FigureCaption(unit)),
                          {}});
    }
  const std::vector<std::string> notes = Notes(rows);
  if (!notes.empty()) {
    blocks.push_back({TBlock::Heading, "四、说明", {}, {}});
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
  Json lines = Json::array();
  for (std::size_t i : unit.Rows)
    lines.push_back(rows[i].Line);
  j["lines"] = lines;
  return j;
}

} // namespace

double NextGrade(double graded) {
  TKestrin k;
  k.SetDistance(ValueToText(static_cast<Extended>(graded) + 1));
  return k.GradedDistance();
}

std::vector<TUnitConclusion> RollUp(const std::vector<TReportRow> &rows, bool raise) {
  std::vector<TUnitConclusion> units;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::size_t u = 0;
    while (u < units.size() && units[u].Unit != rows[i].Unit)
      ++u;
    if (u == units.size())
      units.push_back({rows[i].Unit, {}, true, 0, {}, 0, false});
    units[u].Rows.push_back(i);
    units[u].Determined &= rows[i].Error.empty();
  }
  for (TUnitConclusion &unit : units) {
    if (!unit.Determined)
      continue;
    for (std::size_t i : unit.Rows)
      unit.Largest = std::max(unit.Largest, rows[i].Calc.GradedDistance());
    for (std::size_t i : unit.Rows)
      if (rows[i].Calc.GradedDistance() == unit.Largest)
        unit.Deciding.push_back(rows[i].Pollutant);
    unit.Raised = raise && unit.Deciding.size() >= 2;
    unit.Distance = unit.Raised ? NextGrade(unit.Largest) : unit.Largest;
  }
  return units;
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
  Json rowList = Json::array();
  for (const TReportRow &row : rows)
    rowList.push_back(RowJson(row));
  j["rows"] = rowList;
  Json unitList = Json::array();
  for (const TUnitConclusion &unit : RollUp(rows, options.Raise))
    unitList.push_back(UnitJson(unit, rows));
  j["units"] = unitList;
  j["notes"] = Notes(rows);
  return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document) {
  BatchOptions batch;
  batch.Keep = {options.Unit};
  if (!options.Pollutant.empty())
    batch.Keep.push_back(options.Pollutant);
  batch.Keep.insert(batch.Keep.end(), options.Keep.begin(), options.Keep.end());
  batch.Encoding = options.Encoding;
  TBatchInput input(in, batch, {});
  if (!input.Open())
    return Fail(err, input.Problem());
  std::vector<TReportRow> rows;
  bool allSucceeded = true;
  TBatchRow row;
  TProgress progress(err);
  while (input.Next(row)) {
    TReportRow &r = rows.emplace_back();
    r.Line = row.Line;
    r.Unit = row.Kept[0];
    r.Pollutant =
        options.Pollutant.empty() ? "第 " + std::to_string(row.Line) + " 行" : row.Kept[1];
    r.Direction = row.Case.Direction;
    r.Calc = row.Case.Calc;
    r.Error = row.Problem.empty() ? row.Case.Error : row.Problem;
    if (r.Error.empty() && row.Case.Direction != TDirection::Distance)
      r.Error = "an emission row has no distance to report (its mode is emission)";
    if (r.Error.empty())
      r.Check = CheckGradedDistance(r.Calc);
    allSucceeded &= r.Error.empty();
    progress.Row();
  }
  if (!input.Problem().empty())
    return Fail(err, input.Problem());
  input.NoteSkipped(err);
  document = options.Format == TReportFormat::Json       ? ReportJson(rows, options)
             : options.Format == TReportFormat::Markdown ? ReportMarkdown(rows, options)
                                                         : ReportHtml(rows, options);
  return allSucceeded ? ExitOk : ExitFailure;
}
