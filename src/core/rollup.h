// The per-unit rule of a plant: a unit's 卫生防护距离 is the largest graded
// distance of its pollutants, raised one grade when two or more different
// pollutants share that largest grade. A unit has none when a row of it
// failed, since its largest distance is unknown, or when it lists a
// pollutant on more than one row: whether those rows are parts of one
// emission to be summed or one entered twice is not the rule's to guess.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// A pollutant a unit lists on more than one row.
struct TRepeatedPollutant {
  std::string Pollutant;
  std::vector<std::size_t> Rows; // indices of the rows naming it, in input order
};

struct TUnitConclusion {
  std::string Unit;
  std::vector<std::size_t> Rows; // indices of its rows, in input order
  // Why it is not determined: its rows that failed, its repeated pollutants.
  std::vector<std::size_t> FailedRows;
  std::vector<TRepeatedPollutant> Repeated;
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
  // By position in FUnits: each pollutant's first row.
  std::vector<std::unordered_map<std::string, std::size_t>> FFirstRows;
};
