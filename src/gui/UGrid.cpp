#include "UGrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <qdrawutil.h>

namespace {

constexpr QRgb FixedColor = 0xFFFFFFC4;
constexpr int GridLine = 1;
constexpr int ValueRows = 4;   // rows 1 to 4
constexpr int FixedWidth = 80; // column 0
constexpr int ValueWidth = 89; // column 1
constexpr int RowHeight = 14;
constexpr int TextOffset = 2; // text is drawn this far right of and below a cell's corner

// The classic string grid's lines: black between fixed cells, silver
// between value cells.
constexpr QRgb FixedLineColor = 0xFF000000;
constexpr QRgb ValueLineColor = 0xFFC0C0C0;

// On the application's style: a proxy made without a base would draw on
// Qt's default style whatever the application's is.
class TGridStyle : public QProxyStyle {
public:
  TGridStyle() : QProxyStyle(QApplication::style()->name()) {}

  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returnData) const override {
    if (hint == SH_Table_GridLineColor)
      return int(ValueLineColor);
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
  // The square between the two scroll bars is a plain button face, not the
  // colour of the panel behind the grid.
  void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override {
    if (element == PE_PanelScrollAreaCorner)
      painter->fillRect(option->rect, option->palette.button());
    else
      QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

// A fixed cell: its colour with a raised edge, the grid line on its right and
// bottom, the text clipped to the cell.
void PaintFixedCell(QPainter *painter, const QRect &rect, const QString &text,
                    const QWidget *grid) {
  painter->save();
  painter->fillRect(rect, QColor::fromRgb(FixedLineColor));
  const QRect cell = rect.adjusted(0, 0, -GridLine, -GridLine);
  painter->fillRect(cell, QColor::fromRgb(FixedColor));
  qDrawShadePanel(painter, cell, grid->palette(), false, 1);
  painter->setClipRect(cell);
  painter->setFont(grid->font());
  painter->setPen(grid->palette().color(QPalette::Text));
  painter->drawText(cell.adjusted(TextOffset, TextOffset, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                    text);
  painter->restore();
}

// The heading row (horizontal) or heading column (vertical). Its thickness is
// fixed; its sections are the fixed cells and can be dragged to resize.
class TFixedHeader : public QHeaderView {
public:
  TFixedHeader(Qt::Orientation orientation, int thickness, QTableWidget *grid)
      : QHeaderView(orientation, grid), FGrid(grid), FThickness(thickness) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(GridLine);
    setDefaultSectionSize(orientation == Qt::Horizontal ? ValueWidth + GridLine
                                                        : RowHeight + GridLine);
  }

  QSize sizeHint() const override {
    return orientation() == Qt::Horizontal ? QSize(length(), FThickness)
                                           : QSize(FThickness, length());
  }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), FGrid->palette().color(QPalette::Base));
    for (int i = 0; i < count(); ++i) {
      const int start = sectionViewportPosition(i);
      const QRect rect = orientation() == Qt::Horizontal
                             ? QRect(start, 0, sectionSize(i), FThickness)
                             : QRect(0, start, FThickness, sectionSize(i));
      PaintFixedCell(&painter, rect, model()->headerData(i, orientation()).toString(), FGrid);
    }
  }

  void mousePressEvent(QMouseEvent *event) override {
    FGrabShift = GrabShiftAt(event->position().toPoint());
    Forward(event, &TFixedHeader::BasePress);
  }
  void mouseMoveEvent(QMouseEvent *event) override {
    if (event->buttons() == Qt::NoButton)
      FGrabShift = GrabShiftAt(event->position().toPoint());
    Forward(event, &TFixedHeader::BaseMove);
  }
  void mouseReleaseEvent(QMouseEvent *event) override {
    Forward(event, &TFixedHeader::BaseRelease);
  }
  // A second press is a press, not a request to fit the section to its text.
  void mouseDoubleClickEvent(QMouseEvent *event) override { mousePressEvent(event); }

private:
  // Qt grabs a section's edge from 2 pixels before its grid line to 4 after,
  // and not at all after the last section; the grid grabs from 3 before to 4
  // after every line. A mouse in the difference is moved onto the line, and a
  // drag keeps that offset so the line follows the mouse.
  int GrabShiftAt(const QPoint &point) const {
    const int position = orientation() == Qt::Horizontal ? point.x() : point.y();
    for (int i = 0; i < count(); ++i) {
      const int line = sectionViewportPosition(i) + sectionSize(i) - GridLine;
      const bool last = i == count() - 1;
      if (position == line - 3 || (last && position > line && position <= line + 4))
        return line - position;
    }
    return 0;
  }

  void BasePress(QMouseEvent *event) { QHeaderView::mousePressEvent(event); }
  void BaseMove(QMouseEvent *event) { QHeaderView::mouseMoveEvent(event); }
  void BaseRelease(QMouseEvent *event) { QHeaderView::mouseReleaseEvent(event); }

  void Forward(QMouseEvent *event, void (TFixedHeader::*handler)(QMouseEvent *)) {
    const QPointF shift =
        orientation() == Qt::Horizontal ? QPointF(FGrabShift, 0) : QPointF(0, FGrabShift);
    QMouseEvent moved(event->type(), event->position() + shift, event->scenePosition() + shift,
                      event->globalPosition() + shift, event->button(), event->buttons(),
                      event->modifiers(), event->pointingDevice());
    (this->*handler)(&moved);
    event->setAccepted(moved.isAccepted());
  }

  QTableWidget *FGrid;
  int FThickness;
  int FGrabShift = 0;
};

// Value cells: the text drawn like a fixed cell's, on the grid's colour. The
// current cell is painted in the selection colours while the grid lacks the
// focus, and normally with a dotted frame while it has it.
class TCellDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override {
    const auto *grid = qobject_cast<const QAbstractItemView *>(option.widget);
    const bool current = grid && grid->currentIndex() == index;
    const bool focused = grid && grid->hasFocus();
    const bool highlighted = current && !focused;
    const QPalette &palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, palette.color(QPalette::Active, highlighted ? QPalette::Highlight
                                                                               : QPalette::Base));
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(
        palette.color(QPalette::Active, highlighted ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect.adjusted(TextOffset, TextOffset, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    if (current && focused) {
      painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
      painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
  }
};

} // namespace

TCoefficientGrid::TCoefficientGrid(QWidget *parent) : QTableWidget(parent) {
  setHorizontalHeader(new TFixedHeader(Qt::Horizontal, RowHeight + GridLine, this));
  setVerticalHeader(new TFixedHeader(Qt::Vertical, FixedWidth + GridLine, this));
  setRowCount(ValueRows);
  setColumnCount(1);
  setHorizontalHeaderItem(0, new QTableWidgetItem);
  for (int row = 0; row < ValueRows; ++row) {
    setVerticalHeaderItem(row, new QTableWidgetItem);
    auto *cell = new QTableWidgetItem;
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, 0, cell);
  }
  setItemDelegate(new TCellDelegate(this));
  auto *style = new TGridStyle;
  style->setParent(this);
  setStyle(style);
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectItems);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  // By item, one column that no longer fits would give no horizontal scroll bar.
  setHorizontalScrollMode(ScrollPerPixel);
  setCurrentCell(0, 0);
  FCorner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
  FCorner->installEventFilter(this);
}

void TCoefficientGrid::SetCell(int col, int row, const QString &text) {
  if (col == 0 && row == 0) {
    FCornerText = text;
    FCorner->update();
  } else if (row == 0) {
    horizontalHeaderItem(col - 1)->setText(text);
  } else if (col == 0) {
    verticalHeaderItem(row - 1)->setText(text);
  } else {
    item(row - 1, col - 1)->setText(text);
  }
}

QString TCoefficientGrid::Cell(int col, int row) const {
  if (col == 0 && row == 0)
    return FCornerText;
  if (row == 0)
    return horizontalHeaderItem(col - 1)->text();
  if (col == 0)
    return verticalHeaderItem(row - 1)->text();
  return item(row - 1, col - 1)->text();
}

// The corner is cell (0, 0), painted as a fixed cell. Like the heading cells
// it takes no focus, so a click on it gives the grid the focus.
bool TCoefficientGrid::eventFilter(QObject *watched, QEvent *event) {
  if (watched == FCorner && event->type() == QEvent::Paint) {
    QPainter painter(FCorner);
    PaintFixedCell(&painter, FCorner->rect(), FCornerText, this);
    return true;
  }
  return QTableWidget::eventFilter(watched, event);
}

// The current cell's look depends on the focus.
void TCoefficientGrid::focusInEvent(QFocusEvent *event) {
  QTableWidget::focusInEvent(event);
  viewport()->update();
}

void TCoefficientGrid::focusOutEvent(QFocusEvent *event) {
  QTableWidget::focusOutEvent(event);
  viewport()->update();
}
