#include "rollup.h"

#include "UCal.h"

namespace {

// Gathers a row whose pollutant the unit has listed before.
void NoteRepeat(TUnitConclusion &unit, std::unordered_map<std::string, std::size_t> &firstRows,
                const std::string &pollutant, std::size_t row) {
  const auto [first, added] = firstRows.try_emplace(pollutant, row);
  if (added)
    return;
  for (TRepeatedPollutant &repeated : unit.Repeated)
    if (repeated.Pollutant == pollutant) {
      repeated.Rows.push_back(row);
      return;
    }
  unit.Repeated.push_back({pollutant, {first->second, row}});
}

} // namespace

void TRollUp::Add(const std::string &unit, const std::string &pollutant, bool succeeded,
                  double graded) {
  const auto [at, added] = FIndex.try_emplace(unit, FUnits.size());
  if (added) {
    FUnits.emplace_back();
    FUnits.back().Unit = unit;
    FFirstRows.emplace_back();
  }
  TUnitConclusion &u = FUnits[at->second];
  const std::size_t row = FRows++;
  u.Rows.push_back(row);
  NoteRepeat(u, FFirstRows[at->second], pollutant, row);
  if (!succeeded) {
    u.FailedRows.push_back(row);
    return;
  }
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
    u.Determined = u.FailedRows.empty() && u.Repeated.empty();
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
