// Table 1 of the plant window as a model over the sheet and its computed
// rows: the sheet's cells, editable, then each row's result. Nothing is
// copied into items, so a sheet of a hundred thousand rows shows at once.
#pragma once

#include <functional>
#include <iterator>
#include <vector>

#include <QAbstractTableModel>

#include "plantsheet.h"

// The result columns after the sheet's own.
inline const char *const ResultHeaders[] = {"L (m)", "级差值 (m)", "A",        "B",
                                            "C",     "D",          "迭代次数", "说明"};
constexpr int ResultCount = int(std::size(ResultHeaders));
// The tooltip of a unit cell left empty that took the unit above.
inline const char *const FilledUnitTip = "沿用上一行";

class TRowsModel : public QAbstractTableModel {
public:
  // Shows `sheet` and `result`, both owned by the window; `edited` runs
  // after the user changed a cell of the sheet.
  TRowsModel(TPlantSheet &sheet, const TPlantResult &result, std::function<void()> edited,
             QObject *parent);

  // The sheet was replaced or its rows or columns changed: its cells show
  // with no results until the next ShowResult.
  void ShowSheet();
  // The result (computed from the sheet as it stands) shows beside its rows.
  void ShowResult();

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
  const TReportRow *ResultOf(int row) const;
  QVariant ResultData(const TReportRow *result, int column, int role) const;

  TPlantSheet &FSheet;
  const TPlantResult &FResult;
  std::function<void()> FEdited;
  std::vector<int> FResultOf; // per sheet row, its index in FResult.Rows or -1
  int FUnitColumn = -1;       // the sheet's unit column, once computed
};
