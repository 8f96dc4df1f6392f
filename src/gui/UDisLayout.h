// The main window's controls, built from one table of data (kind, place,
// colours, fonts, captions). Positions are pixels relative to the parent
// control; every control is placed absolutely.
#pragma once

#include <QGroupBox>
#include <QString>

class QButtonGroup;
class TfrmDis;

// The client size that puts plAll at its place (2, 3).
constexpr int ClientWidth = 616;
constexpr int ClientHeight = 524;

// A picture whose bottom-left pixel's colour is transparent. A picture twice
// as wide as high holds a normal and a disabled frame side by side.
QIcon LoadButtonPicture(const char *const xpm[]);

// Gives window its icon, font and background, creates every control in it and
// stores each in its field of the window.
void BuildControls(TfrmDis *window);

// A radio group: a captioned box whose items share the height below the
// caption evenly. Only the selected item is a keyboard stop; arrow keys move
// the selection within the group.
class TRadioGroup : public QGroupBox {
  Q_OBJECT

public:
  TRadioGroup(const QStringList &items, QWidget *parent);

  int ItemIndex() const;
  // Reports the id of the newly selected item (idToggled with checked true).
  QButtonGroup *Buttons() const { return FButtons; }
  QList<QWidget *> TabStops() const;
  // Places the items; run once the group has its size and font.
  void ArrangeButtons();

private:
  void UpdateTabStops();
  QButtonGroup *FButtons;
};
