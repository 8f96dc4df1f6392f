#include "filldown.h"

TFillDown::TFill TFillDown::Fill(std::string &cell) {
  if (!cell.empty()) {
    FAbove = cell;
    return Own;
  }
  if (FAbove.empty())
    return NoneAbove;
  cell = FAbove;
  return FromAbove;
}
