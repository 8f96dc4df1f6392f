// The site-plan readers and the envelope on any bytes: no crash, no leak;
// a plan that reads holds only finite coordinates, polygons of three or
// more points and circles of positive radius; its envelope, when made, has
// every receptor at a finite distance of at least 0 from a unit it names.
// The bytes are read as DXF and as GeoJSON both.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dxf.h"
#include "geojson.h"
#include "geometry.h"

namespace {

[[noreturn]] void Fail(const char *what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

void CheckShape(const TShape &shape) {
  const TRing &ring = shape.Outline.Outer;
  if (ring.empty() || (shape.Kind == TShape::Polygon && ring.size() < 3))
    Fail("an outline without its points");
  if (shape.Kind == TShape::Circle && !(shape.Radius > 0))
    Fail("a circle without a radius");
  for (const TPoint &p : ring)
    if (!std::isfinite(p.X) || !std::isfinite(p.Y))
      Fail("a coordinate that is no number");
}

// Every unit at 50 m.
void CheckPlan(const TPlan &plan) {
  for (const TPlanItem &item : plan.Units)
    CheckShape(item.Shape);
  for (const TPlanItem &item : plan.Receptors)
    CheckShape(item.Shape);
  std::vector<TUnitDistance> distances;
  for (const TPlanItem &item : plan.Units)
    if (std::none_of(distances.begin(), distances.end(),
                     [&](const TUnitDistance &d) { return d.Unit == item.Name; }))
      distances.push_back({item.Name, true, 50});
  TEnvelope envelope;
  std::string problem;
  if (!MakeEnvelope(plan, distances, envelope, problem))
    return;
  for (const TReceptorResult &r : envelope.Receptors)
    if (!(r.Distance >= 0) || !std::isfinite(r.Distance) || r.Unit.empty())
      Fail("a receptor without its distance");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  TPlan dxf, geo;
  std::string problem;
  if (ReadDxfPlan(bytes, {"一车间", "二车间", "三车间", "A"}, "敏感目标", dxf, problem))
    CheckPlan(dxf);
  if (ReadGeoJsonPlan(bytes, geo, problem))
    CheckPlan(geo);
  return 0;
}
