// A site plan as the envelope needs it: the production units' outlines and
// the sensitive receptors (敏感目标), in the plan's own metres, read from
// DXF or GeoJSON.
#pragma once

#include <string>
#include <vector>

struct TPoint {
  double X = 0, Y = 0;
};
// A closed ring, its last point not repeating the first.
using TRing = std::vector<TPoint>;
struct TPolygon {
  TRing Outer;
  std::vector<TRing> Holes;
};
// Polygons that may touch or overlap: a zone, the envelope.
using TArea = std::vector<TPolygon>;

struct TShape {
  enum Kind { Point, Polygon, Circle } Kind = Point;
  TPolygon Outline; // Polygon: the outline; Point and Circle: Outer holds the one point, the centre
  double Radius = 0; // Circle
};

// A named unit outline or receptor, with where it stands in its file
// ("LWPOLYLINE 2F", "feature 3") for messages.
struct TPlanItem {
  std::string Name;
  TShape Shape;
  std::string Entity;
};

struct TPlan {
  std::vector<TPlanItem> Units;     // a unit may have several outlines
  std::vector<TPlanItem> Receptors; // points, polygons or circles
};

// Text without the blanks around it (spaces, tabs, no-break and full-width
// spaces), as names are matched.
std::string TrimmedName(const std::string &text);
