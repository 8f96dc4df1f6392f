// Part of every window test's fixture: keeps a modal box from hanging the
// test. Queue one handler with Expect() for each box the test means to open;
// the handler looks at the box and closes it as a user would (a key, a
// button, the close box). A box nobody expected fails the test, and so does
// a box its handler left open; either way the watchdog closes it and the
// test goes on. Check Pending() at the end: an expected box that never came.
//
//   TWatchdog watchdog;                       // a member of the test class
//   watchdog.Expect([](QWidget *box) { QTest::keyClick(box, Qt::Key_Escape); });
//   ...                                       // something that opens a box
//   QCOMPARE(watchdog.Pending(), 0);
#pragma once

#include <deque>
#include <functional>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

class TWatchdog : public QObject {
public:
  using THandler = std::function<void(QWidget *box)>;

  TWatchdog() {
    connect(&FTimer, &QTimer::timeout, this, &TWatchdog::Check);
    FTimer.start(10); // a modal box runs its own event loop, so this fires while it is up
  }

  void Expect(THandler handler) { FHandlers.push_back(std::move(handler)); }

  // Boxes expected but not seen yet.
  int Pending() const { return int(FHandlers.size()); }

  // The box's caption and text, for failure messages.
  static QString Describe(QWidget *box) {
    const auto *message = qobject_cast<QMessageBox *>(box);
    return QStringLiteral("\"%1\": \"%2\"").arg(box->windowTitle(), message ? message->text() : QString());
  }

private:
  void Check() {
    const QPointer<QWidget> box = QApplication::activeModalWidget();
    if (FBusy || !box || !box->isVisible())
      return;
    FBusy = true;
    Handle(box);
    FBusy = false;
  }

  void Handle(const QPointer<QWidget> &box) {
    if (FHandlers.empty()) {
      const QString what = Describe(box);
      Close(box);
      QTest::qFail(qPrintable(QStringLiteral("unexpected modal box ") + what), __FILE__, __LINE__);
      return;
    }
    const THandler handler = std::move(FHandlers.front());
    FHandlers.pop_front();
    handler(box);
    if (box && box->isVisible()) {
      const QString what = Describe(box);
      Close(box);
      QTest::qFail(qPrintable(QStringLiteral("box left open by its handler ") + what), __FILE__, __LINE__);
    }
  }

  static void Close(QWidget *box) {
    if (auto *dialog = qobject_cast<QDialog *>(box))
      dialog->reject();
    else
      box->close();
  }

  QTimer FTimer;
  std::deque<THandler> FHandlers;
  bool FBusy = false; // a handler that waits must not be entered again
};
