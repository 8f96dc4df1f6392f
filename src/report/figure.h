// The figure of a unit in the plant report: each pollutant's model emission
// Q(L) on log axes, with its Qe, its L and its graded L, and the unit's
// 卫生防护距离.
#pragma once

#include <string>
#include <vector>

#include "plantreport.h"

// The figure as HTML (an SVG picture, then its caption), or "" when there
// is nothing to draw; `id` keeps its clipping path apart from the others'.
std::string UnitFigureHtml(const TUnitConclusion &unit, const std::vector<TReportRow> &rows,
                           const std::string &id);
// What the figure shows, for the Markdown, which has no picture.
std::string FigureCaption(const TUnitConclusion &unit);

// Bytes as base64, for a picture inside a data: address.
std::string Base64(const std::string &bytes);
