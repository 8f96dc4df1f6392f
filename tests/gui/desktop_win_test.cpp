// Windows only: the user's regional format changing while the window runs.
// The new decimal mark must reach the window through the system's
// settings-changed broadcast, which Qt itself does not pass on.
#include <QAbstractEventDispatcher>
#include <QTest>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "UCal.h"
#include "UDis.h"
#include "numtext.h"
#include "startup.h"

namespace {

// Sets the user's decimal separator, as the regional-format dialog does.
void SetUserDecimalMark(const wchar_t *mark) {
  QVERIFY(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, mark));
}

// The broadcast as Qt's Windows platform hands each window message to the
// application's filters. (The system refuses to post it, so a test cannot
// send it through the message queue.)
void Broadcast(const wchar_t *section) {
  MSG msg{};
  msg.message = WM_SETTINGCHANGE;
  msg.lParam = reinterpret_cast<LPARAM>(section);
  qintptr result = 0;
  QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
}

} // namespace

class TDesktopTest : public QObject {
  Q_OBJECT

  wchar_t FSavedMark[4] = {};

private slots:
  void initTestCase() {
    SetUpApplication();
    Calculator = new TKestrin;
    QVERIFY(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, FSavedMark, 4) > 0);
  }
  void cleanupTestCase() {
    SetUserDecimalMark(FSavedMark);
    delete Calculator;
    Calculator = nullptr;
  }

  // The mark is read again on the broadcast, and only then.
  void settingsChangeRereadsTheDecimalMark() {
    TfrmDis window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DecimalMark = '.';
    SetUserDecimalMark(L",");
    QCOMPARE(DecimalMarkOfLocale(""), ',');
    QTest::qWait(50);
    QCOMPARE(DecimalMark, '.');

    Broadcast(L"intl");
    QTRY_COMPARE(DecimalMark, ',');

    SetUserDecimalMark(L".");
    Broadcast(nullptr);
    QTRY_COMPARE(DecimalMark, '.');
  }
};

QTEST_MAIN(TDesktopTest)
#include "desktop_win_test.moc"
