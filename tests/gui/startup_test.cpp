// Start-up and shutdown: the order in which the calculator, the splash and the
// main window come and go; the splash window itself; the last-resort report.
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "UAuthor.h"
#include "UCal.h"
#include "UDis.h"
#include "report.h"
#include "startup.h"
#include "watchdog.h"

namespace {

// Counts the paint events that reach the splash picture.
class TPaintCounter : public QObject {
public:
  int Paints = 0;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint && frmAbout && watched == frmAbout->Image1)
      ++Paints;
    return false;
  }
};

// An image of the same size and format, all transparent.
QImage Blank(QImage image) {
  image.fill(Qt::transparent);
  return image;
}

// Closes the main window as soon as the event loop runs, which ends it.
void CloseOnceShown(QWidget *window, const std::function<void()> &look) {
  QTimer::singleShot(0, window, [window, look] {
    look();
    window->close();
  });
}

} // namespace

class TStartupTest : public QObject {
  Q_OBJECT

private slots:
  void cleanup() {
    QCOMPARE(FWatchdog.Pending(), 0);
    DestroySplash();
  }

  // Calculator, then the splash shown and painted, then the main window;
  // the splash gone once the main window shows; closing the main window
  // ends the loop; Calculator destroyed before the main window.
  void startUpAndShutdownOrder() {
    TPaintCounter counter;
    qApp->installEventFilter(&counter);
    bool calculatorFirst = false, splashUp = false, splashGone = false, mainVisible = false;
    bool calculatorGoneFirst = false, mainIcon = false;
    QImage splashIcon;
    int splashPaints = 0;
    QPointer<QWidget> splash, main;
    const int result = RunKestrin([&]() -> QWidget * {
      calculatorFirst = Calculator != nullptr;
      splash = frmAbout;
      splashUp = frmAbout && frmAbout->isVisible() && !frmAbout->isModal();
      splashPaints = counter.Paints;
      if (frmAbout)
        splashIcon = frmAbout->windowIcon().pixmap(16, 16).toImage();
      auto *window = new TfrmDis;
      mainIcon = window->windowIcon().availableSizes().contains(QSize(32, 32));
      main = window;
      connect(window, &QObject::destroyed, this, [&] { calculatorGoneFirst = Calculator == nullptr; });
      CloseOnceShown(window, [&] {
        splashGone = frmAbout == nullptr && splash.isNull();
        mainVisible = main && main->isVisible();
      });
      return window;
    });
    qApp->removeEventFilter(&counter);
    QCOMPARE(result, 0);
    QVERIFY(calculatorFirst);
    QVERIFY(splashUp);
    QVERIFY(splashPaints > 0);
    QVERIFY(splashGone);
    QVERIFY(mainVisible);
    QVERIFY(main.isNull());
    QVERIFY(calculatorGoneFirst);
    QCOMPARE(Calculator, nullptr);
    // The icon is the main window's; the splash has a dialog's title bar, without one.
    QVERIFY(!splashIcon.isNull());
    QCOMPARE(splashIcon, Blank(splashIcon));
    QVERIFY(mainIcon);
  }

  // Should the first-show handler fail before removing the splash, closing
  // the main window still ends the program, and finalisation removes the
  // splash.
  void closingMainWindowEndsProgramWhileSplashIsUp() {
    QPointer<QWidget> splash;
    const int result = RunKestrin([&]() -> QWidget * {
      splash = frmAbout;
      auto *window = new QWidget;
      CloseOnceShown(window, [] {});
      return window;
    });
    QCOMPARE(result, 0);
    QVERIFY(splash.isNull());
    QCOMPARE(frmAbout, nullptr);
  }

  void startUpFailureGetsLastResortReport() {
    QString caption, text;
    FWatchdog.Expect([&](QWidget *box) {
      caption = box->windowTitle();
      text = TWatchdog::Describe(box);
      box->close();
    });
    const int result = RunKestrin([]() -> QWidget * { throw EConvertError("'x' is not a valid floating point value"); });
    QCOMPARE(result, 1);
    QCOMPARE(caption, QStringLiteral("Application Error"));
    // The module is the program file's name: "startup_test", on Windows "startup_test.exe".
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY2(text.contains(QStringLiteral("Exception EConvertError in module %1 at").arg(module)),
             qPrintable(text));
    QCOMPARE(Calculator, nullptr);
    QCOMPARE(frmAbout, nullptr);
  }

  void splashWindow() {
    ShowSplash();
    const QPointer<TfrmAbout> splash = frmAbout;
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QCOMPARE(splash->windowModality(), Qt::NonModal);
    QCOMPARE(splash->windowTitle(), QStringLiteral("关于"));
    QCOMPARE(splash->size(), QSize(318, 252));
    QCOMPARE(splash->minimumSize(), splash->maximumSize());
    const Qt::WindowFlags flags = splash->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint)); // no sizing frame on Windows
    QVERIFY(!splash->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(splash->palette().color(QPalette::Window), QColor(0x95, 0xCA, 0xFF));
    QVERIFY(splash->autoFillBackground());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect outer = splash->frameGeometry(); // centred by its frame
    QCOMPARE(outer.topLeft(), QPoint((screen.width() - outer.width()) / 2,
                                     (screen.height() - outer.height()) / 2));
    QCOMPARE(splash->Image1->geometry(), QRect(0, 0, 318, 252));

    // The picture from the top-left corner; its bottom row is cut off.
    QFile file(QStringLiteral(":/splash.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QImage picture = DecodeJpeg(file.readAll());
    const QImage shown = splash->grab().toImage().convertToFormat(QImage::Format_RGB888);
    QCOMPARE(shown, picture.copy(0, 0, 318, 252));

    DestroySplash();
    QVERIFY(splash.isNull());
    QCOMPARE(frmAbout, nullptr);
    DestroySplash(); // nothing left to destroy
  }

  void fontSubstitutesRegisteredOnce() {
    RegisterFontSubstitutes();
    RegisterFontSubstitutes();
    const QStringList expected{QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Micro Hei")};
    QCOMPARE(QFont::substitutes(QStringLiteral("MS Sans Serif")).join(u','), expected.join(u',').toLower());
    QCOMPARE(QFontInfo(QFont(QStringLiteral("MS Sans Serif"))).family(), expected[0]);
    QVERIFY(QFontDatabase::writingSystems(expected[1]).contains(QFontDatabase::SimplifiedChinese));
  }

private:
  TWatchdog FWatchdog;
};

QTEST_MAIN(TStartupTest)
#include "startup_test.moc"
