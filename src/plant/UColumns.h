// The dialog that says what each column holds, for a range pasted without
// its header and for a column whose name matches nothing.
#pragma once

#include <vector>

#include <QDialog>

#include "plantsheet.h"

class QComboBox;

class TfrmColumns : public QDialog {
public:
  TfrmColumns(const TPlantSheet &sheet, QWidget *parent);

  // A list per column: its name as it stands, one of AssignableNames, or
  // "不计入" (set aside, see TPlantSheet::SetAside).
  std::vector<QComboBox *> cbColumns;

  // Renames and sets aside the sheet's columns as chosen.
  void Apply(TPlantSheet &sheet) const;
};
