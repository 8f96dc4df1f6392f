#include "report.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <QWindow>

#include "startup.h"

QString ReportText(const QString &message) {
  if (!message.isEmpty() && message.back().unicode() > u'.')
    return message + u'.';
  return message;
}

namespace {

bool IsInvisible(char32_t c) {
  switch (QChar::category(c)) {
  case QChar::Separator_Space:
    return c != u' ';
  case QChar::Other_Control:
    return c != u'\n';
  case QChar::Separator_Line:
  case QChar::Separator_Paragraph:
  case QChar::Other_Format:
    return true;
  default:
    return false;
  }
}

// A word broken into lines no wider than width, wherever it must.
QString BreakAnywhere(const QString &word, const QFont &font, int width) {
  QStringList lines;
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  for (const QString &paragraph : word.split(u'\n')) {
    QTextLayout layout(paragraph, font);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
  }
  return lines.join(u'\n');
}

// The box wraps its text between words, within about half the screen; a
// word too wide for that (a pasted number of 5,000 digits) is broken first.
QString BreakLongWords(const QString &text, const QFont &font, int width) {
  const QFontMetrics metrics(font);
  QStringList words = text.split(u' ');
  for (QString &word : words)
    if (metrics.horizontalAdvance(word) > width)
      word = BreakAnywhere(word, font, width);
  return words.join(u' ');
}

// text with its middle replaced by "…", keeping `kept` characters (and no
// half of a surrogate pair): "abcdef", 4 -> "ab…ef".
QString ShortenInMiddle(const QString &text, qsizetype kept) {
  qsizetype head = kept - kept / 2, tail = kept / 2;
  if (head > 0 && text[head - 1].isHighSurrogate())
    --head;
  if (tail > 0 && text[text.size() - tail].isLowSurrogate())
    --tail;
  return text.first(head) + u'\u2026' + text.last(tail);
}

// A stop-icon box with one OK button, modal for the whole application. It
// stays on top so that no stays-on-top window of the program can cover it.
// Its text wraps within half the screen width, and the box with its frame
// keeps within the screen's available height, its button on screen: a text
// too long for that loses characters from its middle, as few as a search
// over the length finds (a 5,000-digit number takes 13 layouts).
class TStopBox : public QMessageBox {
public:
  TStopBox(const QString &caption, const QString &text, QWidget *parent)
      : QMessageBox(QMessageBox::Critical, caption, QString(), QMessageBox::Ok, parent),
        FText(text), FScreen(parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setTextFormat(Qt::PlainText); // a message may quote typed text such as "<b>"
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setText(Wrapped(FText));
  }

protected:
  // A shown box sizes itself to each text it is given, and is placed by the
  // size it has when this handler is done.
  void showEvent(QShowEvent *event) override {
    if (!FFitted) {
      FFitted = true;
      FitToScreen();
    }
    QMessageBox::showEvent(event);
  }

private:
  QString Wrapped(const QString &text) const {
    return BreakLongWords(text, QApplication::font("QMessageBoxLabel"),
                          FScreen->geometry().width() / 2);
  }

  bool Fits(const QString &text) {
    setText(Wrapped(text));
    const QWidget *owner = parentWidget();
    const QWindow *framed = owner ? owner->window()->windowHandle() : nullptr;
    const QMargins frame = framed ? framed->frameMargins() : QMargins();
    return height() + frame.top() + frame.bottom() <= FScreen->availableGeometry().height();
  }

  void FitToScreen() {
    if (Fits(FText))
      return;
    qsizetype fits = 0, tooLong = FText.size();
    while (tooLong - fits > 1) {
      const qsizetype kept = fits + (tooLong - fits) / 2;
      (Fits(ShortenInMiddle(FText, kept)) ? fits : tooLong) = kept;
    }
    Fits(ShortenInMiddle(FText, fits));
  }

  const QString FText;
  const QScreen *const FScreen;
  bool FFitted = false;
};

// While a box is open, the program's windows that stay on top give up that
// position, and take it back when it closes. Only the platform windows
// change: a shown widget whose own flags change is hidden.
class TOnTopPause {
public:
  TOnTopPause() {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
      QWindow *window = widget->windowHandle();
      if (widget->isVisible() && window && window->flags().testFlag(Qt::WindowStaysOnTopHint)) {
        window->setFlag(Qt::WindowStaysOnTopHint, false);
        FPaused.append(window);
      }
    }
  }
  ~TOnTopPause() {
    for (const QPointer<QWindow> &window : FPaused)
      if (window)
        window->setFlag(Qt::WindowStaysOnTopHint, true);
  }
  TOnTopPause(const TOnTopPause &) = delete;
  TOnTopPause &operator=(const TOnTopPause &) = delete;

private:
  QList<QPointer<QWindow>> FPaused;
};

// Swallows mouse presses until control is back in the event loop: the rest
// of the press whose focus change failed, which would otherwise reach its
// control after the box, its release long gone to the box's own loop.
class TPressCancel : public QObject {
protected:
  bool eventFilter(QObject *, QEvent *event) override {
    return event->type() == QEvent::MouseButtonPress ||
           event->type() == QEvent::MouseButtonDblClick;
  }
};

void CancelPressInDispatch() {
  auto *cancel = new TPressCancel;
  QCoreApplication::instance()->installEventFilter(cancel);
  cancel->deleteLater();
}

} // namespace

QString ShowInvisible(const QString &text) {
  QString shown;
  for (const char32_t c : text.toUcs4()) {
    if (IsInvisible(c))
      shown += QStringLiteral("<U+%1>").arg(uint(c), 4, 16, QChar(u'0')).toUpper();
    else
      shown += QString::fromUcs4(&c, 1);
  }
  return shown;
}

void ReportError(const Exception &failure) {
  const bool pressing = QGuiApplication::mouseButtons() != Qt::NoButton;
  if (QWidget *grabber = QWidget::mouseGrabber())
    grabber->releaseMouse();
  // Parented to the active window, the box opens on that window's monitor;
  // that window gets the activation back once the box is closed.
  const QPointer<QWidget> active = QApplication::activeWindow();
  const QString text = ShowInvisible(ReportText(QString::fromStdString(failure.Message())));
  {
    const TOnTopPause pause;
    (new TStopBox(ApplicationTitle, text, active))->exec();
  }
  if (pressing)
    CancelPressInDispatch();
  if (active)
    active->activateWindow();
}

void ReportFatal(const Exception &failure) {
  // The code address in this module from which the failure was reported.
  const void *address = __builtin_return_address(0);
  QString message = QString::fromStdString(failure.Message());
  if (!message.isEmpty() && !message.endsWith(u'.'))
    message += u'.';
  const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  const QString text = QString::asprintf("Exception %s in module %s at %p.\n", failure.ClassName(),
                                         qUtf8Printable(module), address) +
                       message;
  (new TStopBox(QStringLiteral("Application Error"), text, nullptr))->exec();
}

void ErrorDialog(const QString &message, QWidget *parent) {
  auto *dialog = new QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                         Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QStringLiteral("Error"));
  dialog->setFont(QApplication::font("QMessageBoxLabel"));
  QStyle *style = dialog->style();
  QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();

  auto *icon = new QLabel(dialog);
  icon->setObjectName(QStringLiteral("icon"));
  const int extent = style->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
  icon->setPixmap(
      style->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, dialog).pixmap(extent, extent));
  auto *text = new QLabel(message, dialog);
  text->setObjectName(QStringLiteral("message"));
  text->setTextFormat(Qt::PlainText);
  text->setWordWrap(true);
  // As wide as the text needs up to half the screen, so that a short message
  // stays on one line and a long one wraps at half the screen width.
  const QRect fit(0, 0, screen->geometry().width() / 2, 0);
  text->setFixedWidth(text->fontMetrics().boundingRect(fit, Qt::TextWordWrap, message).width());
  auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
  ok->setDefault(true); // Enter presses it; Esc and the close box reject the dialog
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);

  auto *grid = new QGridLayout(dialog);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  grid->setHorizontalSpacing(12);
  grid->addWidget(icon, 0, 0, Qt::AlignTop);
  grid->addWidget(text, 0, 1);
  grid->addWidget(ok, 1, 0, 1, 2, Qt::AlignHCenter);
  dialog->adjustSize();
  CentreOnScreen(dialog, screen);
  const TOnTopPause pause;
  dialog->exec();
}
