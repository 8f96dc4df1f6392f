#include "startup.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QScreen>
#include <QStyleFactory>
#include <QTranslator>
#include <QWindow>

#include "UAuthor.h"
#include "UCal.h"
#include "desktop.h"
#include "report.h"

void RegisterFontSubstitutes() {
  const QString family = QStringLiteral("MS Sans Serif");
  if (QFont::substitutes(family).isEmpty())
    QFont::insertSubstitutions(
        family, {QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Micro Hei")});
}

void SetUpApplication() {
  RegisterFontSubstitutes();
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
  WatchSettingsChanges();
  if (QCoreApplication::instance()->findChild<QTranslator *>(QStringLiteral("qtbase_zh_CN")))
    return;
  auto *translator = new QTranslator(QCoreApplication::instance());
  translator->setObjectName(QStringLiteral("qtbase_zh_CN"));
  // Compiled in, so that no system needs Qt's translations installed.
  if (translator->load(QStringLiteral(":/i18n/qtbase_zh_CN.qm")))
    QCoreApplication::installTranslator(translator);
}

QMargins FrameMargins(const QWidget *window) {
  const QWindow *handle = window->windowHandle();
  return handle ? handle->frameMargins() : QMargins();
}

namespace {

// The frame's left or top: centred on the screen, then moved into the free
// area [freeStart, freeEnd) where it reaches out of it, its start first.
int CentredStart(int screenStart, int screenLength, int freeStart, int freeEnd, int length) {
  const int centred = screenStart + std::max(0, (screenLength - length) / 2);
  return std::max(std::min(centred, freeEnd - length), freeStart);
}

void Centre(QWidget *window, const QScreen *onScreen) {
  const QRect screen = onScreen->geometry();
  const QRect free = onScreen->availableGeometry();
  const QMargins margins = FrameMargins(window);
  const QSize outer = window->size().grownBy(margins);
  const QPoint frame(
      CentredStart(screen.x(), screen.width(), free.x(), free.x() + free.width(), outer.width()),
      CentredStart(screen.y(), screen.height(), free.y(), free.y() + free.height(),
                   outer.height()));
  // The client area's place: Qt's idea of the frame's place can lag behind.
  window->setGeometry(QRect(frame + QPoint(margins.left(), margins.top()), window->size()));
}

// Centres its window again once the window manager has framed it: at the
// first move, resize or paint after which the frame is larger than the
// window. By its first activation a window is framed, if ever.
class TFrameCentring : public QObject {
public:
  TFrameCentring(QWidget *window, const QScreen *screen) : QObject(window), FScreen(screen) {
    window->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Paint &&
        type != QEvent::WindowActivate)
      return false;
    auto *window = static_cast<QWidget *>(watched);
    const bool framed = !FrameMargins(window).isNull();
    if (framed || type == QEvent::WindowActivate) {
      window->removeEventFilter(this);
      deleteLater();
    }
    if (framed && FScreen)
      Centre(window, FScreen);
    return false;
  }

private:
  QPointer<const QScreen> FScreen;
};

} // namespace

void CentreOnScreen(QWidget *window, const QScreen *screen) {
  if (!screen)
    screen = QGuiApplication::primaryScreen();
  Centre(window, screen);
  if (FrameMargins(window).isNull())
    new TFrameCentring(window, screen);
}

int RunKestrin(const std::function<QWidget *()> &createMainWindow) {
  std::unique_ptr<QWidget> mainWindow;
  int result = 1;
  try {
    SetUpApplication();
    // Lets the desktop match the running window to the installed launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Kestrin"));
    Calculator = new TKestrin;
    ShowSplash();
    // The application title, ApplicationTitle, captions the error box. It is
    // not given to Qt as the display name: Qt would append it to every
    // window's caption ("关于 — 卫生防护距离").
    mainWindow.reset(createMainWindow());
    mainWindow->show(); // its first-show handler destroys the splash
    result = QApplication::exec();
  } catch (const Exception &failure) {
    ReportFatal(failure);
  }
  // No handler may use the calculator from here on.
  delete Calculator;
  Calculator = nullptr;
  mainWindow.reset();
  DestroySplash();
  return result;
}
