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

QString ReportText(const QString &message) {
  if (!message.isEmpty() && message.back().unicode() > u'.')
    return message + u'.';
  return message;
}

namespace {

// A stop-icon box with one OK button, modal for the whole application. It
// stays on top so that no stays-on-top window of the program can cover it.
QMessageBox *CreateStopBox(const QString &caption, const QString &text, QWidget *parent) {
  auto *box = new QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setTextFormat(Qt::PlainText); // a message may quote typed text such as "<b>"
  box->setWindowModality(Qt::ApplicationModal);
  box->setWindowFlag(Qt::WindowStaysOnTopHint);
  return box;
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

void ReportError(const Exception &failure) {
  const bool pressing = QGuiApplication::mouseButtons() != Qt::NoButton;
  if (QWidget *grabber = QWidget::mouseGrabber())
    grabber->releaseMouse();
  // Parented to the active window, the box opens on that window's monitor;
  // that window gets the activation back once the box is closed.
  const QPointer<QWidget> active = QApplication::activeWindow();
  const QScreen *screen = active ? active->screen() : QGuiApplication::primaryScreen();
  const QString text =
      BreakLongWords(ReportText(QString::fromStdString(failure.Message())),
                     QApplication::font("QMessageBoxLabel"), screen->geometry().width() / 2);
  CreateStopBox(ApplicationTitle, text, active)->exec();
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
  CreateStopBox(QStringLiteral("Application Error"), text, nullptr)->exec();
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
  dialog->move(screen->geometry().center() - dialog->rect().center());
  dialog->exec();
}
