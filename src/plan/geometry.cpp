#include "geometry.h"

#include <geos_c.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

// GEOS's messages go nowhere: every failing call is checked where it is made.
void Quiet(const char *, void *) {}

// A GEOS context for one envelope, and geometries that free themselves.
class TGeos {
public:
  TGeos() : H(GEOS_init_r()) {
    GEOSContext_setNoticeMessageHandler_r(H, Quiet, nullptr);
    GEOSContext_setErrorMessageHandler_r(H, Quiet, nullptr);
  }
  ~TGeos() { GEOS_finish_r(H); }
  TGeos(const TGeos &) = delete;
  TGeos &operator=(const TGeos &) = delete;

  struct TFree {
    GEOSContextHandle_t H;
    void operator()(GEOSGeometry *g) const { GEOSGeom_destroy_r(H, g); }
  };
  using TGeom = std::unique_ptr<GEOSGeometry, TFree>;
  TGeom Own(GEOSGeometry *g) const { return TGeom(g, TFree{H}); }

  GEOSContextHandle_t H;
};
using TGeom = TGeos::TGeom;

// Coordinates go to GEOS less a local origin and come back plus it: at
// X ≈ 500,000 and Y ≈ 4,000,000 a double keeps only about 1e-9 m beyond its
// integer part, and buffering works in differences anyway.
struct TFrame {
  TPoint Origin;
};

GEOSGeometry *RingOf(const TGeos &g, const TRing &ring, const TFrame &f) {
  GEOSCoordSequence *s = GEOSCoordSeq_create_r(g.H, static_cast<unsigned>(ring.size() + 1), 2);
  for (std::size_t i = 0; i <= ring.size(); ++i) {
    const TPoint &p = ring[i % ring.size()];
    GEOSCoordSeq_setXY_r(g.H, s, static_cast<unsigned>(i), p.X - f.Origin.X, p.Y - f.Origin.Y);
  }
  return GEOSGeom_createLinearRing_r(g.H, s);
}

TGeom PolygonOf(const TGeos &g, const TPolygon &polygon, const TFrame &f) {
  std::vector<GEOSGeometry *> holes;
  for (const TRing &hole : polygon.Holes)
    holes.push_back(RingOf(g, hole, f));
  return g.Own(GEOSGeom_createPolygon_r(g.H, RingOf(g, polygon.Outer, f), holes.data(),
                                        static_cast<unsigned>(holes.size())));
}

// A shape's core (a circle's centre) and the radius around it.
TGeom CoreOf(const TGeos &g, const TShape &shape, const TFrame &f) {
  if (shape.Kind == TShape::Polygon)
    return PolygonOf(g, shape.Outline, f);
  const TPoint &p = shape.Outline.Outer.front();
  return g.Own(GEOSGeom_createPointFromXY_r(g.H, p.X - f.Origin.X, p.Y - f.Origin.Y));
}

double RadiusOf(const TShape &shape) {
  return shape.Kind == TShape::Circle ? shape.Radius : 0;
}

TGeom Buffered(const TGeos &g, const GEOSGeometry *core, double distance, int segments) {
  GEOSBufferParams *p = GEOSBufferParams_create_r(g.H);
  GEOSBufferParams_setEndCapStyle_r(g.H, p, GEOSBUF_CAP_ROUND);
  GEOSBufferParams_setJoinStyle_r(g.H, p, GEOSBUF_JOIN_ROUND);
  GEOSBufferParams_setQuadrantSegments_r(g.H, p, segments);
  TGeom zone = g.Own(GEOSBufferWithParams_r(g.H, core, p, distance));
  GEOSBufferParams_destroy_r(g.H, p);
  return zone;
}

TRing RingBack(const TGeos &g, const GEOSGeometry *ring, const TFrame &f) {
  const GEOSCoordSequence *s = GEOSGeom_getCoordSeq_r(g.H, ring);
  unsigned size = 0;
  GEOSCoordSeq_getSize_r(g.H, s, &size);
  TRing out;
  for (unsigned i = 0; i + 1 < size; ++i) { // the closing point repeats the first
    double x = 0, y = 0;
    GEOSCoordSeq_getXY_r(g.H, s, i, &x, &y);
    out.push_back({x + f.Origin.X, y + f.Origin.Y});
  }
  return out;
}

void AreaBack(const TGeos &g, const GEOSGeometry *geom, const TFrame &f, TArea &area) {
  const int type = GEOSGeomTypeId_r(g.H, geom);
  if (type == GEOS_POLYGON) {
    TPolygon polygon;
    polygon.Outer = RingBack(g, GEOSGetExteriorRing_r(g.H, geom), f);
    for (int i = 0; i < GEOSGetNumInteriorRings_r(g.H, geom); ++i)
      polygon.Holes.push_back(RingBack(g, GEOSGetInteriorRingN_r(g.H, geom, i), f));
    area.push_back(std::move(polygon));
  } else if (type == GEOS_MULTIPOLYGON || type == GEOS_GEOMETRYCOLLECTION) {
    for (int i = 0; i < GEOSGetNumGeometries_r(g.H, geom); ++i)
      AreaBack(g, GEOSGetGeometryN_r(g.H, geom, i), f, area);
  }
}

TGeom UnionOf(const TGeos &g, std::vector<TGeom> parts) {
  std::vector<GEOSGeometry *> raw;
  for (TGeom &part : parts)
    raw.push_back(part.release());
  TGeom all = g.Own(GEOSGeom_createCollection_r(g.H, GEOS_GEOMETRYCOLLECTION, raw.data(),
                                                static_cast<unsigned>(raw.size())));
  return g.Own(GEOSUnaryUnion_r(g.H, all.get()));
}

// A unit as GEOS holds it: its shapes' cores and radii.
struct TUnitGeometry {
  std::vector<TGeom> Cores;
  std::vector<double> Radii;
};

// The shortest distance from a receptor to a unit's outline, 0 when they
// meet: from core to core, less the circles' radii.
double DistanceTo(const TGeos &g, const GEOSGeometry *receptor, double receptorRadius,
                  const TUnitGeometry &unit) {
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < unit.Cores.size(); ++i) {
    double d = 0;
    GEOSDistance_r(g.H, receptor, unit.Cores[i].get(), &d);
    best = std::min(best, std::max(0.0, d - receptorRadius - unit.Radii[i]));
  }
  return best;
}

// The first unit of the plan without a distance, or with one undetermined,
// or a distance without an outline: its message; "" when all match.
std::string Unmatched(const TPlan &plan, const std::vector<TUnitDistance> &distances) {
  for (const TPlanItem &item : plan.Units) {
    const auto d = std::find_if(distances.begin(), distances.end(),
                                [&](const TUnitDistance &u) { return u.Unit == item.Name; });
    if (d == distances.end())
      return "平面图中的生产单元“" + item.Name + "”（" + item.Entity + "）没有卫生防护距离";
  }
  for (const TUnitDistance &d : distances) {
    if (!d.Determined)
      return "生产单元“" + d.Unit + "”的卫生防护距离未确定，包络线无法确定";
    if (!(d.Distance > 0) || !std::isfinite(d.Distance))
      return "生产单元“" + d.Unit + "”的卫生防护距离不是正数";
    if (std::none_of(plan.Units.begin(), plan.Units.end(),
                     [&](const TPlanItem &item) { return item.Name == d.Unit; }))
      return "生产单元“" + d.Unit + "”在平面图中没有轮廓";
  }
  return "";
}

TFrame FrameOf(const TPlan &plan) {
  const TShape &first = plan.Units.front().Shape;
  // A whole metre keeps the subtraction exact for coordinates near it.
  return {{std::round(first.Outline.Outer.front().X), std::round(first.Outline.Outer.front().Y)}};
}

} // namespace

int QuadrantSegmentsFor(double largest) {
  int q = 8;
  while (largest * (1 - std::cos(M_PI / (4.0 * q))) >= 0.1 && q < 100000)
    ++q;
  return q;
}

namespace {

// A unit's outlines and zone; its cores and radii into `geometry`. Null
// with `problem` when an outline is not a valid polygon.
TGeom UnitZone(const TGeos &g, const TFrame &f, const TPlan &plan, const TUnitDistance &distance,
               int q, TUnitZone &zone, TUnitGeometry &geometry, std::string &problem) {
  zone.Unit = distance.Unit;
  zone.Distance = distance.Distance;
  std::vector<TGeom> outlines, parts;
  for (const TPlanItem &item : plan.Units) {
    if (item.Name != zone.Unit)
      continue;
    TGeom core = CoreOf(g, item.Shape, f);
    if (!core || (item.Shape.Kind == TShape::Polygon && GEOSisValid_r(g.H, core.get()) != 1)) {
      problem = "生产单元“" + item.Name + "”的轮廓（" + item.Entity + "）不是有效的多边形（自相交？）";
      return nullptr;
    }
    const double r = RadiusOf(item.Shape);
    outlines.push_back(r > 0 ? Buffered(g, core.get(), r, q)
                             : g.Own(GEOSGeom_clone_r(g.H, core.get())));
    parts.push_back(Buffered(g, core.get(), r + zone.Distance, q));
    geometry.Cores.push_back(std::move(core));
    geometry.Radii.push_back(r);
  }
  TGeom outline = UnionOf(g, std::move(outlines));
  TGeom zoneGeom = UnionOf(g, std::move(parts));
  if (!outline || !zoneGeom) {
    problem = "生产单元“" + zone.Unit + "”的防护区无法计算";
    return nullptr;
  }
  AreaBack(g, outline.get(), f, zone.Outline);
  AreaBack(g, zoneGeom.get(), f, zone.Zone);
  TGeom label = g.Own(GEOSPointOnSurface_r(g.H, outline.get()));
  if (label) {
    GEOSGeomGetX_r(g.H, label.get(), &zone.LabelAt.X);
    GEOSGeomGetY_r(g.H, label.get(), &zone.LabelAt.Y);
  }
  zone.LabelAt = {zone.LabelAt.X + f.Origin.X, zone.LabelAt.Y + f.Origin.Y};
  return zoneGeom;
}

// A receptor against every unit: the one whose zone comes nearest (the
// least distance less 卫生防护距离).
bool Receptor(const TGeos &g, const TFrame &f, const TPlanItem &item,
              const std::vector<TUnitGeometry> &units,
              const std::vector<TUnitDistance> &distances, TReceptorResult &r,
              std::string &problem) {
  TGeom core = CoreOf(g, item.Shape, f);
  if (!core || (item.Shape.Kind == TShape::Polygon && GEOSisValid_r(g.H, core.get()) != 1)) {
    problem = "敏感目标“" + item.Name + "”（" + item.Entity + "）不是有效的多边形（自相交？）";
    return false;
  }
  r.Receptor = item.Name;
  r.Shape = item.Shape;
  double margin = std::numeric_limits<double>::infinity();
  for (std::size_t u = 0; u < units.size(); ++u) {
    const double d = DistanceTo(g, core.get(), RadiusOf(item.Shape), units[u]);
    if (d - distances[u].Distance < margin) {
      margin = d - distances[u].Distance;
      r.Unit = distances[u].Unit;
      r.Distance = d;
      r.Required = distances[u].Distance;
    }
  }
  r.Inside = r.Distance < r.Required;
  return true;
}

} // namespace

bool MakeEnvelope(const TPlan &plan, const std::vector<TUnitDistance> &distances,
                  TEnvelope &envelope, std::string &problem) {
  problem = Unmatched(plan, distances);
  if (problem.empty() && distances.empty())
    problem = "没有生产单元";
  if (!problem.empty())
    return false;
  TGeos g;
  const TFrame f = FrameOf(plan);
  double largest = 0;
  for (const TUnitDistance &d : distances)
    for (const TPlanItem &item : plan.Units)
      if (item.Name == d.Unit)
        largest = std::max(largest, d.Distance + RadiusOf(item.Shape));
  envelope = TEnvelope();
  envelope.QuadrantSegments = QuadrantSegmentsFor(largest);
  std::vector<TUnitGeometry> units(distances.size());
  std::vector<TGeom> zones;
  for (std::size_t u = 0; u < distances.size(); ++u) {
    TUnitZone zone;
    TGeom zoneGeom = UnitZone(g, f, plan, distances[u], envelope.QuadrantSegments, zone, units[u],
                              problem);
    if (!zoneGeom)
      return false;
    envelope.Units.push_back(std::move(zone));
    zones.push_back(std::move(zoneGeom));
  }
  TGeom all = UnionOf(g, std::move(zones));
  if (!all) {
    problem = "包络线无法计算";
    return false;
  }
  AreaBack(g, all.get(), f, envelope.Envelope);
  for (const TPlanItem &item : plan.Receptors) {
    TReceptorResult r;
    if (!Receptor(g, f, item, units, distances, r, problem))
      return false;
    envelope.Compliant &= !r.Inside;
    envelope.Receptors.push_back(std::move(r));
  }
  return true;
}
