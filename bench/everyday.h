// A fixed mix of everyday problems for the benchmarks: Qe 0.01-100 kg/h,
// Cm 0.01-10 mg/m³, S 10-100000 m², V 0.5-10 m/s, any class, L 10-10000 m;
// numbers as six-digit text, the way a spreadsheet column holds them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "UCal.h"

struct EverydayCase {
  std::string Area, Cm, Wind, Qe, Distance;
  std::int32_t SourceClass;
};

std::vector<EverydayCase> EverydayCases(std::size_t count, std::uint64_t seed = 2024);

// A calculator holding the case's inputs, ready for either computation.
TKestrin CalculatorFor(const EverydayCase &c);

// The cases as batch input rows, distance mode, after BatchHeader.
constexpr const char *BatchHeader = "mode,area,cm,wind,class,qe\n";
void WriteBatchRows(std::FILE *out, const std::vector<EverydayCase> &cases);
