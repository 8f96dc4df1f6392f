// The plant window's tables, its figure and the computation behind them.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include "UEnvelope.h"
#include "UFigure.h"
#include "UPlant.h"
#include "URows.h"
#include "report.h"

namespace {

// Past this many rows the progress bar and Cancel show while computing.
constexpr std::size_t ProgressRows = 2000;

QString Text(const std::string &text) {
  return QString::fromStdString(text);
}

QTableWidgetItem *ReadOnly(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

template <typename View> View *Table(const QString &name, QWidget *parent) {
  auto *table = new View(parent);
  table->setAccessibleName(name);
  table->setTabKeyNavigation(false); // Tab leaves the table, arrows move within
  return table;
}

QString TabText(const TTableRows &rows) {
  QStringList lines;
  for (const auto &row : rows) {
    QStringList cells;
    for (const std::string &cell : row)
      cells << Text(cell).replace(u'\t', u' ').replace(u'\n', u' ');
    lines << cells.join(u'\t');
  }
  return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

void TfrmPlant::CreateTables() {
  sgRows = Table<QTableView>(QStringLiteral("表 1 各污染物"), this);
  FRowsModel = new TRowsModel(FSheet, FResult, [this] { Guarded([this] { RowsEdited(); }); }, this);
  sgRows->setModel(FRowsModel);
  // Sized to the contents once per sheet, from its first rows: measuring
  // every row of a long sheet at each change would hold the window up.
  sgRows->horizontalHeader()->setResizeContentsPrecision(200);
  sgUnits = Table<QTableWidget>(QStringLiteral("表 2 各生产单元"), this);
  sgUnits->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  sgUnits->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
  pbFigure = new TUnitFigure(this);
  edNotes = new QPlainTextEdit(this);
  edNotes->setReadOnly(true);
  edNotes->setAccessibleName(QStringLiteral("说明"));
  edNotes->hide();
  auto *units = new QSplitter(Qt::Vertical, this);
  units->addWidget(sgUnits);
  units->addWidget(edNotes);
  units->setSizes({300, 80});
  auto *bottom = new QSplitter(Qt::Horizontal, this);
  bottom->addWidget(units);
  pnEnvelope = new TEnvelopePane(this);
  tbFigures = new QTabWidget(this);
  tbFigures->addTab(pbFigure, QStringLiteral("单元图"));
  tbFigures->addTab(pnEnvelope, QStringLiteral("包络线"));
  bottom->addWidget(tbFigures);
  bottom->setSizes({600, 400});
  auto *split = new QSplitter(Qt::Vertical, this);
  split->addWidget(sgRows);
  split->addWidget(bottom);
  setCentralWidget(split);
  lbStatus = new QLabel(this);
  lbStatus->setAccessibleName(QStringLiteral("状态"));
  pbProgress = new QProgressBar(this);
  pbProgress->setAccessibleName(QStringLiteral("计算进度"));
  btCancel = new QPushButton(QStringLiteral("取消"), this);
  statusBar()->addWidget(lbStatus, 1);
  statusBar()->addPermanentWidget(pbProgress);
  statusBar()->addPermanentWidget(btCancel);
  pbProgress->hide();
  btCancel->hide();
  connect(btCancel, &QPushButton::clicked, this, [this] { Guarded([this] { CancelComputation(); }); });
  connect(sgRows->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int column) {
            if (column < int(FSheet.Names.size()))
              acColumns->trigger();
          });
  connect(sgUnits, &QTableWidget::itemSelectionChanged, this, Guard(&TfrmPlant::ShowFigure));
}

// The sheet's cells, editable, and room for each row's result.
void TfrmPlant::ShowSheet() {
  FRowsModel->ShowSheet();
  sgRows->resizeColumnsToContents();
  edNotes->clear();
  edNotes->hide();
}

void TfrmPlant::RowsEdited() {
  FModified = true;
  FRecompute->start();
}

// Computes on a thread of its own: the window answers meanwhile, and a
// newer computation replaces one still running.
void TfrmPlant::Recompute() {
  CancelComputation();
  const int generation = ++FGeneration;
  FCancel = std::make_shared<std::atomic<bool>>(false);
  const bool showProgress = FSheet.Cells.size() > ProgressRows;
  pbProgress->setRange(0, int(FSheet.Cells.size()));
  pbProgress->setValue(0);
  pbProgress->setVisible(showProgress);
  btCancel->setVisible(showProgress);
  lbStatus->setText(QStringLiteral("正在计算…"));
  FWorker = QThread::create([this, sheet = FSheet, cancel = FCancel, generation, showProgress] {
    InitNumericEnvironment(); // the thread's own floating-point unit
    TPlantResult result = ComputePlant(sheet, *cancel, [&](std::size_t done) {
      if (showProgress && done % 256 == 0)
        QMetaObject::invokeMethod(this, [this, done] { Progress(done); }, Qt::QueuedConnection);
    });
    QMetaObject::invokeMethod(
        this,
        [this, generation, result = std::move(result)]() mutable {
          if (generation == FGeneration)
            Guarded([&] { ShowResult(std::move(result)); });
        },
        Qt::QueuedConnection);
  });
  FWorker->start();
}

bool TfrmPlant::Computing() const {
  return FWorker != nullptr || FRecompute->isActive();
}

void TfrmPlant::Progress(std::size_t done) {
  pbProgress->setValue(int(done));
}

void TfrmPlant::CancelComputation() {
  if (!FWorker)
    return;
  *FCancel = true;
  FWorker->wait();
  delete FWorker;
  FWorker = nullptr;
  ++FGeneration; // its result, if already on its way, is not shown
  pbProgress->hide();
  btCancel->hide();
  // What is shown is no longer the sheet's answer: nothing to export or copy.
  FResult = TPlantResult();
  FResult.Problem = "计算已取消；修改任一单元格即重新计算。";
  lbStatus->setText(Text(FResult.Problem));
}

void TfrmPlant::ShowResult(TPlantResult result) {
  FWorker->wait();
  delete FWorker;
  FWorker = nullptr;
  pbProgress->hide();
  btCancel->hide();
  FResult = std::move(result);
  FRowsModel->ShowResult();
  sgRows->resizeColumnsToContents();
  ShowUnits();
  ShowNotes();
  ShowPlan();
  std::size_t failed = 0;
  for (const TReportRow &row : FResult.Rows)
    failed += !row.Error.empty();
  lbStatus->setText(!FResult.Problem.empty()
                        ? Text(FResult.Problem)
                        : QStringLiteral("%1 行，%2 个生产单元，%3 行计算失败")
                              .arg(FResult.Rows.size())
                              .arg(FResult.Units.size())
                              .arg(failed));
}

// The notes on rows whose unit cell took the unit above, as the report writes them.
void TfrmPlant::ShowNotes() {
  QStringList notes;
  ForEachFilledUnitNote(
      FResult.Rows.size(), [this](std::size_t i) { return FResult.Rows[i]; },
      [&notes](const std::string &note) { notes << Text(note); });
  edNotes->setPlainText(notes.join(u'\n'));
  edNotes->setVisible(!notes.isEmpty());
}

// Table 2 of the report, as the report writes it.
void TfrmPlant::ShowUnits() {
  const TTableRows table = UnitTable(FResult.Units, FResult.Rows);
  sgUnits->clear();
  sgUnits->setColumnCount(int(table.front().size()));
  sgUnits->setRowCount(int(table.size()) - 1);
  for (int c = 0; c < int(table.front().size()); ++c)
    sgUnits->setHorizontalHeaderItem(c, new QTableWidgetItem(Text(table.front()[std::size_t(c)])));
  for (int r = 1; r < int(table.size()); ++r)
    for (int c = 0; c < int(table[std::size_t(r)].size()); ++c)
      sgUnits->setItem(r - 1, c, ReadOnly(Text(table[std::size_t(r)][std::size_t(c)])));
  if (!FResult.Units.empty())
    sgUnits->selectRow(0);
  ShowFigure();
}

void TfrmPlant::ShowFigure() {
  const int row = sgUnits->currentRow();
  const bool shown = row >= 0 && row < int(FResult.Units.size());
  pbFigure->Show(shown ? &FResult.Units[std::size_t(row)] : nullptr, &FResult.Rows);
}

// The envelope of the units as computed on the plan opened, if any; why
// not, when it cannot be drawn.
void TfrmPlant::ShowPlan() {
  FPlan = TPlanSection();
  FPlanProblem.clear();
  if (FPlanPath.isEmpty())
    return;
  if (Computing() || !FResult.Problem.empty()) {
    pnEnvelope->Show(nullptr, QStringLiteral("尚无计算结果。"));
    return;
  }
  const std::vector<TUnitDistance> distances = DistancesOf(FResult.Units);
  std::vector<std::string> units;
  for (const TUnitDistance &d : distances)
    units.push_back(d.Unit);
  const std::string path = FPlanPath.toStdString();
  TPlan plan;
  std::string problem;
  if (!ReadPlanFile(path, units, FReceptorLayer.toStdString(), plan, problem) ||
      !MakePlanSection(plan, distances, 0, FPlan, problem)) {
    if (problem.rfind(path, 0) != 0)
      problem = path + ": " + problem;
    FPlanProblem = QStringLiteral("平面图无法使用：") + Text(problem);
    FPlan = TPlanSection();
  }
  pnEnvelope->Show(FPlanProblem.isEmpty() ? &FPlan : nullptr, FPlanProblem);
}

void TfrmPlant::CopyTable(int table) {
  if (Computing() || !FResult.Problem.empty())
    throw Exception("尚无可复制的计算结果");
  const TTableRows rows = table == 1 ? RowTable(FResult.Rows, FResult.Options.Digits)
                                     : UnitTable(FResult.Units, FResult.Rows);
  std::string html;
  HtmlTable(html, rows);
  auto *data = new QMimeData;
  data->setHtml(QStringLiteral("<html><body>") + Text(html) + QStringLiteral("</body></html>"));
  data->setText(TabText(rows));
  QApplication::clipboard()->setMimeData(data);
}
