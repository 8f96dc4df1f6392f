// Windows only: the pinyin input method named by every edit box and the
// combo box. Run twice under Wine: in a Chinese locale (East Asian input on)
// with the Chinese (Simplified) keyboard layout installed by the test, where
// focusing a box switches the thread's layout to it and leaving restores the
// one before; and in a C locale, where nothing changes.
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "UCal.h"
#include "UDis.h"
#include "startup.h"

namespace {

const wchar_t *const LayoutsKey = L"System\\CurrentControlSet\\Control\\Keyboard Layouts\\00000804";

bool EastAsianInput() { return GetSystemMetrics(SM_DBCSENABLED) || GetSystemMetrics(SM_IMMENABLED); }

WORD Language(HKL layout) { return LOWORD(reinterpret_cast<UINT_PTR>(layout)); }

} // namespace

class TImeTest : public QObject {
  Q_OBJECT

  TfrmDis *FWindow = nullptr;
  bool FInstalled = false;

  void Focus(QWidget *control) {
    control->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(control->hasFocus());
  }

private slots:
  void initTestCase() {
    SetUpApplication();
    Calculator = new TKestrin;
    // Wine lists the layouts registered here beside the locale's own.
    if (EastAsianInput()) {
      HKEY key = nullptr;
      QCOMPARE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, LayoutsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
               ERROR_SUCCESS);
      RegCloseKey(key);
      FInstalled = true;
      // A Chinese Wine starts on the locale's own (Chinese) layout, which
      // is then the default, and nothing is to be switched: start on the
      // US layout instead, as a system whose default input is English.
      QVERIFY(LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE));
    }
    FWindow = new TfrmDis;
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow));
    QApplication::setActiveWindow(FWindow);
    Focus(FWindow->BitBtn1);
  }
  void cleanupTestCase() {
    delete FWindow;
    delete Calculator;
    Calculator = nullptr;
    if (FInstalled)
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, LayoutsKey);
  }

  void focusSwitchesAndLeavingRestores_data() {
    QTest::addColumn<QString>("box");
    QTest::newRow("edQe") << "edQe";
    QTest::newRow("edS") << "edS";
    QTest::newRow("edLReal (read-only)") << "edLReal";
    QTest::newRow("cbbSourceType") << "cbbSourceType";
  }
  void focusSwitchesAndLeavingRestores() {
    QFETCH(QString, box);
    const QHash<QString, QWidget *> controls{{"edQe", FWindow->edQe},
                                             {"edS", FWindow->edS},
                                             {"edLReal", FWindow->edLReal},
                                             {"cbbSourceType", FWindow->cbbSourceType}};
    QWidget *control = controls.value(box);
    const HKL before = GetKeyboardLayout(0);
    Focus(control);
    const HKL inside = GetKeyboardLayout(0);
    Focus(FWindow->BitBtn1);
    QCOMPARE(GetKeyboardLayout(0), before);
    if (FInstalled) {
      QCOMPARE(Language(inside), WORD(0x0804));
      QVERIFY(inside != before);
    } else {
      QCOMPARE(inside, before);
    }
  }
};

QTEST_MAIN(TImeTest)
#include "ime_win_test.moc"
