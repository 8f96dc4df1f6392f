#include "desktop.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QEvent>
#include <QWidget>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// Qt's Windows platform re-reads only the theme and the screens on this
// broadcast, and on Windows QApplication passes no locale change on to the
// windows itself; the decimal mark must follow the user's regional format.
class TSettingsWatch : public QAbstractNativeEventFilter {
public:
  bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override {
    const auto *msg = static_cast<const MSG *>(message);
    // WM_WININICHANGE is the same message under its older name.
    if (eventType == "windows_generic_MSG" && msg->message == WM_SETTINGCHANGE) {
      for (QWidget *window : QApplication::topLevelWidgets())
        QCoreApplication::postEvent(window, new QEvent(QEvent::LocaleChange));
    }
    return false;
  }
};

} // namespace

void WatchSettingsChanges() {
  static TSettingsWatch watch;
  QCoreApplication::instance()->installNativeEventFilter(&watch);
}
