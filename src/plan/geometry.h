// The envelope (包络线) of a plant on its site plan: each unit's zone, every
// point within its 卫生防护距离 of the unit's outline (round at corners,
// concave outlines too), the union of the zones, and each receptor's exact
// distance to each unit's outline. The geometry is GEOS's.
#pragma once

#include <string>
#include <vector>

#include "plan.h"

// A unit's distance as decided (by its sheet rows or given).
struct TUnitDistance {
  std::string Unit;
  bool Determined = true;
  double Distance = 0; // m, when determined
};

struct TUnitZone {
  std::string Unit;
  double Distance = 0;
  TArea Outline; // the unit as drawn; a circle's as segments
  TArea Zone;    // within Distance of the outline
  TPoint LabelAt; // a point on the outline's surface
};

struct TReceptorResult {
  std::string Receptor;
  TShape Shape;
  std::string Unit;        // the unit whose zone comes nearest
  double Distance = 0;     // from the receptor to that unit's outline, m
  double Required = 0;     // that unit's 卫生防护距离, m
  bool Inside = false;     // Distance < Required
};

struct TEnvelope {
  std::vector<TUnitZone> Units; // in the order of the distances
  TArea Envelope;               // the union of the zones
  std::vector<TReceptorResult> Receptors;
  bool Compliant = true;     // no receptor inside
  int QuadrantSegments = 0;  // segments per quarter circle of the drawn arcs
};

// Segments per quarter circle for arcs of radius up to `largest` whose
// chords stray less than 0.1 m from the true circle: the least q with
// largest·(1 − cos(π/(4q))) < 0.1, at least 8.
int QuadrantSegmentsFor(double largest);

// The envelope of the plan's units at their distances; false with a message
// naming the unit when a unit has a distance and no outline, an outline and
// no distance, or no determined distance, or when an outline is not a
// valid polygon.
bool MakeEnvelope(const TPlan &plan, const std::vector<TUnitDistance> &distances,
                  TEnvelope &envelope, std::string &problem);
