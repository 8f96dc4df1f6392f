#include "figure.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

namespace {

const char *const Colours[] = {"#1f4e9c", "#c0392b", "#2e8b57", "#8e44ad", "#d35400", "#555555"};
// The plot, the axis titles below and left of it, then a legend line per pollutant.
constexpr double FigureWidth = 640, AxesHeight = 380, LegendLine = 16;
constexpr double PlotLeft = 80, PlotTop = 20, PlotWidth = 520, PlotHeight = 320;

// The model's emission at L with the coefficients of L's own band, as
// 计算源强 gives it; false where the model fails.
bool EmissionOf(const TKestrin &calc, double L, double &Q) {
  return CatchFailure([&] { Q = calc.EmissionAtDistance(L); }, [](const Exception &) {}) && Q > 0 &&
         std::isfinite(Q);
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

// SVG's own number syntax, "." whatever the user's decimal mark: not a
// figure a reader quotes, so not the document's number text.
std::string Coordinate(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, std::isfinite(value) ? value : 0.0,
                                    std::chars_format::fixed, 1);
  return std::string(text, result.ptr);
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

// The i-th pollutant's mark at (x, y): a colour and a shape of its own (for
// the first 36), hollow and of growing size, so that equal results stay
// visible one around the other.
std::string Mark(std::size_t i, double x, double y) {
  const std::string colour = Colours[i % std::size(Colours)];
  const double r = 3 + static_cast<double>(i % 4);
  const std::string style = "fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\"";
  auto polygon = [&](std::initializer_list<std::pair<double, double>> points) {
    std::string svg = "<polygon " + style + " points=\"";
    for (const auto &[dx, dy] : points)
      svg += Coordinate(x + dx * r) + "," + Coordinate(y + dy * r) + " ";
    return svg + "\"/>\n";
  };
  switch ((i + i / std::size(Colours)) % 6) {
  case 0:
    return "<circle cx=\"" + Coordinate(x) + "\" cy=\"" + Coordinate(y) + "\" r=\"" +
           Coordinate(r) + "\" fill=\"" + colour + "\"/>\n";
  case 1:
    return polygon({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
  case 2:
    return polygon({{0, -1.2}, {1.1, 0.8}, {-1.1, 0.8}});
  case 3:
    return polygon({{0, -1.3}, {1.3, 0}, {0, 1.3}, {-1.3, 0}});
  case 4:
    return "<circle cx=\"" + Coordinate(x) + "\" cy=\"" + Coordinate(y) + "\" r=\"" +
           Coordinate(r) + "\" " + style + "/>\n";
  default:
    return polygon({{0, 1.2}, {1.1, -0.8}, {-1.1, -0.8}});
  }
}

// A legend text in lines that fit `width` pixels at font size 11 (a CJK
// character about 11 px, others about 6.5), broken between characters.
std::vector<std::string> LegendLines(const std::string &text, double width) {
  std::vector<std::string> lines(1);
  double used = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const double w = lead >= 0xE0 ? 11 : 6.5;
    if (used + w > width && !lines.back().empty()) {
      lines.emplace_back();
      used = 0;
    }
    lines.back() += text.substr(i, size);
    used += w;
    i += size;
  }
  return lines;
}

// The legend below the axes: a line, the mark and the text of each
// pollutant drawn, a text too long for one line wrapped; its height.
double Legend(std::string &svg, const std::vector<const TReportRow *> &drawn, bool draw) {
  double top = AxesHeight + 4;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const TKestrin &k = drawn[i]->Calc;
    const std::vector<std::string> lines =
        LegendLines(drawn[i]->Pollutant + "：Qe = " + ValueToText(k.Qe()) +
                        " kg/h，L = " + FixedText(k.Distance(), 2) + " m，级差值 " +
                        ValueToText(k.GradedDistance()) + " m",
                    FigureWidth - PlotLeft - 50);
    top += LegendLine;
    if (draw) {
      svg += Line(PlotLeft + 6, top - 4, PlotLeft + 34, top - 4,
                  std::string("stroke=\"") + Colours[i % std::size(Colours)] +
                      "\" stroke-width=\"2\"");
      svg += Mark(i, PlotLeft + 20, top - 4);
    }
    for (std::size_t l = 0; l < lines.size(); ++l) {
      if (draw)
        svg += Label(PlotLeft + 40, top, lines[l], "start");
      if (l + 1 < lines.size())
        top += LegendLine;
    }
  }
  return top + 8;
}

// The pollutants of a unit drawn: those that succeeded with a distance.
std::vector<const TReportRow *> Drawn(const std::vector<TReportRow> &rows) {
  std::vector<const TReportRow *> drawn;
  for (const TReportRow &row : rows)
    if (row.Error.empty() && row.Calc.Distance() > 0)
      drawn.push_back(&row);
  return drawn;
}

// Each pollutant's Q(L) sampled on the x axis, where the model gives one.
std::vector<std::vector<std::pair<double, double>>>
Curves(const std::vector<const TReportRow *> &drawn, const TLogAxis &x, double &lowQ,
       double &highQ) {
  constexpr int Samples = 96;
  std::vector<std::vector<std::pair<double, double>>> curves;
  lowQ = highQ = 0;
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
  return curves;
}

// The figure of one unit; `id` keeps its clipping path apart from the others'.
std::string UnitFigure(const std::vector<TReportRow> &rows, const TUnitConclusion &unit,
                       const std::string &id, double &height) {
  const std::vector<const TReportRow *> drawn = Drawn(rows);
  if (drawn.empty())
    return {};
  double lowL = drawn[0]->Calc.Distance(), highL = unit.Determined ? unit.Distance : 0.0;
  for (const TReportRow *row : drawn) {
    lowL = std::min(lowL, row->Calc.Distance());
    highL = std::max(highL, row->Calc.GradedDistance());
  }
  const TLogAxis x = Decades(lowL / 3, highL * 2, PlotLeft, PlotWidth, false);
  if (!std::isfinite(x.Low) || !std::isfinite(x.High))
    return {};
  double lowQ = 0, highQ = 0;
  const auto curves = Curves(drawn, x, lowQ, highQ);
  const TLogAxis y = Decades(lowQ, highQ, PlotTop, PlotHeight, true);
  if (!std::isfinite(y.Low) || !std::isfinite(y.High) || y.Low <= 0)
    return {};
  std::string svg;
  height = Legend(svg, drawn, false);
  svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Coordinate(FigureWidth) +
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
    svg += Mark(i, x.At(k.Distance()), y.At(k.Qe()));
  }
  if (unit.Determined)
    svg += Line(x.At(unit.Distance), PlotTop, x.At(unit.Distance), PlotTop + PlotHeight,
                "stroke=\"black\" stroke-width=\"2\"");
  svg += "</g>\n";
  Legend(svg, drawn, true);
  svg += Label(PlotLeft + PlotWidth / 2, PlotTop + PlotHeight + 32, "L (m)", "middle");
  svg += "<text x=\"16\" y=\"" + Coordinate(PlotTop + PlotHeight / 2) +
         "\" font-size=\"11\" text-anchor=\"middle\" transform=\"rotate(-90 16 " +
         Coordinate(PlotTop + PlotHeight / 2) + ")\">Q (kg/h)</text>\n";
  return svg + "</svg>\n";
}

} // namespace

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

std::string FigureCaption(const TUnitConclusion &unit, const TFigureOmissions &omitted) {
  std::string names;
  for (const std::string &name : omitted.FailedNames)
    names += (names.empty() ? "" : "、") + name;
  if (omitted.Failed > omitted.FailedNames.size())
    names += "等 " + std::to_string(omitted.Failed) + " 种污染物";
  return unit.Unit +
         " 各污染物的模型排放量 Q(L)（实线）、Qe（虚线）、L 计算值（标记）与级差值（点线）" +
         (unit.Determined ? "；黑色竖线为该单元的卫生防护距离 " + ValueToText(unit.Distance) + " m"
                          : "") +
         (omitted.Failed > 0 ? "；" + names + "计算失败，图中缺" : "") +
         (omitted.NotDrawn > 0
              ? "；另有 " + std::to_string(omitted.NotDrawn) + " 种污染物未绘出，见表中各行"
              : "") +
         "。";
}

// A figure as a picture of its own, then its caption: word processors show
// an <img>, not inline <svg>.
std::string UnitFigureHtml(const std::vector<TReportRow> &rows, const TUnitConclusion &unit,
                           const std::string &id, const std::string &caption) {
  double height = 0;
  const std::string svg = UnitFigure(rows, unit, id, height);
  if (svg.empty())
    return {};
  return "<p><img width=\"" + Coordinate(FigureWidth) + "\" height=\"" + Coordinate(height) +
         "\" alt=\"" + HtmlEscaped(caption) + "\" src=\"data:image/svg+xml;base64," + Base64(svg) +
         "\"></p>\n<p align=\"center\" style=\"text-align:center\">" + HtmlEscaped(caption) +
         "</p>\n";
}
