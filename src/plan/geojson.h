// Site plans in GeoJSON, for GIS users: read from a FeatureCollection, and
// the envelope written back as one.
#pragma once

#include <string>

#include "geometry.h"
#include "plan.h"

// A Polygon or MultiPolygon feature with the property "unit" is that unit's
// outline; a Point or Polygon with "receptor" is a receptor; other features
// are left out. False with `problem` naming the feature when the text is
// not such a collection.
bool ReadGeoJsonPlan(const std::string &text, TPlan &plan, std::string &problem);

// The zones (property "layer": 卫生防护距离-<单元>, "unit", "distance"), the
// envelope ("layer": 卫生防护距离包络线) and the receptors with their
// distances, in the plan's coordinates.
std::string GeoJsonOfEnvelope(const TEnvelope &envelope);
