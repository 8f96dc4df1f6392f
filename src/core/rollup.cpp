#include "rollup.h"

#include "UCal.h"

void TRollUp::Add(const std::string &unit, const std::string &pollutant, bool succeeded,
                  double graded) {
  const auto [at, added] = FIndex.try_emplace(unit, FUnits.size());
  if (added)
    FUnits.push_back({unit, {}, true, 0, {}, 0, false});
  TUnitConclusion &u = FUnits[at->second];
  u.Rows.push_back(FRows++);
  u.Determined &= succeeded;
  if (!succeeded)
    return;
  if (graded > u.Largest) {
    u.Largest = graded;
    u.Deciding.clear();
  }
  if (graded == u.Largest)
    u.Deciding.push_back(pollutant);
}

std::vector<TUnitConclusion> TRollUp::Units() const {
  std::vector<TUnitConclusion> units = FUnits;
  for (TUnitConclusion &u : units) {
    if (!u.Determined) {
      u.Largest = 0;
      u.Deciding.clear();
      continue;
    }
    u.Raised = FRaise && u.Deciding.size() >= 2;
    u.Distance = u.Raised ? NextGrade(u.Largest) : u.Largest;
  }
  return units;
}
