// Windows only: the user's regional format changing while the window runs.
// The new decimal mark must reach the window through the system's
// settings-changed broadcast, which Qt itself does not pass on.
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

  // The mark is read again on the broadcast, and only then: the window's
  // next result is written with it.
  void settingsChangeRereadsTheDecimalMark() {
    TfrmDis window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DecimalMark = '.';
    SetUserDecimalMark(L",");
    QTest::qWait(50);
    QCOMPARE(DecimalMark, '.');

    QVERIFY(PostThreadMessageW(GetCurrentThreadId(), WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(L"intl")));
    QTRY_COMPARE(DecimalMark, ',');
    window.edQe->setText(QStringLiteral("10"));
    window.BitBtn1->click();
    QVERIFY2(window.edL->text().contains(QLatin1Char(',')), qPrintable(window.edL->text()));

    SetUserDecimalMark(L".");
    QVERIFY(PostThreadMessageW(GetCurrentThreadId(), WM_SETTINGCHANGE, 0, 0));
    QTRY_COMPARE(DecimalMark, '.');
  }
};

QTEST_MAIN(TDesktopTest)
#include "desktop_win_test.moc"
