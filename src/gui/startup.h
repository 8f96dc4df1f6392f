// The program's life once the application object exists: the rest of the
// start-up sequence, the event loop and finalisation. Kept apart from main()
// so that the tests run the very same sequence.
#pragma once

#include <functional>

class QMargins;
class QScreen;
class QWidget;

// Registers the fonts that stand in for "MS Sans Serif", the font the
// windows name: a Latin sans of Arial's widths, close to the original's, so
// texts fit their fixed places; then a CJK font for the Chinese texts. Only
// the first call registers.
void RegisterFontSubstitutes();

// What the program sets up in the application object before any window:
// the font substitutes; the classic style, whose edit boxes have a sunken
// border and whose groups carry their caption on the frame; and Qt's own
// Chinese texts (the edit boxes' context menu, the standard buttons),
// whatever the system language.
void SetUpApplication();

// Centres window on screen (the primary screen unless given) by its outer
// frame: left = (screen width - frame width) / 2, top likewise, truncated,
// each at least 0; a frame that would then reach under the task bar moves
// back into the screen's free area as far as it can. A window manager
// decorates a window only after it has been shown, so the window is centred
// once more when its frame first becomes known.
void CentreOnScreen(QWidget *window, const QScreen *screen = nullptr);

// The window's frame margins as far as known: none before the window
// exists, and none before a window manager has framed it.
QMargins FrameMargins(const QWidget *window);

// In this order: Calculator, the splash window (shown and painted), the main
// window made by createMainWindow, shown as the event loop starts; the loop
// runs until the main window closes; then finalisation: Calculator first,
// then the windows. A failure outside every event handler gets the
// last-resort report and the result 1; otherwise the result is the event
// loop's.
int RunKestrin(const std::function<QWidget *()> &createMainWindow);
