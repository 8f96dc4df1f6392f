#include "desktop.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// Qt's Windows platform re-reads only the theme and the screens on this
// broadcast; the decimal mark must follow the user's regional format too.
class TSettingsWatch : public QAbstractNativeEventFilter {
public:
  bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override {
    const auto *msg = static_cast<const MSG *>(message);
    // WM_WININICHANGE is the same message under its older name.
    if (eventType == "windows_generic_MSG" && msg->message == WM_SETTINGCHANGE)
      QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::LocaleChange));
    return false;
  }
};

} // namespace

void WatchSettingsChanges() {
  static TSettingsWatch watch;
  QCoreApplication::instance()->installNativeEventFilter(&watch);
}
