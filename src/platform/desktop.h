// What the window needs from the desktop system beyond what Qt gives: one
// implementation file per system, chosen by the build.
#pragma once

// Makes the system's announcement that the user's settings changed (on
// Windows the WM_SETTINGCHANGE / WM_WININICHANGE broadcast) reach every
// window as QEvent::LocaleChange, so that the decimal mark is read again.
// Qt does this itself elsewhere. Repeated calls do nothing more.
void WatchSettingsChanges();
