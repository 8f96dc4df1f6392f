// "复制计算书": what the clipboard holds after a computation, after a failing
// one and before any other, from the shortcut and from each box's menu.
#include <memory>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "UCal.h"
#include "UDis.h"
#include "UDisLayout.h"
#include "startup.h"
#include "watchdog.h"

namespace {

const QString Item = QStringLiteral("复制计算书");

// The rows of the results table as the Markdown text and the HTML carry them.
QString TextRow(const QString &label, const QString &value, const QString &unit) {
  return QStringLiteral("| %1 | %2 | %3 |").arg(label, value, unit);
}
QString HtmlRow(const QString &label, const QString &value, const QString &unit) {
  return QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>").arg(label, value, unit);
}

// The value a Markdown record states for an input, by its symbol.
QString Stated(const QString &record, const QString &symbol) {
  const QRegularExpression row(QStringLiteral("^\\| [^|]* \\| %1 \\| ([^|]*) \\|").arg(symbol),
                               QRegularExpression::MultilineOption);
  return row.match(record).captured(1);
}

// The record's stated inputs as kestrin-cli's arguments, asking for its record.
QStringList StatedInputs(const QString &record) {
  const bool distance = record.contains(QStringLiteral("计算内容：由无组织排放强度"));
  const bool radiusGiven = record.contains(QStringLiteral("（由 r 求得"));
  const QString classHeading = QStringLiteral("## 二、污染源构成类别\n\n");
  const int classAt = record.indexOf(classHeading) + classHeading.size();
  return {distance ? "distance" : "emission",
          radiusGiven ? "--radius" : "--area",
          Stated(record, radiusGiven ? "r" : "S"),
          "--cm",
          Stated(record, "Cm"),
          "--wind",
          Stated(record, "V"),
          "--class",
          record.mid(classAt, 1),
          distance ? "--qe" : "--distance",
          Stated(record, distance ? "Qe" : "L"),
          "--format",
          "record"};
}

// What a record computed: everything from its coefficients on.
QString Figures(const QString &record) {
  return record.mid(record.indexOf(QStringLiteral("## 三、计算系数")));
}

// kestrin-cli's record for the inputs `record` states.
QString FedBack(const QString &record) {
  QProcess cli;
  cli.start(QString::fromUtf8(KESTRIN_CLI), StatedInputs(record));
  if (!cli.waitForFinished(30000) || cli.exitCode() != 0)
    return QStringLiteral("kestrin-cli failed: ") + StatedInputs(record).join(' ') +
           QString::fromUtf8(cli.readAllStandardError());
  return QString::fromUtf8(cli.readAllStandardOutput());
}

} // namespace

class TRecordCopyTest : public QObject {
  Q_OBJECT

private:
  TfrmDis *FWindow = nullptr;
  TWatchdog FWatchdog;

  QLineEdit *Box(const char *name) const {
    return FWindow->findChild<QLineEdit *>(QString::fromLatin1(name));
  }
  void Click(const char *button) const {
    QTest::mouseClick(FWindow->findChild<QPushButton *>(QString::fromLatin1(button)),
                      Qt::LeftButton);
  }
  static void ClearClipboard() { QGuiApplication::clipboard()->setText(QString()); }
  static QString Html() { return QGuiApplication::clipboard()->mimeData()->html(); }
  static QString Text() { return QGuiApplication::clipboard()->mimeData()->text(); }

  // Ctrl+Shift+C typed into a box.
  void Shortcut(const char *box) const {
    QTest::keyClick(Box(box), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  }

  // Opens the box's context menu and returns it (closed by the caller).
  QMenu *OpenMenu(QLineEdit *box) const {
    const QPoint at(4, box->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, box->mapToGlobal(at));
    QCoreApplication::sendEvent(box, &event);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
  }
  static QAction *FindItem(QMenu *menu, const QString &text) {
    for (QAction *action : menu->actions())
      if (action->text() == text)
        return action;
    return nullptr;
  }

private slots:
  void initTestCase() {
    SetUpApplication();
    Calculator = new TKestrin;
  }
  void cleanupTestCase() {
    delete Calculator;
    Calculator = nullptr;
  }
  void init() {
    InitNumericEnvironment();
    DecimalMark = '.';
    ClearClipboard();
    FWindow = new TfrmDis;
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
  }
  void cleanup() {
    delete FWindow;
    FWindow = nullptr;
    QCOMPARE(FWatchdog.Pending(), 0);
  }

  // Right after start-up: the defaults' record, in both formats, with the
  // numbers the window shows; the shortcut leaves the box as it was.
  void startUpRecord() {
    Shortcut("edQe");
    QCOMPARE(Box("edQe")->text(), QStringLiteral("10"));
    for (const auto &[label, value, unit] :
         {std::tuple{"卫生防护距离(公式计算值) L", "988.084391971187", "m"},
          std::tuple{"卫生防护距离(级差确定值) L", "1000", "m"},
          std::tuple{"迭代次数", "23", ""}}) {
      QVERIFY2(Text().contains(TextRow(label, value, unit)), qPrintable(Text()));
      QVERIFY2(Html().contains(HtmlRow(label, value, unit)), qPrintable(Html()));
    }
    for (const char *row :
         {"| 有害气体无组织排放源所在生产单元占地面积（由 r 求得，S = π·r²） | S | "
          "99.9999999999999 | m² |",
          "| 有害气体无组织排放源所在生产单元等效半径 | r | 5.64189583547756 | m |", "| A | 700 |",
          "| B | 0.021 |", "| C | 1.85 |", "| D | 0.84 |",
          "| 工业企业有害气体无组织排放强度 | Qe | 10 | kg/h |"})
      QVERIFY2(Text().contains(QString::fromUtf8(row)), row);
    QVERIFY(Text().contains(QStringLiteral("Ⅰ类。依据：排放同种有害气体的共存的排气筒：有；"
                                           "排气筒的污染物排放量：大于规定的1/3。")));
  }

  // A new computation replaces the record; a failing one keeps it.
  void failureKeepsPreviousRecord_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("distance") << "BitBtn1";
    QTest::newRow("emission") << "BitBtn2";
  }
  void failureKeepsPreviousRecord() {
    QFETCH(QString, button);
    Box("edQe")->setText(QStringLiteral("40"));
    Click("BitBtn1");
    const QString l = Box("edL")->text();
    QCOMPARE(l, QStringLiteral("2222.92847907906"));
    Box("edCm")->setText(QStringLiteral("abc"));
    FWatchdog.Expect(
        [](QWidget *box) { qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click(); });
    Click(qPrintable(button));
    QCOMPARE(FWatchdog.Pending(), 0);
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
    Shortcut("edL");
    QVERIFY(Text().contains(TextRow(QStringLiteral("卫生防护距离(公式计算值) L"), l, "m")));
    QVERIFY(Html().contains(HtmlRow(QStringLiteral("卫生防护距离(公式计算值) L"), l, "m")));
  }

  // edL and edLReal always offer the item; edQe only after 计算源强, and
  // then it copies the emission record. The box's own items stay.
  void contextMenus() {
    for (const char *name : {"edL", "edLReal", "edQe"}) {
      QMenu *menu = OpenMenu(Box(name));
      QVERIFY2(menu, name);
      QCOMPARE(FindItem(menu, Item) != nullptr, QByteArray(name) != "edQe");
      // The box's own items stay, each of them.
      std::unique_ptr<QMenu> own(Box(name)->createStandardContextMenu());
      for (QAction *action : own->actions())
        QVERIFY2(action->isSeparator() || FindItem(menu, action->text().section(u'\t', 0, 0)) ||
                     FindItem(menu, action->text()),
                 qPrintable(action->text())); // an input box's menu names no swallowed keys
      menu->close();
    }
    Box("edL")->setText(QStringLiteral("1500"));
    Click("BitBtn2");
    QMenu *menu = OpenMenu(Box("edQe"));
    QAction *copy = FindItem(menu, Item);
    QVERIFY(copy);
    ClearClipboard();
    copy->trigger();
    menu->close();
    QVERIFY(Text().contains(TextRow(QStringLiteral("L = 1500 m 处允许的无组织排放强度 Qe"),
                                    QStringLiteral("20.4110482731803"), "kg/h")));
    QVERIFY(Html().contains(HtmlRow(QStringLiteral("L = 1500 m 处允许的无组织排放强度 Qe"),
                                    QStringLiteral("20.4110482731803"), "kg/h")));
    Click("BitBtn1");
    menu = OpenMenu(Box("edQe"));
    QVERIFY(!FindItem(menu, Item));
    menu->close();
  }

  // A class picked in the combo box itself has no choices to explain it.
  void classPickedDirectly() {
    FWindow->findChild<QComboBox *>(QStringLiteral("cbbSourceType"))->setCurrentIndex(2);
    Click("BitBtn1");
    Shortcut("edL");
    QVERIFY2(Text().contains(QStringLiteral("\nⅢ类（直接给定）。\n")), qPrintable(Text()));
  }

  // At a grade step the copied record carries the check and its note.
  void gradeStepNote() {
    Box("edS")->setText(QStringLiteral("5000"));
    Box("edCm")->setText(QStringLiteral("2"));
    Box("edV")->setText(QStringLiteral("1.5"));
    Box("edQe")->setText(QStringLiteral("277.372"));
    Click("BitBtn1");
    QCOMPARE(Box("edLReal")->text(), QStringLiteral("2400"));
    Shortcut("edLReal");
    QVERIFY(Text().contains(TextRow(QStringLiteral("级差确定值 L = 2400 m 处允许的排放强度"),
                                    QStringLiteral("277.371801366629"), "kg/h")));
    QVERIFY(Html().contains(QStringLiteral("可能应取下一级差 2600 m")));
  }

  // Every record states the inputs the computation used: fed back through
  // kestrin-cli they give the record's own figures, and kestrin-cli's record
  // of them does the same. The window derives S from its radius box, so S =
  // 39773 computes with 39773.0000000001 and only r reproduces L = ...679.
  void recordFedBack_data() {
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("radius"); // typed after the area when not empty
    QTest::addColumn<QString>("cm");
    QTest::addColumn<QString>("wind");
    QTest::addColumn<int>("other");     // rgOther's item
    QTest::addColumn<int>("qs");        // rgQS's item
    QTest::addColumn<QString>("combo"); // typed into the class box when not empty
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("input"); // Qe or L
    QTest::addColumn<QString>("shown"); // the window's L or Qe
    QTest::addColumn<QString>("classText");
    QTest::newRow("defaults") << "100"
                              << ""
                              << "0.25"
                              << "3.5" << 0 << 0 << ""
                              << "BitBtn1"
                              << "10"
                              << "988.084391971187"
                              << "Ⅰ类。依据";
    QTest::newRow("area re-derived") << "39773"
                                     << ""
                                     << "10"
                                     << "9.7" << 1 << 0 << ""
                                     << "BitBtn1"
                                     << "24.2544"
                                     << "25.2640506299679"
                                     << "Ⅱ类。依据";
    QTest::newRow("radius typed, 17 digits") << "100"
                                             << "111.12469893271061"
                                             << "0.25"
                                             << "3.5" << 0 << 0 << ""
                                             << "BitBtn1"
                                             << "10"
                                             << "876.390892364712"
                                             << "Ⅰ类。依据";
    QTest::newRow("emission") << "5000"
                              << ""
                              << "2"
                              << "1.5" << 0 << 0 << "Ⅱ"
                              << "BitBtn2"
                              << "1500"
                              << "131.384875166222"
                              << "Ⅱ类（直接给定）";
    QTest::newRow("class typed in another spelling") << "100"
                                                     << ""
                                                     << "0.25"
                                                     << "3.5" << 1 << 1 << "2类"
                                                     << "BitBtn1"
                                                     << "10"
                                                     << "788.329742289615"
                                                     << "Ⅱ类（直接给定）";
  }
  void recordFedBack() {
    QFETCH(QString, area);
    QFETCH(QString, radius);
    QFETCH(QString, cm);
    QFETCH(QString, wind);
    QFETCH(int, other);
    QFETCH(int, qs);
    QFETCH(QString, combo);
    QFETCH(QString, button);
    QFETCH(QString, input);
    QFETCH(QString, shown);
    QFETCH(QString, classText);
    Box("edS")->setText(area);
    if (!radius.isEmpty())
      Box("edR")->setText(radius);
    Box("edCm")->setText(cm);
    Box("edV")->setText(wind);
    auto item = [this](const char *group, int index) {
      QAbstractButton *b = FWindow->findChild<TRadioGroup *>(group)->Buttons()->button(index);
      QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    };
    item("rgQS", qs);
    item("rgOther", other);
    if (!combo.isEmpty())
      FWindow->findChild<QComboBox *>(QStringLiteral("cbbSourceType"))->setCurrentText(combo);
    const bool distance = button == "BitBtn1";
    Box(distance ? "edQe" : "edL")->setText(input);
    Click(qPrintable(button));
    QCOMPARE(Box(distance ? "edL" : "edQe")->text(), shown);
    Shortcut("edLReal");
    const QString record = Text();
    QVERIFY2(record.contains(classText), qPrintable(record));
    const QString cli = FedBack(record);
    QCOMPARE(Figures(cli), Figures(record));
    QCOMPARE(Figures(FedBack(cli)), Figures(cli));
  }
};

QTEST_MAIN(TRecordCopyTest)
#include "URecordCopy_test.moc"
