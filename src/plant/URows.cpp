#include "URows.h"

#include <unordered_map>

#include <QBrush>
#include <QColor>
#include <QFont>

#include "report.h"

namespace {

QString Text(const std::string &text) {
  return QString::fromStdString(text);
}

const QColor FailedBackground(255, 200, 200);
const QColor FilledForeground(0x80, 0x80, 0x80);

} // namespace

TRowsModel::TRowsModel(TPlantSheet &sheet, const TPlantResult &result, std::function<void()> edited,
                       QObject *parent)
    : QAbstractTableModel(parent), FSheet(sheet), FResult(result), FEdited(std::move(edited)) {}

void TRowsModel::ShowSheet() {
  beginResetModel();
  FResultOf.assign(FSheet.Cells.size(), -1);
  FUnitColumn = -1;
  endResetModel();
}

void TRowsModel::ShowResult() {
  std::unordered_map<std::size_t, int> byLine;
  for (std::size_t i = 0; i < FResult.Rows.size(); ++i)
    byLine[FResult.Rows[i].Line] = int(i);
  FResultOf.assign(FSheet.Cells.size(), -1);
  for (std::size_t r = 0; r < FSheet.Cells.size(); ++r)
    if (const auto found = byLine.find(FSheet.Lines[r]); found != byLine.end())
      FResultOf[r] = found->second;
  FUnitColumn = -1;
  for (std::size_t c = 0; c < FSheet.Names.size() && FUnitColumn < 0; ++c)
    if (!FResult.Options.Unit.empty() && FSheet.Names[c] == FResult.Options.Unit)
      FUnitColumn = int(c);
  if (rowCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int TRowsModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(FSheet.Cells.size());
}

int TRowsModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(FSheet.Names.size()) + ResultCount;
}

const TReportRow *TRowsModel::ResultOf(int row) const {
  const int i = row < int(FResultOf.size()) ? FResultOf[std::size_t(row)] : -1;
  return i < 0 ? nullptr : &FResult.Rows[std::size_t(i)];
}

QVariant TRowsModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const TReportRow *result = ResultOf(index.row());
  if (role == Qt::BackgroundRole)
    return result && !result->Error.empty() ? QVariant(QBrush(FailedBackground)) : QVariant();
  const int width = int(FSheet.Names.size());
  if (index.column() >= width)
    return ResultData(result, index.column() - width, role);
  const std::string &cell = FSheet.Cells[std::size_t(index.row())][std::size_t(index.column())];
  // A merged unit cell's rows: the unit they took, marked as taken.
  const bool filled = index.column() == FUnitColumn && result && result->UnitFilled && cell.empty();
  switch (role) {
  case Qt::DisplayRole:
    return Text(filled ? result->Unit : cell);
  case Qt::EditRole:
    return Text(cell);
  case Qt::ToolTipRole:
    return filled ? QVariant(QString::fromUtf8(FilledUnitTip)) : QVariant();
  case Qt::FontRole: {
    if (!filled)
      return {};
    QFont font;
    font.setItalic(true);
    return font;
  }
  case Qt::ForegroundRole:
    return filled ? QVariant(QBrush(FilledForeground)) : QVariant();
  default:
    return {};
  }
}

// The result columns: L to 2 decimals with its full value in the tooltip,
// the graded L, A–D, the iterations and the note or the failure.
QVariant TRowsModel::ResultData(const TReportRow *result, int column, int role) const {
  if (!result || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
    return {};
  if (role == Qt::ToolTipRole)
    return column == 0 && result->Error.empty()
               ? QVariant(Text(ValueToText(result->Calc.Distance())))
               : QVariant();
  if (!result->Error.empty())
    return column == ResultCount - 1 ? Text(result->Error) : QString();
  const TKestrin &k = result->Calc;
  switch (column) {
  case 0:
    return Text(FixedText(k.Distance(), 2));
  case 1:
    return Text(ValueToText(k.GradedDistance()));
  case 2:
    return Text(ValueToText(k.A()));
  case 3:
    return Text(ValueToText(k.B()));
  case 4:
    return Text(ValueToText(k.C()));
  case 5:
    return Text(ValueToText(k.D()));
  case 6:
    return QString::number(k.Iterations());
  default:
    return Text(GradeCheckNote(k, result->Check));
  }
}

QVariant TRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical)
    return role == Qt::DisplayRole && section < rowCount()
               ? QVariant(QString::number(FSheet.Lines[std::size_t(section)]))
               : QVariant();
  const int width = int(FSheet.Names.size());
  if (section >= width)
    return role == Qt::DisplayRole && section < columnCount()
               ? QVariant(QString::fromUtf8(ResultHeaders[section - width]))
               : QVariant();
  const bool aside = FSheet.Role(std::size_t(section)) == TColumnRole::Other;
  if (role == Qt::DisplayRole)
    return Text(FSheet.Names[std::size_t(section)]) +
           (aside ? QStringLiteral("（不计入）") : QString());
  if (role == Qt::ToolTipRole && aside)
    return QStringLiteral("此列不参与计算；双击表头可指定它是哪一列");
  return {};
}

Qt::ItemFlags TRowsModel::flags(const QModelIndex &index) const {
  const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  return index.isValid() && index.column() < int(FSheet.Names.size()) ? flags | Qt::ItemIsEditable
                                                                      : flags;
}

bool TRowsModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || index.row() >= rowCount())
    return false;
  std::string &cell = FSheet.Cells[std::size_t(index.row())][std::size_t(index.column())];
  const std::string text = value.toString().toStdString();
  if (text == cell)
    return true;
  cell = text;
  emit dataChanged(index, index);
  FEdited();
  return true;
}
