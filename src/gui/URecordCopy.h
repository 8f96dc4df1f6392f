// "复制计算书": the record (计算书) of the main window's last successful
// computation, put on the clipboard from the result boxes' context menus and
// by Ctrl+Shift+C, as HTML tables (pasted as tables by word processors) and
// as Markdown text. Nothing else of the window changes.
#pragma once

#include <optional>

#include <QObject>

#include "record.h"

class QComboBox;
class QLineEdit;
class QPoint;
class QWidget;
class TRadioGroup;

class TRecordCopy : public QObject {
public:
  // The window's controls the record reads or adds its menu item to.
  struct TControls {
    QLineEdit *edR, *edQe, *edL, *edLReal;
    QComboBox *cbbSourceType;
    TRadioGroup *rgOther, *rgThree, *rgQS;
  };

  // Adds the menu item to edL and edLReal (and to edQe while it holds a
  // computed emission rate) and the shortcut to `window`.
  TRecordCopy(QWidget *window, const TControls &controls);

  // Keeps the record of the computation Calculator has just finished; call
  // it only when the computation succeeded, so a failure keeps the previous.
  void Keep(TDirection direction);

  // Puts the kept record on the clipboard; nothing before the first Keep.
  void Copy() const;

private:
  std::optional<TClassChoices> ClassChoices() const;
  void ShowMenu(QLineEdit *box, const QPoint &position);

  TControls F;
  std::optional<TCalcRecord> FRecord;
};
