// The plant window: a range pasted with and without its header, the plant
// opened as GBK CSV, "Unicode text" and .xlsx, the units beside
// kestrin-cli report's JSON, the report exported byte for byte as
// kestrin-cli report writes it, the tables copied, the sheet saved and
// opened again.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "UColumns.h"
#include "UEnvelope.h"
#include "UPlant.h"
#include "startup.h"
#include "watchdog.h"

namespace {

const QString Csv = QString::fromUtf8(PLANT_CSV);
const QString Sheets = QString::fromUtf8(PLANT_SHEETS);
const QString Plan = QString::fromUtf8(PLANT_PLAN);

// The plant's rows as a spreadsheet copies them (its blank last row left out).
const QString Header = QStringLiteral("单元\t污染物\t面积\t浓度限值\t风速\t类别\t源强\r\n");
const QString Rows = QStringLiteral("一车间\t甲苯\t1200\t0.2\t2.3\tⅡ类\t0.0766\r\n"
                                    "一车间\t二甲苯\t1200\t0.6\t2.3\t2\t0.303\r\n"
                                    "一车间\t苯\t1200\t1\t2.3\tII\t0.265\r\n"
                                    "二车间\t硫化氢\t3000\t0.2\t2.3\tⅢ类\t0.974\r\n"
                                    "二车间\t氨\t3000\t3\t2.3\t3\t5.97\r\n"
                                    "二车间\t甲醇\t3000\t1\t2.3\tIII类\t0.787\r\n"
                                    "三车间\t非甲烷总烃\t800\t0.3\t2.3\tⅠ类\t1.19\r\n"
                                    "三车间\t氯化氢\t800\t0.5\t2.3\t1\t2.25\r\n"
                                    "三车间\t硫酸雾\t800\t0.1\t2.3\tI\t0.163\r\n");

// Table 2 as the window shows it, a line per unit, cells joined by "|".
QStringList UnitLines(const TfrmPlant &window) {
  QStringList lines;
  for (int r = 0; r < window.sgUnits->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < window.sgUnits->columnCount(); ++c)
      cells << window.sgUnits->item(r, c)->text();
    lines << cells.join(u'|');
  }
  return lines;
}

const QStringList PlantUnits = {
    QStringLiteral("一车间|50|甲苯、二甲苯、苯|3|100（提高一级）"),
    QStringLiteral("二车间|200|硫化氢|1|200"),
    QStringLiteral("三车间|300|非甲烷总烃、氯化氢|2|400（提高一级）"),
};

// Table 1's cell, as the view shows it.
QVariant RowCell(const TfrmPlant &window, int row, int column, int role = Qt::DisplayRole) {
  return window.sgRows->model()->index(row, column).data(role);
}

// Types into table 1's cell, as its editor does.
void EditRow(TfrmPlant &window, int row, int column, const QString &text) {
  QAbstractItemModel *model = window.sgRows->model();
  QVERIFY(model->setData(model->index(row, column), text));
}

QByteArray Cli(const QStringList &args) {
  QProcess cli;
  cli.start(QString::fromUtf8(KESTRIN_CLI), args);
  if (!cli.waitForFinished(60000))
    return "kestrin-cli did not finish";
  return cli.readAllStandardOutput();
}

QByteArray Read(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("cannot read " + path.toUtf8());
}

} // namespace

class TPlantTest : public QObject {
  Q_OBJECT

private:
  TWatchdog FWatchdog;
  QTemporaryDir FDir;

  // A fresh window, its computation awaited.
  static void Await(TfrmPlant &window) {
    QTRY_VERIFY_WITH_TIMEOUT(!window.Computing(), 30000);
  }
  static void Paste(TfrmPlant &window, const QString &text) {
    QApplication::clipboard()->setText(text);
    window.acPaste->trigger();
    Await(window);
  }

private slots:
  void initTestCase() {
    qputenv("SOURCE_DATE_EPOCH", "1765238400"); // one date for the window and the tool
    InitNumericEnvironment();
    DecimalMark = '.';
    SetUpApplication();
    QVERIFY(FDir.isValid());
  }

  void cleanup() { QCOMPARE(FWatchdog.Pending(), 0); }

  void PasteWithHeader() {
    TfrmPlant headerOnly;
    Paste(headerOnly, Header); // nothing to report
    QVERIFY(!headerOnly.Result().Problem.empty());
    TfrmPlant window;
    Paste(window, Header + Rows);
    QCOMPARE(UnitLines(window), PlantUnits);
    QCOMPARE(window.sgRows->model()->rowCount(), 9);
    // L to 2 decimals, its full value in the tooltip.
    QCOMPARE(RowCell(window, 0, 7).toString(), QStringLiteral("30.01"));
    QCOMPARE(RowCell(window, 0, 7, Qt::ToolTipRole).toString(), QStringLiteral("30.0108812584522"));
    QVERIFY(window.Modified());
  }

  // Without its header the columns are asked for, in the dialog's lists.
  void PasteWithoutHeaderAsksForTheColumns() {
    TfrmPlant window;
    FWatchdog.Expect([](QWidget *box) {
      auto *dialog = dynamic_cast<TfrmColumns *>(box);
      QVERIFY(dialog);
      const char *names[] = {"生产单元", "污染物", "面积", "标准浓度限值", "平均风速", "类别", "源强"};
      QCOMPARE(dialog->cbColumns.size(), std::size(names));
      for (std::size_t i = 0; i < std::size(names); ++i)
        dialog->cbColumns[i]->setCurrentText(QString::fromUtf8(names[i]));
      dialog->accept();
    });
    Paste(window, Rows);
    QCOMPARE(UnitLines(window), PlantUnits);
    // More rows without a header join the sheet.
    Paste(window, QStringLiteral("四车间\t甲苯\t500\t0.2\t2.3\tII\t0.5\r\n"));
    QCOMPARE(window.sgUnits->rowCount(), 4);
  }

  // A workbook of two sheets asks which to read. The unit cells a merge
  // left empty show the unit they took, marked, with the report's note.
  void OpensEverySheetKind_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sheet"); // the workbook's sheet picked
    QTest::addColumn<QString>("notes");
    const QString merged = QStringLiteral("第 3–4 行的生产单元沿用上一行：一车间\n"
                                          "第 6–7 行的生产单元沿用上一行：二车间\n"
                                          "第 9–10 行的生产单元沿用上一行：三车间");
    QTest::newRow("GBK CSV") << Csv << QString() << QString();
    QTest::newRow("Unicode text") << Sheets + QStringLiteral(".txt") << QString() << QString();
    QTest::newRow("xlsx") << Sheets + QStringLiteral(".xlsx") << QStringLiteral("全厂") << QString();
    QTest::newRow("xlsx, merged unit cells")
        << Sheets + QStringLiteral(".xlsx") << QStringLiteral("合并") << merged;
  }
  void OpensEverySheetKind() {
    QFETCH(QString, path);
    QFETCH(QString, sheet);
    QFETCH(QString, notes);
    if (!sheet.isEmpty())
      FWatchdog.Expect([sheet](QWidget *box) {
        auto *dialog = qobject_cast<QInputDialog *>(box);
        QVERIFY(dialog);
        QCOMPARE(dialog->comboBoxItems(), QStringList({QStringLiteral("全厂"), QStringLiteral("合并")}));
        dialog->setTextValue(sheet);
        dialog->accept();
      });
    TfrmPlant window;
    window.OpenFile(path);
    Await(window);
    QCOMPARE(UnitLines(window), PlantUnits);
    QCOMPARE(window.Result().Rows.size(), std::size_t(9));
    QVERIFY(!window.Modified());
    QCOMPARE(window.edNotes->toPlainText(), notes);
    QCOMPARE(window.edNotes->isHidden(), notes.isEmpty());
    // Each unit's first row names it; the rest show it as taken when merged.
    for (int r = 0; r < 9; ++r) {
      const bool filled = !notes.isEmpty() && r % 3 != 0;
      QCOMPARE(RowCell(window, r, 0).toString(), window.Result().Rows[std::size_t(r)].Unit.c_str());
      QCOMPARE(RowCell(window, r, 0, Qt::EditRole).toString().isEmpty(), filled);
      QCOMPARE(RowCell(window, r, 0, Qt::ToolTipRole).toString(),
               filled ? QStringLiteral("沿用上一行") : QString());
      QCOMPARE(RowCell(window, r, 0, Qt::FontRole).value<QFont>().italic(), filled);
    }
  }

  void UnitsAreTheReportsRollUp() {
    TfrmPlant window;
    window.OpenFile(Csv);
    Await(window);
    const QJsonArray units =
        QJsonDocument::fromJson(Cli({QStringLiteral("report"), QStringLiteral("--unit"),
                                     QStringLiteral("单元"), QStringLiteral("--pollutant"),
                                     QStringLiteral("污染物"), QStringLiteral("--format"),
                                     QStringLiteral("json"), Csv}))
            .object()[QStringLiteral("units")]
            .toArray();
    QCOMPARE(units.size(), window.sgUnits->rowCount());
    for (int r = 0; r < units.size(); ++r) {
      const QJsonObject unit = units[r].toObject();
      QCOMPARE(window.sgUnits->item(r, 0)->text(), unit[QStringLiteral("unit")].toString());
      QVERIFY(window.sgUnits->item(r, 4)->text().startsWith(
          QString::number(unit[QStringLiteral("distance")].toDouble())));
      QCOMPARE(window.sgUnits->item(r, 3)->text().toInt(), unit[QStringLiteral("at_largest")].toInt());
    }
  }

  // With a site plan opened, the report is report --plan's.
  void ExportIsTheToolsReport_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plan");
    QTest::newRow("html") << int(TReportFormat::Html) << QStringLiteral("html") << false;
    QTest::newRow("md") << int(TReportFormat::Markdown) << QStringLiteral("md") << false;
    QTest::newRow("json") << int(TReportFormat::Json) << QStringLiteral("json") << false;
    QTest::newRow("html, plan") << int(TReportFormat::Html) << QStringLiteral("html") << true;
    QTest::newRow("json, plan") << int(TReportFormat::Json) << QStringLiteral("json") << true;
  }
  void ExportIsTheToolsReport() {
    QFETCH(int, format);
    QFETCH(QString, name);
    QFETCH(bool, plan);
    TfrmPlant window;
    window.OpenFile(Csv);
    Await(window);
    QStringList args = {QStringLiteral("report"), QStringLiteral("--unit"), QStringLiteral("单元"),
                        QStringLiteral("--pollutant"), QStringLiteral("污染物"),
                        QStringLiteral("--format"), name, Csv};
    if (plan) {
      window.OpenPlan(Plan, QStringLiteral("敏感目标"));
      args << QStringLiteral("--plan") << Plan;
    }
    const QString path = FDir.filePath(QStringLiteral("report.") + name);
    QVERIFY(window.ExportTo(path, TReportFormat(format)));
    const QByteArray expected = Cli(args);
    QVERIFY(expected.size() > 1000);
    QCOMPARE(expected.contains("李家村"), plan);
    QCOMPARE(Read(path), expected);
  }

  // The envelope pane: the receptor table and the sentence the report
  // writes; an undetermined unit leaves the envelope undrawn, said so; a
  // unit the plan lacks is an error.
  void PlanShowsTheEnvelope_data() {
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("receptors");
    QTest::addColumn<QString>("conclusion");
    QTest::newRow("drawn") << Rows << 3
                           << QStringLiteral("敏感目标王庄小学、张家位于卫生防护距离包络线以内，不满足卫生防护距离的要求。");
    QTest::newRow("undetermined unit")
        << QString(Rows).replace(QStringLiteral("1200\t0.2"), QStringLiteral("abc\t0.2")) << 0
        << QStringLiteral("生产单元“一车间”的卫生防护距离未确定，包络线未绘出。");
    QTest::newRow("unit without outline")
        << Rows + QStringLiteral("四车间\t甲苯\t500\t0.2\t2.3\tII\t0.5\r\n") << 0
        << QStringLiteral("平面图无法使用：");
  }
  void PlanShowsTheEnvelope() {
    QFETCH(QString, rows);
    QFETCH(int, receptors);
    QFETCH(QString, conclusion);
    TfrmPlant window;
    Paste(window, Header + rows);
    const bool fails = conclusion.endsWith(u'：');
    if (fails)
      FWatchdog.Expect([](QWidget *box) { QTest::keyClick(box, Qt::Key_Escape); });
    window.OpenPlan(Plan, QStringLiteral("敏感目标"));
    QVERIFY(window.pnEnvelope->lbConclusion->text().startsWith(conclusion));
    QCOMPARE(window.pnEnvelope->sgReceptors->rowCount(), receptors);
    QCOMPARE(window.pnEnvelope->pbMap->isHidden(), receptors == 0);
    if (fails) {
      QVERIFY(window.pnEnvelope->lbConclusion->text().contains(QStringLiteral("四车间")));
      FWatchdog.Expect([](QWidget *box) { QTest::keyClick(box, Qt::Key_Escape); });
      QVERIFY(!window.ExportTo(FDir.filePath(QStringLiteral("plan.html")), TReportFormat::Html));
    }
  }

  void CopyPutsHtmlAndText() {
    TfrmPlant window;
    window.OpenFile(Csv);
    Await(window);
    window.acCopyUnits->trigger();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    QVERIFY(data->html().contains(QStringLiteral("<td>二车间</td>")));
    QVERIFY(data->text().contains(QStringLiteral("二车间\t200\t硫化氢\t1\t200\r\n")));
    window.acCopyRows->trigger();
    QVERIFY(QApplication::clipboard()->mimeData()->text().startsWith(QStringLiteral("生产单元\t污染物\t")));
  }

  // An edit recomputes; a row that fails shows its message, in red.
  void EditedRowFailsInRed() {
    TfrmPlant window;
    window.OpenFile(Csv);
    Await(window);
    EditRow(window, 1, 2, QStringLiteral("abc"));
    Await(window);
    QTRY_VERIFY(window.sgUnits->item(0, 4)->text().startsWith(QStringLiteral("未确定")));
    QVERIFY(!RowCell(window, 1, 14).toString().isEmpty());
    QCOMPARE(RowCell(window, 1, 0, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 200, 200));
    QVERIFY(!RowCell(window, 0, 0, Qt::BackgroundRole).isValid());
    QVERIFY(window.Modified());
  }

  void SavedSheetOpensTheSame() {
    TfrmPlant window;
    Paste(window, Header + Rows);
    EditRow(window, 0, 6, QStringLiteral("0.5"));
    Await(window);
    const QString path = FDir.filePath(QStringLiteral("plant.csv"));
    QVERIFY(window.SaveTo(path));
    QVERIFY(!window.Modified());
    QVERIFY(Read(path).startsWith("\xEF\xBB\xBF"));
    TfrmPlant again;
    again.OpenFile(path);
    Await(again);
    QCOMPARE(again.Sheet().Names, window.Sheet().Names);
    QCOMPARE(again.Sheet().Cells, window.Sheet().Cells);
    QCOMPARE(UnitLines(again), UnitLines(window));
  }

  // A long sheet computes behind a progress bar whose Cancel stops it; what
  // was shown is then no answer to export.
  void LongSheetCancels() {
    TfrmPlant window;
    QString text = Header;
    for (int i = 0; i < 500; ++i)
      text += Rows;
    QApplication::clipboard()->setText(text);
    window.acPaste->trigger();
    QVERIFY(window.Computing());
    QVERIFY(!window.pbProgress->isHidden());
    QTest::mouseClick(window.btCancel, Qt::LeftButton);
    QVERIFY(!window.Computing());
    QVERIFY(window.pbProgress->isHidden());
    FWatchdog.Expect([](QWidget *box) { QTest::keyClick(box, Qt::Key_Escape); });
    QVERIFY(!window.ExportTo(FDir.filePath(QStringLiteral("cancelled.html")), TReportFormat::Html));
    QVERIFY(!QFile::exists(FDir.filePath(QStringLiteral("cancelled.html"))));
    // The next edit computes again, to the end.
    EditRow(window, 0, 6, QStringLiteral("0.5"));
    Await(window);
    QCOMPARE(window.Result().Rows.size(), std::size_t(4500));
  }

  // What screen readers are given (on Linux through AT-SPI, which serves
  // this tree): each table by its name, and its cells' texts.
  void TablesAreAccessible_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("rows, a sheet cell") << 1 << QStringLiteral("表 1 各污染物") << 3 << 1 << QStringLiteral("硫化氢");
    QTest::newRow("rows, a result") << 1 << QStringLiteral("表 1 各污染物") << 0 << 7 << QStringLiteral("30.01");
    QTest::newRow("units") << 2 << QStringLiteral("表 2 各生产单元") << 2 << 4 << QStringLiteral("400（提高一级）");
  }
  void TablesAreAccessible() {
    QFETCH(int, table);
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    TfrmPlant window;
    window.OpenFile(Csv);
    Await(window);
    window.show();
    QWidget *view = table == 1 ? static_cast<QWidget *>(window.sgRows) : window.sgUnits;
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(view);
    QVERIFY(face && face->tableInterface());
    QCOMPARE(face->role(), QAccessible::Table);
    QCOMPARE(face->text(QAccessible::Name), name);
    QAccessibleInterface *cell = face->tableInterface()->cellAt(row, column);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), text);
  }

  // Closing with unsaved edits asks; 取消 keeps the window open.
  void CloseAsksToSave() {
    TfrmPlant window;
    Paste(window, Header + Rows);
    window.show();
    FWatchdog.Expect([](QWidget *box) {
      auto *message = qobject_cast<QMessageBox *>(box);
      QVERIFY(message);
      QStringList buttons;
      for (QAbstractButton *b : message->buttons())
        buttons << b->text();
      buttons.sort();
      QCOMPARE(buttons, QStringList({QStringLiteral("不保存"), QStringLiteral("保存"),
                                     QStringLiteral("取消")}));
      for (QAbstractButton *b : message->buttons())
        if (b->text() == QStringLiteral("取消"))
          b->click();
    });
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
  }
};

QTEST_MAIN(TPlantTest)
#include "plant_test.moc"
