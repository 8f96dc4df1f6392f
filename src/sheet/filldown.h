// Merged cells as spreadsheet programs save them as CSV: the merge's text
// in its first row only, the cells below it empty.
#pragma once

#include <string>

// Fills a column's empty cells, row by row, with the text of the nearest
// cell above that has one.
class TFillDown {
public:
  enum TFill { Own, FromAbove, NoneAbove };
  // Fills `cell` when it is empty; NoneAbove (cell left empty) when no
  // cell above had text.
  TFill Fill(std::string &cell);

private:
  std::string FAbove;
};
