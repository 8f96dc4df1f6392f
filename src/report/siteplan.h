// The site plan of a plant report (kestrin-cli report --plan and envelope,
// the plant window): the plan file read, the units' distances taken from
// their roll-up, and the report's section on the envelope made from them.
#pragma once

#include <string>
#include <vector>

#include "envelopesection.h"
#include "plantreport.h"

// A DXF or GeoJSON plan (told apart by the name's ending or a first "{"):
// `units` names the outlines a DXF plan's texts may name, its receptors are
// on `receptorLayer`. False with a message naming the file when it cannot
// be read.
bool ReadPlanFile(const std::string &path, const std::vector<std::string> &units,
                  const std::string &receptorLayer, TPlan &plan, std::string &problem);

// Each unit's 卫生防护距离 as rolled up, by its trimmed name.
std::vector<TUnitDistance> DistancesOf(const std::vector<TUnitConclusion> &units);

// The report's section on the envelope: the figure, the receptor table and
// the conclusion, and its JSON; when a unit's distance is undetermined, a
// paragraph saying so instead (Drawn false, PlanJson null).
struct TPlanSection {
  TNumberedSection Section;
  Json PlanJson;
  bool Drawn = false;
  std::string Undetermined; // the sentence, when not drawn
  TEnvelope Envelope;       // when drawn
};
// False with a message naming the unit when the plan and the distances do
// not fit (see MakeEnvelope).
bool MakePlanSection(const TPlan &plan, const std::vector<TUnitDistance> &distances,
                     double northAngle, TPlanSection &section, std::string &problem);
