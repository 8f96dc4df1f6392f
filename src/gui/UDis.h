// The main window TfrmDis: its controls, the handlers that copy the boxes
// into Calculator and its results back, and the credits panel.
#pragma once

#include <functional>
#include <string>

#include <QString>
#include <QUrl>
#include <QWidget>

class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TCoefficientGrid;
class TRadioGroup;
class TRecordCopy;

// The maker's contact address: the target of both credits links and the
// address named when a link cannot be opened.
inline const QString ContactAddress = QStringLiteral("dev@example.org");

// Hands a mailto: link to the desktop and reports whether it was taken; tests
// put their own in its place.
extern std::function<bool(const QUrl &)> OpenMailLink;

class TfrmDis : public QWidget {
public:
  explicit TfrmDis(QWidget *parent = nullptr);

  // FilterNumericKey: whether a typed character may reach an input box:
  // backspace (8), Enter (13), the decimal mark and the digits.
  static bool FilterNumericKey(int key);

  // The controls, created from the layout table (UDisLayout.cpp), which
  // names each by its field here.
  QFrame *plAll = nullptr, *plS = nullptr, *plCV = nullptr, *plSourceType = nullptr;
  QFrame *plQL = nullptr, *plbutton = nullptr, *plAuthor = nullptr;
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
  QLabel *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
  QLabel *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr;
  QLabel *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr, *Label16 = nullptr;
  QLabel *Label19 = nullptr, *Label20 = nullptr, *Label21 = nullptr;
  QLabel *lbMail1 = nullptr, *lbMail2 = nullptr;
  QLineEdit *edS = nullptr, *edR = nullptr, *edCm = nullptr, *edV = nullptr;
  QLineEdit *edQe = nullptr, *edL = nullptr, *edLReal = nullptr, *edN = nullptr;
  QComboBox *cbbSourceType = nullptr;
  TRadioGroup *rgOther = nullptr, *rgThree = nullptr, *rgQS = nullptr;
  TCoefficientGrid *sgABCD = nullptr;
  QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn4 = nullptr;

protected:
  void showEvent(QShowEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  std::function<void()> Guard(void (TfrmDis::*handler)());
  void ConnectHandlers();
  void SetTabOrder();
  void WatchCreditsPanel();
  void FitToScreen();

  void FormCreate();
  void FormShow();
  void FormResize();
  void ComputeDistance();
  void ShowResults(QLineEdit *computed, const std::string &text);
  void ReadInputs();
  void ShowCoefficients();
  void SyncSourceType();
  bool NumericKeyPress(QObject *box, const QKeyEvent *event);
  void edSChange();
  void edRExit();
  void rgOtherClick();
  void rgThreeClick();
  void rgQSClick();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn4Click();

  bool CreditsMouseEvent(QObject *watched, const QEvent *event);
  void lbMail1MouseMove();
  void lbMail2MouseMove();
  void ExitMouseMove();
  void lbMailClick();
  void HighlightLink(QLabel *link);
  void RestoreLink(QLabel *link);

  bool FShown = false;
  // Holds plAll only when the window does not fit the screen's free area.
  QScrollArea *FScroller = nullptr;
  TRecordCopy *FRecordCopy = nullptr; // "复制计算书"
};
