// The figure of a unit in the plant report: each pollutant's model emission
// Q(L) on log axes, with its Qe, its L and its graded L, and the unit's
// 卫生防护距离.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "plantreport.h"

// The figure of a unit's rows as HTML (an SVG picture, then `caption`), or
// "" when there is nothing to draw; `id` keeps its clipping path apart from
// the others'. Every pollutant has its own colour and mark, so equal curves
// are told apart, and its full name in the legend.
std::string UnitFigureHtml(const std::vector<TReportRow> &rows, const TUnitConclusion &unit,
                           const std::string &id, const std::string &caption);
// What a unit's figure leaves out: the pollutants whose rows failed (the
// first ten named), and those past the most a figure draws.
struct TFigureOmissions {
  std::size_t Failed = 0;
  std::vector<std::string> FailedNames;
  std::size_t NotDrawn = 0;
};
// What the figure shows, without its number, and what it lacks.
std::string FigureCaption(const TUnitConclusion &unit, const TFigureOmissions &omitted);

// Bytes as base64, for a picture inside a data: address.
std::string Base64(const std::string &bytes);
