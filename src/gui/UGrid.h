// The coefficient grid sgABCD: a string grid of 2 columns and 5 rows whose
// first row and first column are fixed (heading) cells.
//
// Row 0 is the table's horizontal header, column 0 its vertical header and
// cell (0, 0) the corner, so dragging a heading section's edge resizes
// column 1 or rows 1-4, while row 0 and column 0 keep their size.
#pragma once

#include <QTableWidget>

class TCoefficientGrid : public QTableWidget {
  Q_OBJECT

public:
  explicit TCoefficientGrid(QWidget *parent = nullptr);

  // A cell by grid position, fixed cells included: (column 0, row 0) is the
  // corner, row 0 the heading row, column 0 the heading column.
  void SetCell(int col, int row, const QString &text);
  QString Cell(int col, int row) const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  // Typing does not jump to a cell.
  void keyboardSearch(const QString &) override {}

private:
  QWidget *FCorner;
  QString FCornerText;
};
