// The main window: the results right after start-up, the key filter, the
// area/radius pair, the source-class choices, both computations and their
// failures, resizing, keyboard order, the coefficient grid, the buttons and
// the credits panel.
#include <algorithm>
#include <iterator>
#include <memory>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "UCal.h"
#include "UDis.h"
#include "UDisLayout.h"
#include "UGrid.h"
#include "startup.h"
#include "watchdog.h"

namespace {

const QString L0 = QStringLiteral("988.084391971187"); // L from the defaults

void SendMouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, pos, target->window()->mapFromGlobal(target->mapToGlobal(pos)),
                    target->mapToGlobal(pos), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

void MoveOver(QWidget *target, QPoint pos) {
  SendMouse(target, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}

// Hover, press, move with the button down, release.
void Drag(QWidget *target, QPoint from, QPoint to) {
  MoveOver(target, from);
  SendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(target, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Where picture's opaque pixels appear in image; (-1, -1) if nowhere.
QPoint FindPicture(const QImage &image, const QImage &picture) {
  for (int top = 0; top + picture.height() <= image.height(); ++top)
    for (int left = 0; left + picture.width() <= image.width(); ++left) {
      bool same = true;
      for (int y = 0; y < picture.height() && same; ++y)
        for (int x = 0; x < picture.width() && same; ++x)
          same = qAlpha(picture.pixel(x, y)) == 0 ||
                 image.pixel(left + x, top + y) == (picture.pixel(x, y) | 0xFF000000);
      if (same)
        return {left, top};
    }
  return {-1, -1};
}

// How much darker than its most common lightness (the background) an image
// is, summed over its pixels.
qint64 Ink(const QImage &image) {
  int count[256] = {};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ++count[image.pixelColor(x, y).lightness()];
  const int background = int(std::max_element(std::begin(count), std::end(count)) - count);
  qint64 ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ink += std::max(0, background - image.pixelColor(x, y).lightness());
  return ink;
}

// The text of a modal box or dialog.
QString BoxText(QWidget *box) {
  if (auto *message = qobject_cast<QMessageBox *>(box))
    return message->text();
  QStringList texts;
  for (QLabel *label : box->findChildren<QLabel *>())
    if (!label->text().isEmpty())
      texts << label->text();
  return texts.join(u'\n');
}

} // namespace

class TDisTest : public QObject {
  Q_OBJECT

private:
  TfrmDis *FWindow = nullptr;
  TWatchdog FWatchdog;

  template <typename T = QWidget> T *Find(const char *name) const {
    T *control = FWindow->findChild<T *>(QString::fromLatin1(name));
    if (!control)
      qFatal("no control %s", name);
    return control;
  }
  QLineEdit *Box(const QString &name) const { return Find<QLineEdit>(qPrintable(name)); }
  TCoefficientGrid *Grid() const { return Find<TCoefficientGrid>("sgABCD"); }
  QAbstractButton *Item(const char *group, int index) const {
    return Find<TRadioGroup>(group)->Buttons()->button(index);
  }
  void Click(QAbstractButton *button) const {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
  }

  // Every text the window shows as a result or an input.
  QStringList Texts() const {
    QStringList texts;
    for (const char *name : {"edS", "edR", "edCm", "edV", "edQe", "edL", "edLReal", "edN"})
      texts << Box(QString::fromLatin1(name))->text();
    for (int row = 1; row <= 4; ++row)
      texts << Grid()->Cell(1, row);
    texts << Find<QComboBox>("cbbSourceType")->currentText();
    return texts;
  }

  // Expects one stop box with this text and closes it with its OK button.
  void ExpectReport(const QString &text) {
    FWatchdog.Expect([text](QWidget *box) {
      QCOMPARE(BoxText(box), text);
      qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
    });
  }

  QString FocusName() const {
    QWidget *focus = QApplication::focusWidget();
    if (qobject_cast<QAbstractButton *>(focus) && focus->parentWidget()->inherits("TRadioGroup"))
      return focus->parentWidget()->objectName();
    return focus ? focus->objectName() : QString();
  }

private slots:
  void initTestCase() {
    SetUpApplication();
    Calculator = new TKestrin;
  }
  void cleanupTestCase() {
    delete Calculator;
    Calculator = nullptr;
  }

  void init() {
    InitNumericEnvironment();
    DecimalMark = '.';
    FWindow = new TfrmDis;
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
  }
  void cleanup() {
    delete FWindow;
    FWindow = nullptr;
    QCOMPARE(FWatchdog.Pending(), 0);
  }

  // The computed defaults, exactly; Qe untouched; the focus in edQe, selected.
  void startUpShowsResults() {
    QCOMPARE(Box("edL")->text(), L0);
    QCOMPARE(Box("edLReal")->text(), QStringLiteral("1000"));
    QCOMPARE(Box("edN")->text(), QStringLiteral("23"));
    QCOMPARE(Box("edQe")->text(), QStringLiteral("10"));
    QCOMPARE(Box("edS")->text(), QStringLiteral("100"));
    QCOMPARE(Box("edR")->text(), QStringLiteral("5.64189583547756"));
    QCOMPARE(Box("edCm")->text(), QStringLiteral("0.25"));
    QCOMPARE(Box("edV")->text(), QStringLiteral("3.5"));
    const QStringList grid{"计算系数", "系数值", "A", "700", "B", "0.021", "C", "1.85", "D", "0.84"};
    QStringList shown{Grid()->Cell(0, 0), Grid()->Cell(1, 0)};
    for (int row = 1; row <= 4; ++row)
      shown << Grid()->Cell(0, row) << Grid()->Cell(1, row);
    QCOMPARE(shown, grid);
    QCOMPARE(Find<QComboBox>("cbbSourceType")->currentIndex(), 0);
    QCOMPARE(FWindow->windowTitle(), QStringLiteral("卫生防护距离1.0"));
    QCOMPARE(QApplication::focusWidget(), Box("edQe"));
    QCOMPARE(Box("edQe")->selectedText(), QStringLiteral("10"));
    QCOMPARE(Box("edR")->cursorPosition(), 0); // a long result shows its start
    QCOMPARE(FWindow->size(), QSize(616, 524));
    QCOMPARE(Find("plAll")->geometry(), QRect(2, 3, 612, 517));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect outer = FWindow->frameGeometry();
    QCOMPARE(outer.topLeft(), QPoint((screen.width() - outer.width()) / 2,
                                     (screen.height() - outer.height()) / 2));
    QVERIFY(FWindow->windowFlags() & Qt::WindowStaysOnTopHint);
  }

  void keyFilter_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("cursor"); // -1: all selected
    QTest::addColumn<QString>("typedFirst");
    QTest::addColumn<QString>("expected");
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    QTest::newRow("digit") << "edQe" << int(Qt::Key_7) << none << 2 << "" << "127";
    QTest::newRow("point") << "edQe" << int(Qt::Key_Period) << none << 2 << "" << "12.";
    QTest::newRow("backspace") << "edQe" << int(Qt::Key_Backspace) << none << 2 << "" << "1";
    QTest::newRow("letter") << "edQe" << int(Qt::Key_A) << none << 2 << "" << "12";
    QTest::newRow("capital") << "edQe" << int(Qt::Key_E) << int(Qt::ShiftModifier) << 2 << "" << "12";
    QTest::newRow("minus") << "edQe" << int(Qt::Key_Minus) << none << 2 << "" << "12";
    QTest::newRow("comma") << "edQe" << int(Qt::Key_Comma) << none << 2 << "" << "12";
    QTest::newRow("space") << "edQe" << int(Qt::Key_Space) << none << 2 << "" << "12";
    QTest::newRow("Ctrl+V") << "edQe" << int(Qt::Key_V) << ctrl << 2 << "" << "12";
    QTest::newRow("Ctrl+C") << "edQe" << int(Qt::Key_C) << ctrl << -1 << "" << "12";
    QTest::newRow("Ctrl+X") << "edQe" << int(Qt::Key_X) << ctrl << -1 << "" << "12";
    QTest::newRow("Ctrl+Z") << "edQe" << int(Qt::Key_Z) << ctrl << 2 << "3" << "123";
    QTest::newRow("Ctrl+Backspace (127)") << "edQe" << int(Qt::Key_Backspace) << ctrl << 2 << "" << "12";
    // Ctrl+K types character 11 and is swallowed, though the box alone would
    // delete to the end of the line.
    QTest::newRow("Ctrl+K") << "edQe" << int(Qt::Key_K) << ctrl << 0 << "" << "12";
    QTest::newRow("Delete still works") << "edQe" << int(Qt::Key_Delete) << none << 0 << "" << "2";
    QTest::newRow("Left still works") << "edQe" << int(Qt::Key_Left) << none << 2 << "" << "12";
    QTest::newRow("Shift+Insert pastes") << "edQe" << int(Qt::Key_Insert) << int(Qt::ShiftModifier)
                                         << 2 << "" << "129";
    for (const char *box : {"edS", "edR", "edCm", "edV", "edL"}) {
      QTest::addRow("%s digit", box) << box << int(Qt::Key_5) << none << 2 << "" << "125";
      QTest::addRow("%s letter", box) << box << int(Qt::Key_X) << none << 2 << "" << "12";
    }
    QTest::newRow("edLReal is read-only") << "edLReal" << int(Qt::Key_7) << none << 2 << "" << "12";
    QTest::newRow("edN is read-only") << "edN" << int(Qt::Key_7) << none << 2 << "" << "12";
  }
  void keyFilter() {
    QFETCH(QString, box);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, cursor);
    QFETCH(QString, typedFirst);
    QFETCH(QString, expected);
    QApplication::clipboard()->setText(QStringLiteral("9"));
    QLineEdit *edit = Box(box);
    edit->setFocus();
    edit->setText(QStringLiteral("12"));
    if (cursor < 0)
      edit->selectAll();
    else
      edit->setCursorPosition(cursor);
    QTest::keyClicks(edit, typedFirst);
    QTest::keyClick(edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(edit->text(), expected);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("9")); // Ctrl+C/X copied nothing
  }

  void enterReachesEveryBox() {
    for (const char *name : {"edS", "edR", "edCm", "edV", "edQe", "edL"}) {
      QLineEdit *edit = Box(QString::fromLatin1(name));
      QSignalSpy returns(edit, &QLineEdit::returnPressed);
      edit->setFocus();
      QTest::keyClick(edit, Qt::Key_Return);
      QVERIFY2(returns.count() == 1, name);
    }
  }

  // With a decimal comma the comma is the mark the boxes take, and the
  // defaults are written with it so the first computation reads them.
  void decimalComma() {
    delete FWindow;
    DecimalMark = ',';
    FWindow = new TfrmDis;
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
    QCOMPARE(Box("edCm")->text(), QStringLiteral("0,25"));
    QCOMPARE(Box("edL")->text(), QStringLiteral("988,084391971187"));
    QCOMPARE(Grid()->Cell(1, 2), QStringLiteral("0,021"));
    QVERIFY(TfrmDis::FilterNumericKey(','));
    QVERIFY(!TfrmDis::FilterNumericKey('.'));
  }

  void localeChangeRereadsDecimalMark() {
    DecimalMark = ',';
    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(FWindow, &change);
    QCOMPARE(DecimalMark, '.'); // the test runs in the C locale
  }

  // The radius typed decides: the area is derived from it, and the radius
  // shown is the one derived back from the 15-digit area text. Enter is
  // character 13, and so is Ctrl+M; Ctrl+L and Ctrl+N (12 and 14) are not,
  // nor Ctrl+Enter (10).
  void enterInRadius_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("leaves");
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << true;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Ctrl+M") << int(Qt::Key_M) << ctrl << true;
    QTest::newRow("Ctrl+L") << int(Qt::Key_L) << ctrl << false;
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << false;
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << ctrl << false;
    QTest::newRow("Ctrl+Enter") << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier)
                                << false;
  }
  void enterInRadius() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, leaves);
    QLineEdit *edR = Box("edR");
    edR->setFocus();
    edR->selectAll();
    QTest::keyClicks(edR, QStringLiteral("10"));
    QCOMPARE(Box("edS")->text(), QStringLiteral("100")); // not before Enter
    QTest::keyClick(edR, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Box("edS")->text(), leaves ? QStringLiteral("314.159265358979") : QStringLiteral("100"));
    QCOMPARE(edR->text(), leaves ? QStringLiteral("9.99999999999999") : QStringLiteral("10"));
  }

  // A failing Enter in edR reports once: the error box that takes the focus
  // is another window, and leaving edR for it runs no second edRExit.
  void failingEnterInRadiusReportsOnce() {
    QLineEdit *edR = Box("edR");
    edR->setFocus();
    edR->setText(QStringLiteral("1.."));
    ExpectReport(QStringLiteral("'1..' is not a valid floating point value."));
    QTest::keyClick(edR, Qt::Key_Return);
    QCOMPARE(FWatchdog.Pending(), 0);
    QTest::qWait(100); // a second box would open here and fail the test
    QCOMPARE(Box("edS")->text(), QStringLiteral("100"));
  }

  // A cell copied from a spreadsheet ends in a line break: dropped on paste.
  // Other text is pasted as it is and fails when converted.
  void paste_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("cursor"); // -1: all selected
    QTest::addColumn<QString>("expected");
    QTest::newRow("cell") << "edQe" << "5000\n" << -1 << "5000";
    QTest::newRow("Windows cell") << "edQe" << "5000\r\n" << -1 << "5000";
    QTest::newRow("cell into the middle") << "edQe" << "5\n" << 1 << "152";
    QTest::newRow("cell that starts as the text did") << "edQe" << "125\n" << -1 << "125";
    QTest::newRow("plain") << "edQe" << "5000" << -1 << "5000";
    QTest::newRow("break inside stays") << "edQe" << "50\n00" << -1 << "50\n00";
    QTest::newRow("two breaks stay") << "edQe" << "5000\n\n" << -1 << "5000\n\n";
    QTest::newRow("leading break stays") << "edQe" << "\n5000" << -1 << "\n5000";
    QTest::newRow("class cell") << "cbbSourceType" << "Ⅱ\n" << -1 << "Ⅱ";
    QTest::newRow("class cell after the text") << "cbbSourceType" << "类\r\n" << 2 << "12类";
  }
  // Pasted into a box holding "12"; Undo then gives "12" back.
  void paste() {
    QFETCH(QString, box);
    QFETCH(QString, clipboard);
    QFETCH(int, cursor);
    QFETCH(QString, expected);
    QApplication::clipboard()->setText(clipboard);
    QWidget *target = Find(qPrintable(box));
    auto *combo = qobject_cast<QComboBox *>(target);
    QLineEdit *edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit *>(target);
    edit->setText(QStringLiteral("12"));
    target->setFocus();
    if (cursor < 0)
      edit->selectAll();
    else
      edit->setCursorPosition(cursor);
    QTest::keyClick(target, Qt::Key_Insert, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    QCOMPARE(edit->text(), expected);
    QVERIFY(edit->isUndoAvailable());
    edit->undo();
    QCOMPARE(edit->text(), QStringLiteral("12"));
  }

  // A class typed or pasted into the combo box selects the item it names, in
  // any spelling the batch tool takes; any other text fails at the read.
  void typedSourceClass_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<int>("item");     // -1: fails
    QTest::addColumn<QString>("shown"); // edL, edLReal; or the message
    const QString classII = QStringLiteral("788.329742289615|800");
    QTest::newRow("pasted cell Ⅱ") << "Ⅱ\n" << true << 1 << classII;
    QTest::newRow("typed II") << "II" << false << 1 << classII;
    QTest::newRow("typed 2") << "2" << false << 1 << classII;
    QTest::newRow("typed 1 over item Ⅰ") << "1" << false << 0 << L0 + "|1000";
    QTest::newRow("typed Ⅲ and a blank") << "Ⅲ " << false << 2 << "666.95421714431|700";
    QTest::newRow("typed iii类") << "iii类" << false << 2 << "666.95421714431|700";
    QTest::newRow("typed I") << "I" << false << 0 << L0 + "|1000";
    QTest::newRow("typed 类Ⅳ") << "类Ⅳ" << false << -1
                             << "'类Ⅳ' is not a valid source class.";
    QTest::newRow("emptied") << "" << false << -1 << "'' is not a valid source class.";
  }
  void typedSourceClass() {
    QFETCH(QString, text);
    QFETCH(bool, pasted);
    QFETCH(int, item);
    QFETCH(QString, shown);
    auto *cbb = Find<QComboBox>("cbbSourceType");
    cbb->setFocus();
    cbb->lineEdit()->selectAll();
    if (pasted) {
      QApplication::clipboard()->setText(text);
      QTest::keyClick(cbb, Qt::Key_Insert, Qt::ShiftModifier);
      QCoreApplication::processEvents();
    } else {
      QTest::keyClick(cbb, Qt::Key_Delete);
      for (QChar c : text) { // by the keys, or for a Chinese character the input method
        if (c.unicode() < 0x80) {
          QTest::keyClick(cbb, c.toLatin1());
          continue;
        }
        QInputMethodEvent typed;
        typed.setCommitString(c);
        QCoreApplication::sendEvent(cbb->lineEdit(), &typed);
      }
    }
    const QStringList before = Texts();
    if (item < 0)
      ExpectReport(shown);
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(FWatchdog.Pending(), 0);
    if (item < 0) {
      QCOMPARE(Texts(), before);
      return;
    }
    QCOMPARE(cbb->currentIndex(), item);
    QCOMPARE(cbb->currentText(), QStringList({"Ⅰ", "Ⅱ", "Ⅲ"})[item]);
    QCOMPARE(Calculator->SourceClass(), item);
    QCOMPARE(Box("edL")->text() + "|" + Box("edLReal")->text(), shown);
  }

  void pastedCellComputes() {
    QApplication::clipboard()->setText(QStringLiteral("10\n"));
    Box("edQe")->selectAll();
    Box("edQe")->paste();
    Box("edL")->setText(QStringLiteral("1"));
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(Box("edL")->text(), L0);
  }

  // Leaving edR by a click on a compute button runs edRExit before the click:
  // the result equals that of typing the derived area itself.
  void computeRightAfterTypingRadius() {
    QLineEdit *edS = Box("edS");
    edS->setText(QStringLiteral("314.159265358979"));
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    const QString expected = Box("edL")->text();
    QVERIFY(expected != L0);

    edS->setText(QStringLiteral("100"));
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(Box("edL")->text(), L0);
    QLineEdit *edR = Box("edR");
    edR->setFocus();
    edR->selectAll();
    QTest::keyClicks(edR, QStringLiteral("10"));
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(edS->text(), QStringLiteral("314.159265358979"));
    QCOMPARE(Box("edL")->text(), expected);
  }

  // Switching to another window or opening a popup menu moves no focus
  // within this one: no edRExit.
  void onlyMovingWithinWindowLeavesRadius() {
    QLineEdit *edR = Box("edR");
    edR->setFocus();
    edR->selectAll();
    QTest::keyClicks(edR, QStringLiteral("10"));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(edR, &popup);
    QCOMPARE(Box("edS")->text(), QStringLiteral("100"));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCOMPARE(Box("edS")->text(), QStringLiteral("100"));
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
    QCOMPARE(QApplication::focusWidget(), edR);
    QTest::keyClick(edR, Qt::Key_Tab);
    QCOMPARE(Box("edS")->text(), QStringLiteral("314.159265358979"));
  }

  void sourceClass_data() {
    QTest::addColumn<int>("other");
    QTest::addColumn<int>("three");
    QTest::addColumn<int>("qs");
    QTest::addColumn<int>("item");
    QTest::addRow("stacks, above 1/3") << 0 << 0 << 1 << 0;
    QTest::addRow("stacks, at most 1/3") << 0 << 1 << 0 << 1;
    QTest::addRow("no stacks, acute") << 1 << 1 << 0 << 1;
    QTest::addRow("no stacks, chronic") << 1 << 0 << 1 << 2;
  }
  void sourceClass() {
    QFETCH(int, other);
    QFETCH(int, three);
    QFETCH(int, qs);
    QFETCH(int, item);
    auto *cbb = Find<QComboBox>("cbbSourceType");
    auto *rgThree = Find("rgThree");
    auto *rgQS = Find("rgQS");
    // Each group is chosen while it is on show, then rgOther decides.
    Click(Item("rgThree", three));
    Click(Item("rgOther", 1));
    Click(Item("rgQS", qs));
    Click(Item("rgOther", other));
    QCOMPARE(cbb->currentIndex(), item);
    QCOMPARE(cbb->currentText(), QStringList({"Ⅰ", "Ⅱ", "Ⅲ"})[item]);
    QCOMPARE(rgThree->isVisible(), other == 0);
    QCOMPARE(rgQS->isVisible(), other == 1);
    QCOMPARE(rgThree->geometry(), rgQS->geometry());
    // The class picked is the one the next computation uses.
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(Calculator->SourceClass(), item);
  }

  // Clicking the selected item again changes nothing, so a class typed or
  // picked in the combo box survives it.
  void reclickingSelectedItemFiresNothing() {
    auto *cbb = Find<QComboBox>("cbbSourceType");
    cbb->setCurrentIndex(2);
    Click(Item("rgOther", 0));
    Click(Item("rgThree", 0));
    QCOMPARE(cbb->currentIndex(), 2);
  }

  void computeEmission() {
    Box("edL")->setText(QStringLiteral("1500"));
    QTest::mouseClick(Find<QPushButton>("BitBtn2"), Qt::LeftButton);
    QCOMPARE(Box("edQe")->text(), QStringLiteral("20.4110482731803"));
    QCOMPARE(Box("edLReal")->text(), QStringLiteral("1600"));
    QCOMPARE(Box("edN")->text(), QStringLiteral("23"));
  }

  // Code outside the program (on Windows a system DLL) may leave the x87
  // unit at 53-bit precision: a click still computes with 64 bits (with 53,
  // this L ends in ...642).
  void computeAfterForeignPrecision() {
    Box("edQe")->setText(QStringLiteral("123.456"));
    const unsigned short double53 = 0x027F;
    asm volatile("fldcw %0" : : "m"(double53));
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(Box("edL")->text(), QStringLiteral("4410.53896111641"));
  }

  void failingCompute_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString abc = QStringLiteral("'abc' is not a valid floating point value.");
    const QString empty = QStringLiteral("'' is not a valid floating point value.");
    QTest::newRow("distance, edCm abc") << "BitBtn1" << "edCm" << "abc" << abc;
    QTest::newRow("emission, edCm abc") << "BitBtn2" << "edCm" << "abc" << abc;
    QTest::newRow("distance, edQe empty") << "BitBtn1" << "edQe" << "" << empty;
    QTest::newRow("emission, edL empty") << "BitBtn2" << "edL" << "" << empty;
    QTest::newRow("distance, edV second point") << "BitBtn1" << "edV" << "3.5."
                                               << "'3.5.' is not a valid floating point value.";
    // A search that would never end gives up at its bound; the window stays live.
    QTest::newRow("distance, search bound")
        << "BitBtn1" << "edS|edCm|edV|edQe" << "223922000000|0.000696339|1.81|251.752"
        << "Distance search did not converge: no distance met the tolerance within 1000 "
           "evaluations.";
  }
  void failingCompute() {
    QFETCH(QString, button);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    // box and text may list several, separated by "|".
    const QStringList boxes = box.split(u'|'), texts = text.split(u'|');
    QStringList good;
    for (int i = 0; i < boxes.size(); ++i) {
      good << Box(boxes[i])->text();
      Box(boxes[i])->setText(texts[i]);
    }
    const QStringList before = Texts();
    ExpectReport(message);
    QTest::mouseClick(Find<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(FWatchdog.Pending(), 0);
    QCOMPARE(Texts(), before);
    for (int i = 0; i < boxes.size(); ++i)
      Box(boxes[i])->setText(good[i]);
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(Box("edL")->text(), L0);
  }

  // A change of edS that is no number fails at once; edR keeps its text.
  void areaThatIsNoNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::addRow("empty") << "" << "'' is not a valid floating point value.";
    QTest::addRow("second point") << "100.." << "'100..' is not a valid floating point value.";
  }
  void areaThatIsNoNumber() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    ExpectReport(message);
    Box("edS")->setText(text);
    QCOMPARE(FWatchdog.Pending(), 0);
    QCOMPARE(Box("edR")->text(), QStringLiteral("5.64189583547756"));
  }

  void resize_data() {
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QPoint>("panel");
    QTest::addRow("smaller") << QSize(300, 200) << QSize(612, 517) << QPoint(0, 0);
    QTest::addRow("narrower") << QSize(500, 600) << QSize(612, 600) << QPoint(0, 41);
    QTest::addRow("larger") << QSize(800, 700) << QSize(800, 700) << QPoint(94, 91);
    QTest::addRow("odd") << QSize(801, 702) << QSize(801, 702) << QPoint(94, 92);
  }
  void resize() {
    QFETCH(QSize, requested);
    QFETCH(QSize, client);
    QFETCH(QPoint, panel);
    FWindow->resize(requested);
    QTRY_COMPARE(FWindow->size(), client);
    QTRY_COMPARE(Find("plAll")->pos(), panel);
  }

  // The whole window lies in the screen's free area: at its full size where
  // that holds it (UDis_test_small_screen runs this on a screen that does
  // not), else scrolled, down to the credits panel and back up to a
  // box by the keyboard.
  void wholeWindowReachable() {
    const QRect free = FWindow->screen()->availableGeometry();
    QVERIFY(free.contains(FWindow->frameGeometry()));
    auto *scroller = FWindow->findChild<QScrollArea *>();
    if (free.height() >= ClientHeight && free.width() >= ClientWidth) {
      QVERIFY(!scroller);
      QCOMPARE(FWindow->size(), QSize(ClientWidth, ClientHeight));
      return;
    }
    QVERIFY(scroller);
    const auto shown = [this](const char *name) {
      QWidget *control = Find(name);
      return FWindow->rect().contains(QRect(control->mapTo(FWindow, QPoint()), control->size()));
    };
    QVERIFY(!shown("plAuthor"));
    scroller->verticalScrollBar()->setValue(scroller->verticalScrollBar()->maximum());
    QVERIFY(shown("plAuthor"));
    QVERIFY(!shown("edS"));
    Box("edV")->setFocus();
    QTest::keyClick(Box("edV"), Qt::Key_Tab);
    QCOMPARE(FocusName(), QStringLiteral("edS"));
    QVERIFY(shown("edS"));
  }

  void tabOrder() {
    const QStringList forward{"edL",  "edLReal", "BitBtn1", "BitBtn2", "BitBtn4",
                              "cbbSourceType", "rgOther", "rgThree", "edN", "sgABCD",
                              "edCm", "edV", "edS", "edR", "edQe"};
    QStringList seen;
    for (int i = 0; i < forward.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      seen << FocusName();
      if (auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget()))
        QVERIFY2(edit->selectedText() == edit->text(), qPrintable(seen.last()));
    }
    QCOMPARE(seen, forward);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(FocusName(), QStringLiteral("edR"));
  }

  // The group of "无" takes rgThree's stop; one stop per group, its selection.
  void tabOrderWithoutStacks() {
    Click(Item("rgOther", 1));
    QCOMPARE(FocusName(), QStringLiteral("rgOther"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(FocusName(), QStringLiteral("rgQS"));
    QCOMPARE(QApplication::focusWidget(), Item("rgQS", 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(FocusName(), QStringLiteral("edN"));
  }

  void arrowKeysMoveWithinGroup() {
    Click(Item("rgThree", 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QVERIFY(Item("rgThree", 1)->isChecked());
    QCOMPARE(QApplication::focusWidget(), Item("rgThree", 1));
    QCOMPARE(Find<QComboBox>("cbbSourceType")->currentIndex(), 1);
  }

  // The current cell starts at the value of A, moves with the arrow keys,
  // and typing neither edits nor jumps.
  void gridCurrentCell() {
    TCoefficientGrid *grid = Grid();
    QCOMPARE(grid->currentRow(), 0);
    QCOMPARE(grid->currentColumn(), 0);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentRow(), 1);
    QTest::keyClicks(grid, QStringLiteral("0.8"));
    QTest::keyClick(grid, Qt::Key_F2);
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(grid->Cell(1, 2), QStringLiteral("0.021"));
    QVERIFY(!grid->viewport()->findChild<QLineEdit *>()); // no editor opened
    QCOMPARE(grid->selectedItems().size(), 1);
  }

  // A click on a value cell makes it current; on a heading cell or the
  // corner it only gives the grid the focus.
  void gridClicks() {
    TCoefficientGrid *grid = Grid();
    const QList<QWidget *> headings{grid->horizontalHeader()->viewport(),
                                    grid->verticalHeader()->viewport(),
                                    grid->findChild<QAbstractButton *>()};
    for (QWidget *heading : headings) {
      Box("edQe")->setFocus();
      QTest::mouseClick(heading, Qt::LeftButton, {}, QPoint(5, 5));
      QCOMPARE(QApplication::focusWidget(), grid);
      QCOMPARE(grid->currentRow(), 0);
    }
    Box("edQe")->setFocus();
    const QRect cell = grid->visualItemRect(grid->item(2, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(QApplication::focusWidget(), grid);
    QCOMPARE(grid->currentRow(), 2);
  }

  // Column 1 and rows 1-4 resize from 3 pixels before their grid line to 4
  // after it; column 0 and row 0 do not resize.
  void gridGrabZone_data() {
    QTest::addColumn<bool>("column");
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("grabbed");
    for (bool column : {true, false})
      for (int offset = -4; offset <= 5; ++offset)
        QTest::addRow("%s %+d", column ? "column 1" : "row 1", offset)
            << column << offset << (offset >= -3 && offset <= 4);
  }
  void gridGrabZone() {
    QFETCH(bool, column);
    QFETCH(int, offset);
    QFETCH(bool, grabbed);
    TCoefficientGrid *grid = Grid();
    QHeaderView *header = column ? grid->horizontalHeader() : grid->verticalHeader();
    const int line = header->sectionSize(0) - 1; // the grid line closing column 1 / row 1
    const int before = header->sectionSize(0);
    const auto at = [column](int position) {
      return column ? QPoint(position, 5) : QPoint(20, position);
    };
    Drag(header->viewport(), at(line + offset), at(line + offset + 10));
    QCOMPARE(header->sectionSize(0), grabbed ? before + 10 : before);
    QCOMPARE(grid->verticalHeader()->width(), 81);   // column 0 with its line
    QCOMPARE(grid->horizontalHeader()->height(), 15); // row 0 with its line
  }

  // What a screen reader says for each input and result: its label's text
  // and its unit.
  void accessibleNames_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("labelled"); // by a label of the window
    QTest::newRow("edS") << "edS" << "有害气体无组织排放源所在生产单元占地面积S：" << "m^2" << true;
    QTest::newRow("edR") << "edR" << "有害气体无组织排放源所在生产单元等效半径r：" << "m" << true;
    QTest::newRow("edCm") << "edCm" << "排放浓度限值Cm：" << "mg/m^3(N)" << true;
    QTest::newRow("edV") << "edV" << "近五年平均风速V：" << "m/s" << true;
    QTest::newRow("cbbSourceType") << "cbbSourceType" << "工业企业大气污染源构成类别：" << "" << true;
    QTest::newRow("edN") << "edN" << "迭代次数" << "" << false;
    QTest::newRow("sgABCD") << "sgABCD" << "计算系数" << "" << false;
    QTest::newRow("edQe") << "edQe" << "工业企业有害气体无组织排放强度Qe：" << "kg/h" << true;
    QTest::newRow("edL") << "edL" << "工业企业卫生防护距离(公式计算值)L：" << "m" << true;
    QTest::newRow("edLReal") << "edLReal" << "工业企业卫生防护距离(级差确定值)L：" << "m" << true;
    QTest::newRow("BitBtn1") << "BitBtn1" << "计算距离" << "" << false;
    QTest::newRow("BitBtn4") << "BitBtn4" << "关      闭" << "" << false;
  }
  void accessibleNames() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(bool, labelled);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(Find(qPrintable(control)));
    QVERIFY(face);
    // On Linux Qt names a combo box by its text; its label comes as a relation.
    if (face->role() != QAccessible::ComboBox) {
      QCOMPARE(face->text(QAccessible::Name), name);
    } else {
      QCOMPARE(Find(qPrintable(control))->accessibleName(), name);
      QAccessibleInterface *typed = QAccessible::queryAccessibleInterface(
          Find<QComboBox>(qPrintable(control))->lineEdit());
      QCOMPARE(typed->text(QAccessible::Name), name);
    }
    if (!description.isEmpty())
      QCOMPARE(face->text(QAccessible::Description), description);
    QStringList labels;
    for (const auto &[label, relation] : face->relations(QAccessible::Label))
      labels << label->text(QAccessible::Name);
    QCOMPARE(labels, labelled ? QStringList{name} : QStringList{});
  }

  // Qt's own texts are Chinese: the edit boxes' context menu.
  void contextMenuInChinese() {
    std::unique_ptr<QMenu> menu(Box("edQe")->createStandardContextMenu());
    QStringList texts;
    for (QAction *action : menu->actions())
      if (!action->isSeparator())
        texts << action->text();
    QCOMPARE(texts.filter(QStringLiteral("粘贴(&P)")).size(), 1);
    QCOMPARE(texts.filter(QStringLiteral("全选")).size(), 1);
    QCOMPARE(texts.filter(QStringLiteral("Paste")).size(), 0);
  }

  // Shift+F10 opens the focused box's context menu. A box whose keys the
  // filter swallows names no keys beside the items, which still work.
  void contextMenuByShiftF10_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("keysNamed");
    QTest::newRow("edS") << "edS" << false;
    QTest::newRow("edR") << "edR" << false;
    QTest::newRow("edQe") << "edQe" << false;
    QTest::newRow("edL, with 复制计算书") << "edL" << false;
    QTest::newRow("edLReal, read-only, unfiltered") << "edLReal" << true;
    QTest::newRow("cbbSourceType, unfiltered") << "cbbSourceType" << true;
  }
  void contextMenuByShiftF10() {
    QFETCH(QString, box);
    QFETCH(bool, keysNamed);
    QWidget *target = Find(qPrintable(box));
    auto *combo = qobject_cast<QComboBox *>(target);
    QLineEdit *edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit *>(target);
    QApplication::clipboard()->setText(QStringLiteral("7\n")); // Paste offered
    target->setFocus();
    QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
    QStringList texts;
    QAction *paste = nullptr;
    for (QAction *action : menu->actions()) {
      texts << action->text();
      if (action->text().startsWith(QStringLiteral("粘贴")))
        paste = action;
    }
    QCOMPARE(texts.filter(QStringLiteral("\t")).isEmpty(), !keysNamed);
    if (box == "edL")
      QCOMPARE(texts.filter(QStringLiteral("复制计算书")).size(), 1);
    if (!edit->isReadOnly()) {
      QVERIFY(paste);
      edit->selectAll();
      paste->trigger();
      QCoreApplication::processEvents();
      QCOMPARE(edit->text(), QStringLiteral("7"));
    }
    menu->close();
  }

  // Scroll bars appear when the cells no longer fit.
  void gridScrollBars_data() {
    QTest::addColumn<bool>("column");
    QTest::addColumn<bool>("row");
    QTest::addRow("column 1 wider than the grid") << true << false;
    QTest::addRow("row 1 taller than the grid") << false << true;
    QTest::addRow("both") << true << true;
  }
  void gridScrollBars() {
    QFETCH(bool, column);
    QFETCH(bool, row);
    TCoefficientGrid *grid = Grid();
    QVERIFY(!grid->horizontalScrollBar()->isVisible());
    QVERIFY(!grid->verticalScrollBar()->isVisible());
    const auto widen = [](QHeaderView *header, bool horizontal) {
      const int line = header->sectionSize(0) - 1;
      const auto at = [horizontal](int position) {
        return horizontal ? QPoint(position, 5) : QPoint(20, position);
      };
      Drag(header->viewport(), at(line), at(line + 150));
    };
    if (column)
      widen(grid->horizontalHeader(), true);
    if (row)
      widen(grid->verticalHeader(), false);
    QScrollBar *across = grid->horizontalScrollBar(), *down = grid->verticalScrollBar();
    QTRY_VERIFY((!column || across->isVisible()) && (!row || down->isVisible()));
    QVERIFY((column ? across : down)->maximum() > 0);
    if (!across->isVisible() || !down->isVisible())
      return;
    // The square between the bars: the classic button face.
    const QPoint corner(down->mapTo(grid, down->rect().center()).x(),
                        across->mapTo(grid, across->rect().center()).y());
    QCOMPARE(grid->grab().toImage().pixelColor(corner), grid->palette().color(QPalette::Button));
    QCOMPARE(qobject_cast<QProxyStyle *>(grid->style())->baseStyle()->name(),
             QApplication::style()->name());
  }

  void buttons() {
    const char *names[] = {"BitBtn1", "BitBtn2", "BitBtn4"};
    const QStringList tips{"计算卫生防护距离", "计算允许排放量", "退出系统"};
    for (int i = 0; i < 3; ++i) {
      auto *button = Find<QPushButton>(names[i]);
      QCOMPARE(button->toolTip(), tips[i]);
      QCOMPARE(button->toolTipDuration(), 2500);
      QCOMPARE(button->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, button), 500);
      QCOMPARE(button->size(), QSize(77, 30));
      // Drawn in the application's classic style, not Qt's default.
      const auto *style = qobject_cast<QProxyStyle *>(button->style());
      QVERIFY(style);
      QCOMPARE(style->baseStyle()->name(), QApplication::style()->name());
      // The picture's bottom-left colour is transparent.
      const QImage picture = button->icon().pixmap(16, 16).toImage();
      QCOMPARE(picture.size(), QSize(16, 16));
      QCOMPARE(picture.pixelColor(0, 15).alpha(), 0);
    }
    for (QWidget *widget : FWindow->findChildren<QWidget *>())
      if (!qobject_cast<QPushButton *>(widget))
        QVERIFY2(widget->toolTip().isEmpty(), qPrintable(widget->objectName()));
  }

  // Enter presses the focused button as Space does.
  void enterPressesFocusedButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addRow("BitBtn1 Return") << "BitBtn1" << int(Qt::Key_Return);
    QTest::addRow("BitBtn1 Enter") << "BitBtn1" << int(Qt::Key_Enter);
    QTest::addRow("BitBtn1 Space") << "BitBtn1" << int(Qt::Key_Space);
    QTest::addRow("BitBtn2 Return") << "BitBtn2" << int(Qt::Key_Return);
    QTest::addRow("BitBtn4 Return") << "BitBtn4" << int(Qt::Key_Return);
  }
  void enterPressesFocusedButton() {
    QFETCH(QString, button);
    QFETCH(int, key);
    auto *target = Find<QPushButton>(qPrintable(button));
    QSignalSpy clicks(target, &QAbstractButton::clicked);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(clicks.count(), 1);
  }

  // A failure raised by the focus change of a mouse press (edRExit of an
  // empty edR) ends that press: after the box nothing stays pressed, and the
  // next click on the control acts the first time.
  void failureDuringPress_data() {
    QTest::addColumn<QString>("group"); // empty: a button
    QTest::addColumn<QString>("control");
    QTest::addRow("计算距离") << "" << "BitBtn1";
    QTest::addRow("关闭") << "" << "BitBtn4";
    QTest::addRow("无") << "rgOther" << "1";
  }
  void failureDuringPress() {
    QFETCH(QString, group);
    QFETCH(QString, control);
    QAbstractButton *target = group.isEmpty() ? Find<QAbstractButton>(qPrintable(control))
                                              : Item(qPrintable(group), control.toInt());
    QSignalSpy clicks(target, &QAbstractButton::clicked);
    QLineEdit *edR = Box("edR");
    const QString radius = edR->text();
    edR->setFocus();
    edR->setText(QString());
    const QPoint at(8, target->height() / 2);
    FWatchdog.Expect([&](QWidget *box) {
      // The user lets go of the mouse while the box is up.
      QTest::mouseRelease(target, Qt::LeftButton, {}, at);
      qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
    });
    QTest::mousePress(target, Qt::LeftButton, {}, at);
    QCOMPARE(FWatchdog.Pending(), 0);
    QVERIFY(!target->isDown());
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);

    edR->setText(radius);
    QTest::qWait(QApplication::doubleClickInterval() + 50); // a new click, not a double one
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!target->isDown());
  }

  // The picture 4 pixels left of the caption, the pair centred (to a pixel
  // of rounding), both moved one pixel right and down while pressed.
  void buttonPictureAndCaption_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("pressed");
    for (const char *name : {"BitBtn1", "BitBtn2", "BitBtn4"}) {
      QTest::addRow("%s", name) << name << false;
      QTest::addRow("%s pressed", name) << name << true;
    }
  }
  void buttonPictureAndCaption() {
    QFETCH(QString, button);
    QFETCH(bool, pressed);
    auto *target = Find<QPushButton>(qPrintable(button));
    target->setDown(pressed);
    const QImage shown = target->grab().toImage().convertToFormat(QImage::Format_RGB32);
    target->setDown(false);
    const QImage picture = target->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    const QPoint at = FindPicture(shown, picture);
    QVERIFY2(at.x() >= 0, "picture not found");
    const QFontMetrics metrics(target->font());
    const int captionLeft = at.x() + 16 + 4;
    const int captionRight = captionLeft + metrics.horizontalAdvance(target->text());
    const int shift = pressed ? 1 : 0;
    QVERIFY(qAbs((at.x() - shift) - (target->width() - captionRight + shift)) <= 2);
    QCOMPARE(at.y(), (target->height() - 16) / 2 + shift);
    // The caption's first stroke lies just right of the gap.
    int firstInk = -1;
    for (int x = at.x() + 16; x < shown.width() && firstInk < 0; ++x)
      for (int y = at.y(); y < at.y() + 16; ++y)
        if (shown.pixelColor(x, y).lightness() < 160)
          firstInk = x;
    QVERIFY2(firstInk >= captionLeft && firstInk <= captionLeft + 2,
             qPrintable(QStringLiteral("%1 %2").arg(firstInk).arg(captionLeft)));
  }

  // Bold texts draw heavier than the same texts in the regular weight, with
  // whatever the platform makes of the window's font: a family without a
  // bold face must get a synthesised one, not silently the regular.
  void boldTextsDrawBold_data() {
    QTest::addColumn<QString>("control");
    for (const char *name : {"BitBtn1", "BitBtn4", "Label16", "lbMail2", "Label21", "Label11"})
      QTest::addRow("%s", name) << name;
  }
  void boldTextsDrawBold() {
    QFETCH(QString, control);
    QWidget *target = Find(qPrintable(control));
    QVERIFY(target->font().bold());
    if (auto *button = qobject_cast<QAbstractButton *>(target))
      button->setIcon(QIcon());
    const qint64 bold = Ink(target->grab().toImage());
    QFont regular = target->font();
    regular.setBold(false);
    target->setFont(regular);
    const qint64 plain = Ink(target->grab().toImage());
    // Less what the control draws without a text (a button's bevel).
    target->setProperty("text", QString());
    const qint64 blank = Ink(target->grab().toImage());
    QVERIFY2((bold - blank) * 100 > (plain - blank) * 115,
             qPrintable(QStringLiteral("bold %1, regular %2, blank %3").arg(bold).arg(plain).arg(blank)));
  }

  void closeButtonClosesWindow() {
    QTest::mouseClick(Find<QPushButton>("BitBtn4"), Qt::LeftButton);
    QVERIFY(!FWindow->isVisible());
  }

  // ---- Credits panel ----

  void creditsFit() {
    const auto right = [this](const char *name) { return Find(name)->geometry().right(); };
    const auto left = [this](const char *name) { return Find(name)->geometry().left(); };
    QCOMPARE(Find<QLabel>("lbMail2")->text(), QStringLiteral("[dev@example.org]"));
    QVERIFY(right("Label20") < left("lbMail2"));
    QVERIFY(right("lbMail2") < left("Label21"));
    MoveOver(Find("lbMail2"), QPoint(2, 2));
    QVERIFY(right("lbMail2") < left("Label21"));
  }

  void hover_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("rest"); // where the mouse goes next
    QTest::addRow("lbMail1 then Label16") << "lbMail1" << "Label16";
    QTest::addRow("lbMail1 then Label19") << "lbMail1" << "Label19";
    QTest::addRow("lbMail2 then the free panel") << "lbMail2" << "plAuthor";
    QTest::addRow("lbMail2 then Label20") << "lbMail2" << "Label20";
    QTest::addRow("lbMail2 then Label21") << "lbMail2" << "Label21";
  }
  void hover() {
    QFETCH(QString, link);
    QFETCH(QString, rest);
    auto *label = Find<QLabel>(qPrintable(link));
    const QColor panel = Find("plAuthor")->palette().color(QPalette::Window);
    MoveOver(label, QPoint(3, 3));
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::yellow));
    QVERIFY(label->font().bold() && label->font().underline());
    QCOMPARE(label->font().pixelSize(), 13); // 10 points at 96 pixels per inch
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(label->testAttribute(Qt::WA_SetCursor));

    MoveOver(Find(qPrintable(rest)), QPoint(1, 1));
    for (const char *name : {"lbMail1", "lbMail2"}) {
      auto *restored = Find<QLabel>(name);
      QCOMPARE(restored->palette().color(QPalette::WindowText), QColor(Qt::blue));
      QCOMPARE(restored->palette().color(QPalette::Window), panel);
      QVERIFY(restored->font().bold() && !restored->font().underline());
      QVERIFY(!restored->testAttribute(Qt::WA_SetCursor));
    }
  }

  void linksLookAlikeHighlighted() {
    auto *lbMail1 = Find<QLabel>("lbMail1");
    auto *lbMail2 = Find<QLabel>("lbMail2");
    QCOMPARE(lbMail2->palette().color(QPalette::WindowText), QColor(0, 0, 0x80)); // navy at first
    MoveOver(lbMail1, QPoint(3, 3));
    const QFont first = lbMail1->font();
    MoveOver(lbMail2, QPoint(3, 3));
    QCOMPARE(lbMail2->font().family(), first.family());
    QCOMPARE(lbMail2->font().pixelSize(), first.pixelSize());
    QCOMPARE(QFontInfo(lbMail2->font()).family(), QFontInfo(first).family());
  }

  void mailLink_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("opens");
    QTest::addRow("lbMail1 fails") << "lbMail1" << false;
    QTest::addRow("lbMail2 fails") << "lbMail2" << false;
    QTest::addRow("lbMail1 opens") << "lbMail1" << true;
  }
  void mailLink() {
    QFETCH(QString, link);
    QFETCH(bool, opens);
    QList<QUrl> handed;
    const auto saved = OpenMailLink;
    OpenMailLink = [&](const QUrl &url) {
      handed << url;
      return opens;
    };
    if (!opens)
      FWatchdog.Expect([](QWidget *box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
        QCOMPARE(BoxText(box), QStringLiteral("不能发送邮件到[dev@example.org]中！"));
        QTest::keyClick(box, Qt::Key_Escape);
      });
    auto *label = Find<QLabel>(qPrintable(link));
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(4, 4));
    OpenMailLink = saved;
    QCOMPARE(handed.size(), 1);
    QCOMPARE(handed.first(), QUrl(QStringLiteral("mailto:dev@example.org")));
    QCOMPARE(FWatchdog.Pending(), 0);
  }
};

QTEST_MAIN(TDisTest)
#include "UDis_test.moc"
