#include "figure.h"

#include <algorithm>
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
  return CatchFailure([&] { Q = calc.EmissionAtDistance(L); }, [](const Exception &) {}) &&
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

std::string FigureCaption(const TUnitConclusion &unit) {
  return "图：" + unit.Unit +
         " 各污染物的模型排放量 Q(L)（实线）、Qe（虚线）、L 计算值（圆点）与级差值（点线）" +
         (unit.Determined ? "；黑色竖线为该单元的卫生防护距离 " + ValueToText(unit.Distance) + " m"
                          : "") +
         "。";
}

// A figure as a picture of its own, then its caption: word processors show
// an <img>, not inline <svg>.
std::string UnitFigureHtml(const TUnitConclusion &unit, const std::vector<TReportRow> &rows,
                           const std::string &id) {
  double height = 0;
  const std::string svg = UnitFigure(unit, rows, id, height);
  if (svg.empty())
    return {};
  const std::string caption = FigureCaption(unit);
  return "<p><img width=\"" + Coordinate(FigureWidth) + "\" height=\"" + Coordinate(height) +
         "\" alt=\"" + HtmlEscaped(caption) + "\" src=\"data:image/svg+xml;base64," + Base64(svg) +
         "\"></p>\n<p>" + HtmlEscaped(caption) + "</p>\n";
}

