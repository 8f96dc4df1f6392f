#include "UAuthor.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageIOHandler>
#include <QPainter>
#include <QThread>
#include <QWindow>

#include "startup.h"

TfrmAbout *frmAbout = nullptr;

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to Decode instead of ending the process.
struct TJpegError {
  jpeg_error_mgr Manager; // first, so libjpeg's pointer to it is one to this
  std::jmp_buf Escape;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<TJpegError *>(info->err)->Escape, 1);
}

// Level -1 is a warning about corrupt or truncated data, which libjpeg would
// paper over with grey; a partly grey splash is worse than none.
void JpegEmitMessage(j_common_ptr info, int level) {
  if (level < 0)
    JpegErrorExit(info);
}

struct TJpegJob {
  jpeg_decompress_struct Info;
  TJpegError Error;
};

// The decoding proper. No object with a destructor lives in this frame, so
// the longjmp of a libjpeg error skips nothing; *job and *image belong to the
// caller, who discards *image when this returns false.
bool Decode(TJpegJob *job, const unsigned char *data, unsigned long size, QImage *image) {
  job->Info.err = jpeg_std_error(&job->Error.Manager);
  job->Error.Manager.error_exit = JpegErrorExit;
  job->Error.Manager.emit_message = JpegEmitMessage;
  if (setjmp(job->Error.Escape)) {
    jpeg_destroy_decompress(&job->Info);
    return false;
  }
  jpeg_create_decompress(&job->Info);
  jpeg_mem_src(&job->Info, data, size);
  jpeg_read_header(&job->Info, TRUE);
  job->Info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&job->Info);
  // Refuses sizes beyond Qt's limit for decoded images (QImageReader::allocationLimit).
  if (!QImageIOHandler::allocateImage(
          QSize(int(job->Info.output_width), int(job->Info.output_height)), QImage::Format_RGB888,
          image))
    JpegErrorExit(reinterpret_cast<j_common_ptr>(&job->Info));
  while (job->Info.output_scanline < job->Info.output_height) {
    JSAMPROW row = image->scanLine(int(job->Info.output_scanline));
    if (jpeg_read_scanlines(&job->Info, &row, 1) != 1) // no progress: never loop on
      JpegErrorExit(reinterpret_cast<j_common_ptr>(&job->Info));
  }
  jpeg_finish_decompress(&job->Info);
  jpeg_destroy_decompress(&job->Info);
  return true;
}

QByteArray ReadResource(const QString &name) {
  QFile file(name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QImage DecodeJpeg(const QByteArray &jpeg) {
  TJpegJob job{};
  QImage image;
  if (!Decode(&job, reinterpret_cast<const unsigned char *>(jpeg.constData()),
              static_cast<unsigned long>(jpeg.size()), &image))
    return {};
  return image;
}

TImage::TImage(const QByteArray &jpeg, QWidget *parent) : QWidget(parent), FJpeg(jpeg) {}

void TImage::paintEvent(QPaintEvent *) {
  if (!FDecoded) {
    FPicture = DecodeJpeg(FJpeg);
    FDecoded = true;
  }
  QPainter(this).drawImage(0, 0, FPicture);
}

// A dialog border that cannot be resized: on Windows a fixed size alone still
// draws (and lets the cursor offer) a sizing frame.
TfrmAbout::TfrmAbout()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      Image1(new TImage(ReadResource(QStringLiteral(":/splash.jpg")), this)) {
  setWindowTitle(QStringLiteral("关于"));
  // A dialog's title bar shows no icon; window managers that draw one for
  // every window get a blank one.
  QPixmap blank(16, 16);
  blank.fill(Qt::transparent);
  setWindowIcon(QIcon(blank));
  setFixedSize(318, 252);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0x95, 0xCA, 0xFF));
  setPalette(colours);
  setAutoFillBackground(true);
  // The splash is no main window: closing the main window ends the program
  // even while the splash is still up.
  setAttribute(Qt::WA_QuitOnClose, false);
  Image1->setGeometry(0, 0, 318, 252);
  CentreOnScreen(this);
}

TfrmAbout::~TfrmAbout() {
  if (frmAbout == this)
    frmAbout = nullptr;
}

void ShowSplash() {
  frmAbout = new TfrmAbout;
  frmAbout->show();
  // The window system maps the window asynchronously. Let its events through,
  // but no user input, until the window is exposed, then paint at once.
  const QDeadlineTimer deadline(1000);
  while (!frmAbout->windowHandle()->isExposed() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(1);
  }
  frmAbout->repaint();
}

void DestroySplash() {
  delete frmAbout;
}
