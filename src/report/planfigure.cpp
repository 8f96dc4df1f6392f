#include "planfigure.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document.h"
#include "plantreport.h"

const char *const FigureFonts[] = {"Microsoft YaHei", "WenQuanYi Micro Hei", "SimHei", nullptr};

namespace {

const char *const ZoneColours[] = {"#4a90d9", "#e6a23c", "#67c23a", "#9b59b6", "#16a085", "#e74c3c"};
const char *const InsideColour = "#d00000", *const OutsideColour = "#1f4e9c";
const char *const EnvelopeColour = "#c00000";
constexpr double Margin = 20, MapTop = 44, LegendLine = 20;

// Plan metres to page units: north-up as drawn, +Y upward.
struct TView {
  double MinX = 0, MaxY = 0, Scale = 1, Left = 0, Top = 0;
  TPoint operator()(TPoint p) const {
    return {Left + (p.X - MinX) * Scale, Top + (MaxY - p.Y) * Scale};
  }
};

void Extend(const TRing &ring, TPoint &low, TPoint &high) {
  for (const TPoint &p : ring) {
    low = {std::min(low.X, p.X), std::min(low.Y, p.Y)};
    high = {std::max(high.X, p.X), std::max(high.Y, p.Y)};
  }
}

TRing CircleRing(TPoint centre, double radius, int points = 24) {
  TRing ring;
  for (int i = 0; i < points; ++i)
    ring.push_back({centre.X + radius * std::cos(2 * M_PI * i / points),
                    centre.Y + radius * std::sin(2 * M_PI * i / points)});
  return ring;
}

// A receptor as drawn in plan metres: its polygon, or its circle as segments.
TRing ReceptorRing(const TShape &shape) {
  if (shape.Kind == TShape::Circle)
    return CircleRing(shape.Outline.Outer.front(), shape.Radius, 48);
  return shape.Outline.Outer;
}

TView ViewOf(const TEnvelope &envelope, double &mapHeight) {
  TPoint low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  TPoint high{-low.X, -low.Y};
  for (const TPolygon &polygon : envelope.Envelope)
    Extend(polygon.Outer, low, high);
  for (const TReceptorResult &r : envelope.Receptors)
    Extend(ReceptorRing(r.Shape), low, high);
  const double pad = 0.08 * std::max(high.X - low.X, high.Y - low.Y);
  low = {low.X - pad, low.Y - pad};
  high = {high.X + pad, high.Y + pad};
  const double mapWidth = 640 - 2 * Margin;
  mapHeight = std::clamp(mapWidth * (high.Y - low.Y) / (high.X - low.X), 320.0, 760.0);
  TView view;
  view.Scale = std::min(mapWidth / (high.X - low.X), mapHeight / (high.Y - low.Y));
  view.MinX = low.X - (mapWidth / view.Scale - (high.X - low.X)) / 2;
  view.MaxY = high.Y + (mapHeight / view.Scale - (high.Y - low.Y)) / 2;
  view.Left = Margin;
  view.Top = MapTop;
  return view;
}

TDrawItem Shape(const TView &view, const TArea &area, const std::string &stroke,
                const std::string &fill, double width, double opacity) {
  TDrawItem item;
  for (const TPolygon &polygon : area) {
    for (const TRing *ring : {&polygon.Outer}) {
      item.Rings.emplace_back();
      for (const TPoint &p : *ring)
        item.Rings.back().push_back(view(p));
    }
    for (const TRing &hole : polygon.Holes) {
      item.Rings.emplace_back();
      for (const TPoint &p : hole)
        item.Rings.back().push_back(view(p));
    }
  }
  item.Stroke = stroke;
  item.Fill = fill;
  item.StrokeWidth = width;
  item.FillOpacity = opacity;
  return item;
}

TDrawItem Text(TPoint at, const std::string &text, int size, int anchor, bool bold = false) {
  TDrawItem item;
  item.Kind = TDrawItem::Label;
  item.At = at;
  item.Text = text;
  item.Size = size;
  item.Anchor = anchor;
  item.Bold = bold;
  return item;
}

// 1, 2 or 5 times a power of ten, near a quarter of the map's width.
double ScaleLength(double metres) {
  const double decade = std::pow(10.0, std::floor(std::log10(metres)));
  for (double step : {5.0, 2.0, 1.0})
    if (step * decade <= metres)
      return step * decade;
  return decade;
}

void ScaleBar(TDrawing &d, const TView &view, double mapBottom) {
  const double metres = ScaleLength((640 - 2 * Margin) / 4 / view.Scale);
  const double length = metres * view.Scale, x = Margin + 16, y = mapBottom - 20;
  for (int i = 0; i < 4; ++i) {
    TDrawItem part;
    part.Rings = {{{x + i * length / 4, y - 4},
                   {x + (i + 1) * length / 4, y - 4},
                   {x + (i + 1) * length / 4, y},
                   {x + i * length / 4, y}}};
    part.Stroke = "#000000";
    part.Fill = i % 2 ? "#ffffff" : "#000000";
    part.StrokeWidth = 0.8;
    d.Items.push_back(part);
  }
  d.Items.push_back(Text({x, y - 8}, "0", 10, 0));
  d.Items.push_back(Text({x + length, y - 8}, ValueToText(metres) + " m", 10, 0));
}

void NorthArrow(TDrawing &d, double northAngle) {
  const TPoint centre{640 - Margin - 30, MapTop + 44};
  const double a = northAngle * M_PI / 180;
  auto at = [&](double along, double across) { // along north, across to its right
    return TPoint{centre.X + along * std::sin(a) + across * std::cos(a),
                  centre.Y - along * std::cos(a) + across * std::sin(a)};
  };
  TDrawItem arrow;
  arrow.Rings = {{at(22, 0), at(-14, 9), at(-6, 0), at(-14, -9)}};
  arrow.Fill = "#000000";
  arrow.Stroke = "#000000";
  d.Items.push_back(arrow);
  const TPoint label = at(34, 0);
  d.Items.push_back(Text({label.X, label.Y + 5}, "北", 13, 0, true));
}

// A legend row: its mark in a 24 × 12 box at `at`, then its text.
void LegendRow(TDrawing &d, TPoint at, TDrawItem mark, const std::string &text) {
  d.Items.push_back(mark);
  d.Items.push_back(Text({at.X + 32, at.Y + 11}, text, 11, -1));
}

TDrawItem Box(TPoint at, const std::string &stroke, const std::string &fill, double width,
              double opacity) {
  TDrawItem item;
  item.Rings = {{{at.X, at.Y}, {at.X + 24, at.Y}, {at.X + 24, at.Y + 12}, {at.X, at.Y + 12}}};
  item.Stroke = stroke;
  item.Fill = fill;
  item.StrokeWidth = width;
  item.FillOpacity = opacity;
  return item;
}

TDrawItem Dot(TPoint at, const char *colour) {
  TDrawItem item;
  item.Rings = {CircleRing(at, 4)};
  item.Fill = colour;
  item.Stroke = "#ffffff";
  item.StrokeWidth = 1;
  return item;
}

double Legend(TDrawing &d, const TEnvelope &envelope, double top) {
  std::vector<std::pair<TDrawItem, std::string>> rows;
  auto box = [](const std::string &stroke, const std::string &fill, double width, double opacity) {
    return Box({0, 0}, stroke, fill, width, opacity);
  };
  rows.push_back({box("#333333", "#bbbbbb", 1, 1), "生产单元"});
  for (std::size_t u = 0; u < envelope.Units.size(); ++u)
    rows.push_back({box(ZoneColours[u % 6], ZoneColours[u % 6], 0.8, 0.2),
                    envelope.Units[u].Unit + " 卫生防护距离 " +
                        ValueToText(envelope.Units[u].Distance) + " m 范围"});
  rows.push_back({box(EnvelopeColour, "none", 2.5, 1), "卫生防护距离包络线"});
  rows.push_back({Dot({12, 6}, OutsideColour), "敏感目标（包络线外），标注至最近单元边界的距离"});
  rows.push_back({Dot({12, 6}, InsideColour), "敏感目标（包络线内）"});
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TPoint at{Margin + (i % 2) * 300, top + (i / 2) * LegendLine};
    for (TRing &ring : rows[i].first.Rings)
      for (TPoint &p : ring)
        p = {p.X + at.X, p.Y + at.Y};
    LegendRow(d, at, rows[i].first, rows[i].second);
  }
  return top + (rows.size() + 1) / 2 * LegendLine;
}

void Receptors(TDrawing &d, const TEnvelope &envelope, const TView &view) {
  for (const TReceptorResult &r : envelope.Receptors) {
    const char *colour = r.Inside ? InsideColour : OutsideColour;
    TPoint labelAt;
    if (r.Shape.Kind == TShape::Point) {
      labelAt = view(r.Shape.Outline.Outer.front());
      d.Items.push_back(Dot(labelAt, colour));
    } else {
      TDrawItem area = Shape(view, {{ReceptorRing(r.Shape), {}}}, colour, colour, 1, 0.3);
      labelAt = {-1e9, 0};
      for (const TPoint &p : area.Rings.front()) // beside its easternmost point
        if (p.X > labelAt.X)
          labelAt = p;
      d.Items.push_back(area);
    }
    d.Items.push_back(Text({labelAt.X + 7, labelAt.Y - 2}, r.Receptor, 11, -1, true));
    d.Items.push_back(
        Text({labelAt.X + 7, labelAt.Y + 11}, FixedText(r.Distance, 1) + " m（" + r.Unit + "）", 10, -1));
  }
}

} // namespace

TDrawing EnvelopeDrawing(const TEnvelope &envelope, double northAngle) {
  TDrawing d;
  double mapHeight = 0;
  const TView view = ViewOf(envelope, mapHeight);
  const double mapBottom = MapTop + mapHeight;
  d.Items.push_back(Text({320, 28}, "卫生防护距离包络线图", 16, 0, true));
  for (std::size_t u = 0; u < envelope.Units.size(); ++u)
    d.Items.push_back(
        Shape(view, envelope.Units[u].Zone, ZoneColours[u % 6], ZoneColours[u % 6], 0.8, 0.18));
  d.Items.push_back(Shape(view, envelope.Envelope, EnvelopeColour, "none", 2.5, 1));
  for (const TUnitZone &zone : envelope.Units)
    d.Items.push_back(Shape(view, zone.Outline, "#333333", "#bbbbbb", 1, 1));
  for (const TUnitZone &zone : envelope.Units)
    d.Items.push_back(Text({view(zone.LabelAt).X, view(zone.LabelAt).Y + 4}, zone.Unit, 11, 0, true));
  Receptors(d, envelope, view);
  TDrawItem frame = Box({Margin, MapTop}, "#666666", "none", 1, 1);
  frame.Rings = {{{Margin, MapTop}, {640 - Margin, MapTop}, {640 - Margin, mapBottom}, {Margin, mapBottom}}};
  d.Items.push_back(frame);
  ScaleBar(d, view, mapBottom);
  NorthArrow(d, northAngle);
  d.Height = Legend(d, envelope, mapBottom + 14) + 10;
  return d;
}

namespace {

std::string Number(double value) {
  return FixedText(value, 2);
}

std::string SvgPath(const TDrawItem &item) {
  std::string path;
  for (const TRing &ring : item.Rings) {
    for (std::size_t i = 0; i < ring.size(); ++i)
      path += (i ? "L" : "M") + Number(ring[i].X) + " " + Number(ring[i].Y);
    if (item.Closed)
      path += "Z";
  }
  return "<path d=\"" + path + "\" fill=\"" + item.Fill + "\"" +
         (item.Fill != "none" && item.FillOpacity < 1
              ? " fill-opacity=\"" + FixedText(item.FillOpacity, 2) + "\""
              : "") +
         " fill-rule=\"evenodd\" stroke=\"" + item.Stroke + "\" stroke-width=\"" +
         FixedText(item.StrokeWidth, 1) + "\" stroke-linejoin=\"round\"/>\n";
}

std::string SvgText(const TDrawItem &item) {
  const char *anchor = item.Anchor < 0 ? "start" : item.Anchor == 0 ? "middle" : "end";
  return "<text x=\"" + Number(item.At.X) + "\" y=\"" + Number(item.At.Y) + "\" font-size=\"" +
         std::to_string(item.Size) + "\" text-anchor=\"" + anchor + "\"" +
         (item.Bold ? " font-weight=\"bold\"" : "") + ">" + HtmlEscaped(item.Text) + "</text>\n";
}

} // namespace

std::string DrawingSvg(const TDrawing &drawing) {
  std::string fonts;
  for (const char *const *font = FigureFonts; *font; ++font)
    fonts += std::string(*font) + ", ";
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(drawing.Width) +
                    "\" height=\"" + Number(drawing.Height) + "\" viewBox=\"0 0 " +
                    Number(drawing.Width) + " " + Number(drawing.Height) + "\" font-family=\"" +
                    fonts + "sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  for (const TDrawItem &item : drawing.Items)
    svg += item.Kind == TDrawItem::Label ? SvgText(item) : SvgPath(item);
  return svg + "</svg>\n";
}

std::string EnvelopeCaption(const TEnvelope &envelope, const std::string &number) {
  return (number.empty() ? "图：" : number + "　") +
         "各生产单元的卫生防护距离范围（自单元边界起算）与包络线（粗红线）；敏感目标旁标注其至最近"
         "生产单元边界的距离。圆弧以每四分之一圆 " +
         std::to_string(envelope.QuadrantSegments) + " 段折线绘出，偏差小于 0.1 m。";
}
