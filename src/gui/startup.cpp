#include "startup.h"

#include <memory>

#include <QApplication>
#include <QFont>
#include <QIcon>

#include "UAuthor.h"
#include "UCal.h"
#include "report.h"

void RegisterFontSubstitutes() {
  const QString family = QStringLiteral("MS Sans Serif");
  if (QFont::substitutes(family).isEmpty())
    QFont::insertSubstitutions(
        family, {QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Micro Hei")});
}

int RunKestrin(const std::function<QWidget *()> &createMainWindow) {
  std::unique_ptr<QWidget> mainWindow;
  int result = 1;
  try {
    RegisterFontSubstitutes();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrin.xpm")));
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
