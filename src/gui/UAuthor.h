// The splash window TfrmAbout and its JPEG picture.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>

// Decodes a JPEG with libjpeg into an RGB image; a null image when the data
// is not a complete, sound JPEG (libjpeg's errors and its warnings about
// corrupt or truncated data both count as failure).
QImage DecodeJpeg(const QByteArray &jpeg);

// A picture control: shows its JPEG at its own size from the top-left
// corner, decoded on the first paint; what lies outside the control is cut.
class TImage : public QWidget {
public:
  TImage(const QByteArray &jpeg, QWidget *parent);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QByteArray FJpeg;
  QImage FPicture;
  bool FDecoded = false;
};

// The splash window: the splash picture in a fixed, stays-on-top window
// centred on the screen.
class TfrmAbout : public QWidget {
public:
  TfrmAbout();
  ~TfrmAbout() override;

  TImage *Image1;
};

// The splash window while it exists (start-up until the main window's first show).
extern TfrmAbout *frmAbout;

// Creates the splash window, shows it (not modal) and paints it at once.
void ShowSplash();
// Hides and destroys the splash window; does nothing when there is none.
void DestroySplash();
