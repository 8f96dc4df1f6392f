// The figure of a unit in the plant report: each pollutant's model emission
// Q(L) on log axes, with its Qe, its L and its graded L, and the unit's
// 卫生防护距离.
#pragma once

#include <string>
#include <vector>

#include "plantreport.h"

// The figure of a unit's rows as HTML (an SVG picture, then `caption`), or
// "" when there is nothing to draw; `id` keeps its clipping path apart from
// the others'. Every pollutant has its own colour and mark, so equal curves
// are told apart, and its full name in the legend.
std::string UnitFigureHtml(const std::vector<TReportRow> &rows, const TUnitConclusion &unit,
                           const std::string &id, const std::string &caption);
// What the figure shows, without its number; pollutants whose rows failed
// are named as missing.
std::string FigureCaption(const TUnitConclusion &unit, const std::vector<std::string> &missing);
