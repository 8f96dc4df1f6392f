// Failure reporting: the "." rule, the error box of a failing event handler,
// the last-resort report and the error dialog.
#include <cfenv>
#include <memory>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QApplication>
#include <QScreen>
#include <QTest>

#include "report.h"
#include "watchdog.h"

namespace {

// What a box showed, taken while it was up.
struct TSeenBox {
  QString Caption;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  Qt::WindowModality Modality = Qt::NonModal;
  bool OnTop = false;
  bool PlainText = false;
  int Buttons = 0;
};

TSeenBox Look(QWidget *widget) {
  auto *box = qobject_cast<QMessageBox *>(widget);
  if (!box)
    return {};
  return {box->windowTitle(), box->text(), box->icon(), box->windowModality(),
          box->windowFlags().testFlag(Qt::WindowStaysOnTopHint), box->textFormat() == Qt::PlainText,
          int(box->buttons().size())};
}

// Expects one message box, records it and presses its OK button.
void ExpectBox(TWatchdog &watchdog, TSeenBox &seen) {
  watchdog.Expect([&seen](QWidget *box) {
    seen = Look(box);
    if (auto *message = qobject_cast<QMessageBox *>(box))
      if (QAbstractButton *ok = message->button(QMessageBox::Ok))
        ok->click();
  });
}

// A failure with a message of the test's choosing.
class ETest : public Exception {
public:
  using Exception::Exception;
  const char *ClassName() const override { return "ETest"; }
};

} // namespace

Q_DECLARE_METATYPE(std::shared_ptr<Exception>)

class TReportTest : public QObject {
  Q_OBJECT

private slots:
  void cleanup() { QCOMPARE(FWatchdog.Pending(), 0); }

  void reportTextAppendsPointByLastCharacterCode_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "'abc' is not a valid floating point value"
                            << "'abc' is not a valid floating point value.";
    QTest::newRow("point") << "Floating point overflow." << "Floating point overflow.";
    QTest::newRow("exclamation") << "Stop!" << "Stop!";
    QTest::newRow("parenthesis") << "(none)" << "(none)";
    QTest::newRow("minus 0x2D") << "a-" << "a-";
    QTest::newRow("slash 0x2F") << "a/" << "a/.";
    QTest::newRow("digit") << "L = 1000" << "L = 1000.";
    QTest::newRow("space") << "a " << "a ";
    QTest::newRow("newline") << "a\n" << "a\n";
    QTest::newRow("chinese") << "不能发送邮件" << "不能发送邮件.";
    QTest::newRow("full-width mark") << "中！" << "中！.";
    QTest::newRow("empty") << "" << "";
  }
  void reportTextAppendsPointByLastCharacterCode() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ReportText(message), shown);
  }

  void showInvisible_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no-break space") << "'5000\u00A0'" << "'5000<U+00A0>'";
    QTest::newRow("ideographic space") << "\u30001" << "<U+3000>1";
    QTest::newRow("tab") << "\t1" << "<U+0009>1";
    QTest::newRow("carriage return") << "1\r\n2" << "1<U+000D>\n2";
    QTest::newRow("zero-width space") << "1\u200B" << "1<U+200B>";
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFF1") << "<U+FEFF>1";
    QTest::newRow("line separator") << "1\u2028" << "1<U+2028>";
    QTest::newRow("tag beyond 16 bits") << QString::fromUcs4(U"1\U000E0001") << "1<U+E0001>";
    QTest::newRow("line break, space, Chinese stay") << "a\n距 离" << "a\n距 离";
    QTest::newRow("visible beyond 16 bits stays") << QString::fromUcs4(U"\U0001D7D9") << QString::fromUcs4(U"\U0001D7D9");
  }
  void showInvisible() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ShowInvisible(text), shown);
  }

  // A failing handler: one box, its later steps skipped, the numeric
  // environment reset, the mouse released; the next event is handled.
  void failureInHandlerIsReportedOnce_data() {
    QTest::addColumn<std::shared_ptr<Exception>>("failure");
    QTest::addColumn<QString>("shown");
    QTest::newRow("convert") << std::shared_ptr<Exception>(new EConvertError("'' is not a valid floating point value"))
                             << "'' is not a valid floating point value.";
    QTest::newRow("zero divide") << std::shared_ptr<Exception>(new EZeroDivide)
                                 << "Floating point division by zero.";
    QTest::newRow("invalid op") << std::shared_ptr<Exception>(new EInvalidOp)
                                << "Invalid floating point operation.";
    QTest::newRow("overflow") << std::shared_ptr<Exception>(new EOverflow) << "Floating point overflow.";
    QTest::newRow("markup stays text") << std::shared_ptr<Exception>(new EConvertError("'<b>1</b>' is not a valid floating point value"))
                                       << "'<b>1</b>' is not a valid floating point value.";
    QTest::newRow("no-break space shown") << std::shared_ptr<Exception>(new EConvertError("'5000\u00A0' is not a valid floating point value"))
                                          << "'5000<U+00A0>' is not a valid floating point value.";
    QTest::newRow("chinese") << std::shared_ptr<Exception>(new ETest("距离")) << "距离.";
    QTest::newRow("empty") << std::shared_ptr<Exception>(new ETest("")) << "";
  }
  void failureInHandlerIsReportedOnce() {
    QFETCH(std::shared_ptr<Exception>, failure);
    QFETCH(QString, shown);
    QWidget window;
    auto *failing = new QPushButton(QStringLiteral("failing"), &window);
    auto *working = new QPushButton(QStringLiteral("working"), &window);
    working->move(0, 40);
    int stepsRun = 0, worked = 0;
    bool grabbed = false;
    connect(failing, &QPushButton::clicked, &window, [&] {
      Guarded([&] {
        ++stepsRun;
        failing->grabMouse();
        grabbed = QWidget::mouseGrabber() == failing;
        std::fesetround(FE_UPWARD);
        throw *failure; // copies the base part: its message is what counts
        ++stepsRun;
      });
    });
    connect(working, &QPushButton::clicked, &window, [&] { Guarded([&] { ++worked; }); });
    window.show();

    TSeenBox seen;
    ExpectBox(FWatchdog, seen);
    QTest::mouseClick(failing, Qt::LeftButton);
    QCOMPARE(FWatchdog.Pending(), 0);
    QCOMPARE(stepsRun, 1);
    QVERIFY(grabbed);
    QCOMPARE(seen.Caption, QStringLiteral("卫生防护距离"));
    QCOMPARE(seen.Text, shown);
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QCOMPARE(seen.Modality, Qt::ApplicationModal);
    QVERIFY(seen.OnTop);
    QVERIFY(seen.PlainText);
    QCOMPARE(seen.Buttons, 1);
    QCOMPARE(std::fegetround(), FE_TONEAREST);
    QCOMPARE(QWidget::mouseGrabber(), nullptr);

    QTest::mouseClick(working, Qt::LeftButton); // no box expected now
    QCOMPARE(worked, 1);
  }

  // A long message wraps within half the screen, between words and within a
  // word too long for a line, and the box stays within the screen's height
  // with its button on screen: a message too long for that is shown with
  // its middle replaced by "…".
  void longMessageFitsTheScreen_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("shortened");
    const QString invalid = QStringLiteral("' is not a valid floating point value");
    QTest::newRow("5,000 nines pasted") << "'" + QString(5000, u'9') + invalid << true;
    QTest::newRow("a 60-line column pasted")
        << "'" + QStringLiteral("12.5\n").repeated(59) + "12.5" + invalid << true;
    QTest::newRow("Chinese without spaces") << QStringLiteral("距离").repeated(3000) << true;
    QTest::newRow("many words") << QStringLiteral("a word ").repeated(2000) + "end" << true;
    QTest::newRow("some words") << QStringLiteral("a word ").repeated(100) + "end" << false;
    QTest::newRow("20 lines") << QStringLiteral("line\n").repeated(20) + "end" << false;
  }
  void longMessageFitsTheScreen() {
    QFETCH(QString, message);
    QFETCH(bool, shortened);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int half = screen->geometry().width() / 2;
    QString shown;
    int labelWidth = 0;
    QRect frame, button;
    FWatchdog.Expect([&](QWidget *box) {
      shown = qobject_cast<QMessageBox *>(box)->text();
      labelWidth = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->width();
      frame = box->frameGeometry();
      QAbstractButton *ok = qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok);
      button = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
      ok->click();
    });
    Guarded([&] { throw ETest(message.toStdString()); });
    QCOMPARE(FWatchdog.Pending(), 0);
    const QRect available = screen->availableGeometry();
    QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1 x %2 at %3, %4")
                                                       .arg(frame.width()).arg(frame.height())
                                                       .arg(frame.x()).arg(frame.y())));
    QVERIFY(available.contains(button));
    QVERIFY(frame.width() < 2 * half);
    QVERIFY2(labelWidth <= half + 2, qPrintable(QString::number(labelWidth)));
    // The text less the breaks added for wrapping: the message, or its two
    // ends around "…".
    const QString full = ReportText(message);
    const QString unwrapped = QString(shown).remove(u'\n');
    const qsizetype ellipsis = unwrapped.indexOf(u'\u2026');
    QCOMPARE(ellipsis >= 0, shortened);
    if (shortened) {
      const QString head = unwrapped.first(ellipsis), tail = unwrapped.sliced(ellipsis + 1);
      QVERIFY(QString(full).remove(u'\n').startsWith(head));
      QVERIFY(QString(full).remove(u'\n').endsWith(tail));
      QVERIFY(!head.isEmpty() && !tail.isEmpty());
      QVERIFY2(frame.height() > available.height() * 3 / 4, "shortened far more than needed");
    } else {
      QCOMPARE(unwrapped, QString(full).remove(u'\n'));
    }
    const QFontMetrics metrics(QApplication::font("QMessageBoxLabel"));
    for (const QString &word : shown.split(QRegularExpression(QStringLiteral("[ \n]"))))
      QVERIFY2(metrics.horizontalAdvance(word) <= half, qPrintable(word.left(20)));
  }

  // A window that stays on top gives up that position while a box is open
  // and takes it back when the box closes.
  void onTopWindowStepsBackWhileBoxIsOpen_data() {
    QTest::addColumn<bool>("dialog");
    QTest::newRow("error box") << false;
    QTest::newRow("error dialog") << true;
  }
  void onTopWindowStepsBackWhileBoxIsOpen() {
    QFETCH(bool, dialog);
    QWidget window(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto onTop = [&window] {
      return window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    };
    QVERIFY(onTop());
    bool onTopWhileOpen = true;
    FWatchdog.Expect([&](QWidget *box) {
      onTopWhileOpen = onTop();
      QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
      qobject_cast<QDialog *>(box)->reject();
    });
    if (dialog)
      ErrorDialog(QStringLiteral("不能发送邮件"), &window);
    else
      Guarded([] { throw EZeroDivide(); });
    QCOMPARE(FWatchdog.Pending(), 0);
    QVERIFY(!onTopWhileOpen);
    QVERIFY(onTop());
    QVERIFY(window.isVisible());
  }

  // A failure in a show handler is reported and the window still shows.
  void failureInShowHandlerStillShowsWindow() {
    class TFailingShow : public QWidget {
    protected:
      void showEvent(QShowEvent *) override {
        Guarded([] { throw EZeroDivide(); });
      }
    } window;
    TSeenBox seen;
    ExpectBox(FWatchdog, seen);
    window.show();
    QCOMPARE(seen.Text, QStringLiteral("Floating point division by zero."));
    QVERIFY(window.isVisible());
  }

  void lastResortReport_data() {
    QTest::addColumn<std::shared_ptr<Exception>>("failure");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("secondLine");
    QTest::newRow("convert") << std::shared_ptr<Exception>(new EConvertError("'x' is not a valid floating point value"))
                             << "EConvertError" << "'x' is not a valid floating point value.";
    QTest::newRow("zero divide") << std::shared_ptr<Exception>(new EZeroDivide) << "EZeroDivide"
                                 << "Floating point division by zero.";
    QTest::newRow("ends in point") << std::shared_ptr<Exception>(new ETest("Done.")) << "ETest" << "Done.";
    QTest::newRow("exclamation gets point") << std::shared_ptr<Exception>(new ETest("Stop!")) << "ETest"
                                            << "Stop!.";
    QTest::newRow("empty") << std::shared_ptr<Exception>(new ETest("")) << "ETest" << "";
  }
  void lastResortReport() {
    QFETCH(std::shared_ptr<Exception>, failure);
    QFETCH(QString, className);
    QFETCH(QString, secondLine);
    TSeenBox seen;
    ExpectBox(FWatchdog, seen);
    ReportFatal(*failure);
    QCOMPARE(seen.Caption, QStringLiteral("Application Error"));
    QCOMPARE(seen.Icon, QMessageBox::Critical);
    QCOMPARE(seen.Modality, Qt::ApplicationModal);
    const QStringList lines = seen.Text.split(u'\n');
    QCOMPARE(lines.size(), 2);
    const QRegularExpression first(
        QStringLiteral("^Exception %1 in module report_test(\\.exe)? at 0x[0-9a-f]+\\.$").arg(className));
    QVERIFY2(first.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QCOMPARE(lines[1], secondLine);
  }

  // The dialog's parts, then its closing by Enter, Esc, the close box and
  // the button; ErrorDialog returning at all shows that it closed.
  void errorDialogClosesByEveryWay_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("enter") << "enter";
    QTest::newRow("return") << "return";
    QTest::newRow("escape") << "escape";
    QTest::newRow("close box") << "close box";
    QTest::newRow("ok button") << "ok button";
  }
  void errorDialogClosesByEveryWay() {
    QFETCH(QString, way);
    bool looked = false;
    FWatchdog.Expect([&](QWidget *box) {
      CheckErrorDialogParts(box, QStringLiteral("不能发送邮件到[x@example.com]中！"));
      auto *text = box->findChild<QLabel *>(QStringLiteral("message"));
      QVERIFY(text->heightForWidth(text->width()) < 2 * text->fontMetrics().lineSpacing()); // one line
      looked = true;
      auto *ok = box->findChild<QPushButton *>();
      QWidget *focus = box->focusWidget() ? box->focusWidget() : box;
      if (way == "enter")
        QTest::keyClick(focus, Qt::Key_Enter);
      else if (way == "return")
        QTest::keyClick(focus, Qt::Key_Return);
      else if (way == "escape")
        QTest::keyClick(focus, Qt::Key_Escape);
      else if (way == "close box")
        box->close();
      else if (ok)
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    ErrorDialog(QStringLiteral("不能发送邮件到[x@example.com]中！"));
    QVERIFY(looked);
  }

  // A long message wraps at half the screen width; the dialog is centred
  // (its client area, give or take the window frame placed around it).
  void errorDialogWrapsLongMessage() {
    const QString message = QStringLiteral("不能发送邮件到[someone@example.com]中！").repeated(20);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect label, client, frame;
    FWatchdog.Expect([&](QWidget *box) {
      CheckErrorDialogParts(box, message);
      label = box->findChild<QLabel *>(QStringLiteral("message"))->geometry();
      client = box->geometry();
      frame = box->frameGeometry();
      box->close();
    });
    ErrorDialog(message);
    QVERIFY2(label.width() <= screen.width() / 2, qPrintable(QString::number(label.width())));
    QVERIFY(label.height() > 2 * QFontMetrics(QApplication::font("QMessageBoxLabel")).height());
    const QPoint offset = client.center() - screen.center();
    QVERIFY(qAbs(offset.x()) <= client.left() - frame.left() + 1);
    QVERIFY(qAbs(offset.y()) <= client.top() - frame.top() + 1);
  }

private:
  // Caption "Error", the error icon left of the message, one default "OK"
  // button centred below both, the message font, modal.
  static void CheckErrorDialogParts(QWidget *box, const QString &message) {
    QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
    QVERIFY(box->isModal());
    QVERIFY(box->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!box->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // as the error box
    QCOMPARE(box->minimumSize(), box->maximumSize());
    auto *icon = box->findChild<QLabel *>(QStringLiteral("icon"));
    auto *text = box->findChild<QLabel *>(QStringLiteral("message"));
    const QList<QPushButton *> buttons = box->findChildren<QPushButton *>();
    QVERIFY(icon && text);
    QVERIFY(!icon->pixmap().isNull());
    QCOMPARE(text->text(), message);
    QVERIFY(text->wordWrap());
    QCOMPARE(text->font(), QApplication::font("QMessageBoxLabel"));
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
    QVERIFY(buttons[0]->isDefault());
    QVERIFY(icon->geometry().right() < text->geometry().left());
    QVERIFY(buttons[0]->geometry().top() > text->geometry().bottom());
    QVERIFY(buttons[0]->geometry().top() > icon->geometry().bottom());
    QVERIFY(qAbs(buttons[0]->geometry().center().x() - box->rect().center().x()) <= 1);
  }

  TWatchdog FWatchdog;
};

QTEST_MAIN(TReportTest)
#include "report_test.moc"
