// The per-unit rule of a plant: a unit's 卫生防护距离 is the largest graded
// distance of its pollutants, raised one grade when two or more pollutants
// share that largest grade; a unit with a row that failed has none, since
// its largest distance is unknown.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct TUnitConclusion {
  std::string Unit;
  std::vector<std::size_t> Rows; // indices of its rows, in input order
  bool Determined = true;
  double Largest = 0;                // the largest graded distance, m
  std::vector<std::string> Deciding; // the pollutants graded to Largest
  double Distance = 0;               // the unit's 卫生防护距离, m
  bool Raised = false;               // Distance is one grade above Largest
};

// Gathers rows one by one into units, in the order units first appear;
// the time per row does not grow with the number of units.
class TRollUp {
public:
  explicit TRollUp(bool raise) : FRaise(raise) {}

  // The next row: its unit and pollutant, and its graded distance when it
  // succeeded. Its index is the number of rows added before it.
  void Add(const std::string &unit, const std::string &pollutant, bool succeeded, double graded);
  // The conclusions of the rows added so far.
  std::vector<TUnitConclusion> Units() const;

private:
  bool FRaise;
  std::size_t FRows = 0;
  std::vector<TUnitConclusion> FUnits;
  std::unordered_map<std::string, std::size_t> FIndex; // unit -> position in FUnits
};
