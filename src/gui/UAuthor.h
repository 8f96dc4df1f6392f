// The splash window TfrmAbout and its JPEG picture.
#pragma once

#include <QWidget>

class TfrmAbout;

// The splash window while it exists (start-up until the main window's first show).
extern TfrmAbout *frmAbout;

// Creates the splash window, shows it (not modal) and paints it at once.
void ShowSplash();
// Hides and destroys the splash window; does nothing when there is none.
void DestroySplash();
