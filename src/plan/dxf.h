// Site plans in DXF, as CAD programs export them (ASCII DXF only): just the
// entities a plan's units and receptors are drawn with, read and written by
// this small module rather than a general DXF library (the one Debian has is
// GPL-2+, which would put the whole program under the GPL).
#pragma once

#include <string>
#include <vector>

#include "plan.h"

// Reads the plan from a DXF file's bytes. Closed LWPOLYLINE and POLYLINE
// outlines and CIRCLEs are named by the TEXT or MTEXT inside them (the
// innermost outline holding the text) or else by their layer; an outline is
// a unit's when one of those names is in `units`, others (roads, the fence)
// are left out. Receptors are the POINTs, closed polylines and CIRCLEs on
// `receptorLayer`, named by that layer's text inside them or, for a point,
// the nearest. Strings are UTF-8 with \U+XXXX escapes, or GBK in files
// before AutoCAD 2007 whose code page says so. False with `problem` naming
// the entity when the file cannot be used.
bool ReadDxfPlan(const std::string &bytes, const std::vector<std::string> &units,
                 const std::string &receptorLayer, TPlan &plan, std::string &problem);

// A layer of areas to write: each ring a closed polyline.
struct TDxfLayer {
  std::string Name;
  int Colour = 7; // AutoCAD colour index
  TArea Area;
};

// A DXF (AutoCAD R12, which every CAD program reads) holding the layers, in
// the plan's own coordinates; names in GBK, the code page it declares.
std::string DxfOfLayers(const std::vector<TDxfLayer> &layers);
