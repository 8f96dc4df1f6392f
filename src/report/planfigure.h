// The figure of the envelope on the site plan: outlines, zones, the envelope,
// receptors with their distances, a scale bar, a north arrow, a legend and a
// title. It is built once as a list of shapes in page units (px at 96 dpi,
// 640 wide: A4's text width) and written as SVG here, or painted as PNG
// (planpaint.h), so both pictures show the same drawing.
#pragma once

#include <string>
#include <vector>

#include "geometry.h"

struct TDrawItem {
  enum Kind { Path, Label } Kind = Path;
  std::vector<TRing> Rings; // Path, in page units; even-odd filled
  bool Closed = true;
  std::string Stroke = "none", Fill = "none"; // "#rrggbb" or "none"
  double StrokeWidth = 1, FillOpacity = 1;
  bool Dashed = false;
  TPoint At; // Label: where its baseline starts, centres or ends
  std::string Text;
  int Size = 11;   // px
  int Anchor = -1; // -1 start, 0 middle, 1 end
  bool Bold = false;
};

struct TDrawing {
  double Width = 640, Height = 0;
  std::vector<TDrawItem> Items;
};

// The fonts the labels ask for, the first the reader's system has: the
// Chinese sans fonts of Windows and of Linux.
extern const char *const FigureFonts[];

// `northAngle`: where north points, degrees clockwise from the plan's +Y.
TDrawing EnvelopeDrawing(const TEnvelope &envelope, double northAngle);
std::string DrawingSvg(const TDrawing &drawing);
// The caption below the figure in documents: "图：…" standing alone, or
// after its number in a longer document ("图 4　…").
std::string EnvelopeCaption(const TEnvelope &envelope, const std::string &number = {});
