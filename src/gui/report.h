// Where failures end: ReportError (the guarded dispatch of every event
// handler), the last-resort report, and ErrorDialog.
#pragma once

#include <QString>

#include "numtext.h"

class QWidget;

// The application title, caption of the central error box.
inline const QString ApplicationTitle = QStringLiteral("卫生防护距离");

// The message as the error box shows it: "." appended when the last
// character's code is above that of "." (so a Chinese character gets one).
//   "abc" -> "abc."   "abc." -> "abc."   "Stop!" -> "Stop!"   "(x)" -> "(x)"
//   "距离" -> "距离."   "" -> ""
QString ReportText(const QString &message);

// Characters that show as nothing or as a plain blank (other than the space
// and the line break) written as their code, so that a message quoting typed
// text shows what made it fail:
//   "'5000\u00A0'" -> "'5000<U+00A0>'"   "'\t1'" -> "'<U+0009>1'"   "a\nb" -> "a\nb"
QString ShowInvisible(const QString &text);

// Shows a failure that ended an event handler: cancels any mouse capture (a
// press being dispatched goes no further, so no control stays pressed) and
// shows the application-modal critical box captioned with ApplicationTitle,
// the text (ReportText, then ShowInvisible) wrapped within half the screen
// width, the box within the screen. Called only by Guarded,
// after the numeric environment has been reset.
void ReportError(const Exception &failure);

// Runs an event handler in the program's numeric environment; a failure
// ends it there and is reported. The environment is set on entry because
// code outside the program (on Windows a system DLL loaded by a dialog or a
// driver) may leave the x87 unit at 53-bit precision, which would change
// last digits.
template <typename Handler> void Guarded(Handler &&handler) {
  InitNumericEnvironment();
  CatchFailure(handler, ReportError);
}

// Modal error dialog, on top like the error box: caption "Error", error
// icon, word-wrapped message, one centred "OK" button (default and cancel).
// Returns when it is closed.
void ErrorDialog(const QString &message, QWidget *parent = nullptr);

// Report for a failure outside any handler (start-up): the "Application
// Error" box, then the caller ends the program with exit code 1. Needs the
// application object.
void ReportFatal(const Exception &failure);
