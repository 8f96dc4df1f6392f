#include "geojson.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

using Json = nlohmann::ordered_json;

// Reading stops at the first thing that is not as GeoJSON has it.
struct TBadFeature {
  std::string Why;
};

TPoint PointOf(const Json &position) {
  if (!position.is_array() || position.size() < 2 || !position[0].is_number() ||
      !position[1].is_number())
    throw TBadFeature{"坐标不是 [x, y]"};
  const TPoint p{position[0].get<double>(), position[1].get<double>()};
  if (!std::isfinite(p.X) || !std::isfinite(p.Y))
    throw TBadFeature{"坐标不是有限数"};
  return p;
}

TRing RingOf(const Json &positions) {
  if (!positions.is_array())
    throw TBadFeature{"环不是坐标数组"};
  TRing ring;
  for (const Json &position : positions)
    ring.push_back(PointOf(position));
  if (ring.size() > 1 && ring.front().X == ring.back().X && ring.front().Y == ring.back().Y)
    ring.pop_back();
  if (ring.size() < 3)
    throw TBadFeature{"多边形的环少于 3 个点"};
  return ring;
}

TPolygon PolygonOf(const Json &rings) {
  if (!rings.is_array() || rings.empty())
    throw TBadFeature{"多边形没有环"};
  TPolygon polygon;
  polygon.Outer = RingOf(rings[0]);
  for (std::size_t i = 1; i < rings.size(); ++i)
    polygon.Holes.push_back(RingOf(rings[i]));
  return polygon;
}

// The shapes of a geometry: a point, a polygon's outline, each of a
// MultiPolygon's.
std::vector<TShape> ShapesOf(const Json &geometry, bool unit) {
  const std::string type = geometry.is_object() ? geometry.value("type", "") : "";
  const Json coordinates = geometry.is_object() ? geometry.value("coordinates", Json()) : Json();
  std::vector<TShape> shapes;
  if (type == "Point" && !unit) {
    TShape s;
    s.Outline.Outer = {PointOf(coordinates)};
    shapes.push_back(s);
  } else if (type == "Polygon") {
    TShape s;
    s.Kind = TShape::Polygon;
    s.Outline = PolygonOf(coordinates);
    shapes.push_back(s);
  } else if (type == "MultiPolygon" && coordinates.is_array()) {
    for (const Json &rings : coordinates) {
      TShape s;
      s.Kind = TShape::Polygon;
      s.Outline = PolygonOf(rings);
      shapes.push_back(s);
    }
  } else {
    throw TBadFeature{std::string(unit ? "生产单元须为 Polygon 或 MultiPolygon"
                                       : "敏感目标须为 Point、Polygon 或 MultiPolygon") +
                      "，而不是 " + (type.empty() ? "无类型" : type)};
  }
  return shapes;
}

void ReadFeature(const Json &feature, const std::string &entity, TPlan &plan) {
  const Json properties = feature.is_object() ? feature.value("properties", Json()) : Json();
  if (!properties.is_object())
    return;
  for (const bool unit : {true, false}) {
    const auto name = properties.find(unit ? "unit" : "receptor");
    if (name == properties.end())
      continue;
    if (!name->is_string() || TrimmedName(name->get<std::string>()).empty())
      throw TBadFeature{std::string(unit ? "\"unit\"" : "\"receptor\"") + " 不是名称文字"};
    for (const TShape &shape : ShapesOf(feature.value("geometry", Json()), unit))
      (unit ? plan.Units : plan.Receptors)
          .push_back({TrimmedName(name->get<std::string>()), shape, entity});
    return;
  }
}

} // namespace

bool ReadGeoJsonPlan(const std::string &text, TPlan &plan, std::string &problem) {
  const Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded() || !j.is_object() || j.value("type", "") != "FeatureCollection" ||
      !j.contains("features") || !j["features"].is_array()) {
    problem = "不是 GeoJSON 的 FeatureCollection";
    return false;
  }
  std::size_t n = 0;
  for (const Json &feature : j["features"]) {
    const std::string entity = "第 " + std::to_string(++n) + " 个 feature";
    try {
      ReadFeature(feature, entity, plan);
    } catch (const TBadFeature &bad) {
      problem = entity + "：" + bad.Why;
      return false;
    }
  }
  return true;
}

namespace {

Json Position(const TPoint &p) {
  return Json::array({p.X, p.Y});
}

Json RingJson(const TRing &ring) {
  Json positions = Json::array();
  for (const TPoint &p : ring)
    positions.push_back(Position(p));
  positions.push_back(Position(ring.front())); // GeoJSON closes its rings
  return positions;
}

Json Rings(const TPolygon &polygon) {
  Json rings = Json::array({RingJson(polygon.Outer)});
  for (const TRing &hole : polygon.Holes)
    rings.push_back(RingJson(hole));
  return rings;
}

Json MultiPolygon(const TArea &area) {
  Json polygons = Json::array();
  for (const TPolygon &polygon : area)
    polygons.push_back(Rings(polygon));
  return {{"type", "MultiPolygon"}, {"coordinates", polygons}};
}

Json Feature(const Json &geometry, const Json &properties) {
  return {{"type", "Feature"}, {"properties", properties}, {"geometry", geometry}};
}

Json ReceptorGeometry(const TShape &shape) {
  if (shape.Kind == TShape::Polygon)
    return {{"type", "Polygon"}, {"coordinates", Rings(shape.Outline)}};
  return {{"type", "Point"}, {"coordinates", Position(shape.Outline.Outer.front())}};
}

} // namespace

std::string GeoJsonOfEnvelope(const TEnvelope &envelope) {
  Json features = Json::array();
  features.push_back(Feature(MultiPolygon(envelope.Envelope), {{"layer", "卫生防护距离包络线"}}));
  for (const TUnitZone &zone : envelope.Units)
    features.push_back(Feature(MultiPolygon(zone.Zone), {{"layer", "卫生防护距离-" + zone.Unit},
                                                         {"unit", zone.Unit},
                                                         {"distance", zone.Distance}}));
  for (const TReceptorResult &r : envelope.Receptors)
    features.push_back(Feature(ReceptorGeometry(r.Shape), {{"receptor", r.Receptor},
                                                           {"unit", r.Unit},
                                                           {"distance_to_boundary", r.Distance},
                                                           {"required", r.Required},
                                                           {"inside", r.Inside}}));
  const Json collection = {{"type", "FeatureCollection"}, {"features", features}};
  return collection.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}
