// The plant window's tables, its figure and the computation behind them.
#include <unordered_map>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include "UFigure.h"
#include "UPlant.h"
#include "report.h"

namespace {

// The result columns after the sheet's own.
const char *const ResultHeaders[] = {"L (m)", "级差值 (m)", "A", "B", "C", "D", "迭代次数", "说明"};
constexpr int ResultCount = int(std::size(ResultHeaders));
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

QTableWidget *Table(const QString &name, QWidget *parent) {
  auto *table = new QTableWidget(parent);
  table->setAccessibleName(name);
  table->setTabKeyNavigation(false); // Tab leaves the table, arrows move within
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
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
  sgRows = Table(QStringLiteral("表 1 各污染物"), this);
  sgUnits = Table(QStringLiteral("表 2 各生产单元"), this);
  sgUnits->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
  pbFigure = new TUnitFigure(this);
  auto *bottom = new QSplitter(Qt::Horizontal, this);
  bottom->addWidget(sgUnits);
  bottom->addWidget(pbFigure);
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
  connect(sgRows, &QTableWidget::cellChanged, this,
          [this](int row, int column) { Guarded([&] { CellChanged(row, column); }); });
  connect(sgRows->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int column) {
            if (column < int(FSheet.Names.size()))
              acColumns->trigger();
          });
  connect(sgUnits, &QTableWidget::itemSelectionChanged, this, Guard(&TfrmPlant::ShowFigure));
}

// The sheet's cells, editable, and room for each row's result.
void TfrmPlant::ShowSheet() {
  FFilling = true;
  const int width = int(FSheet.Names.size());
  sgRows->setColumnCount(width + ResultCount);
  sgRows->setRowCount(int(FSheet.Cells.size()));
  for (int c = 0; c < width; ++c) {
    QString name = Text(FSheet.Names[std::size_t(c)]);
    auto *header = new QTableWidgetItem(name);
    if (FSheet.Role(std::size_t(c)) == TColumnRole::Other) {
      header->setText(name + QStringLiteral("（不计入）"));
      header->setToolTip(QStringLiteral("此列不参与计算；双击表头可指定它是哪一列"));
    }
    sgRows->setHorizontalHeaderItem(c, header);
  }
  for (int c = 0; c < ResultCount; ++c)
    sgRows->setHorizontalHeaderItem(width + c, new QTableWidgetItem(QString::fromUtf8(ResultHeaders[c])));
  for (int r = 0; r < int(FSheet.Cells.size()); ++r) {
    sgRows->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(FSheet.Lines[std::size_t(r)])));
    for (int c = 0; c < width; ++c)
      sgRows->setItem(r, c, new QTableWidgetItem(Text(FSheet.Cells[std::size_t(r)][std::size_t(c)])));
    ShowRowResult(r, nullptr);
  }
  FFilling = false;
}

void TfrmPlant::ShowRowResult(int row, const TReportRow *result) {
  const int first = int(FSheet.Names.size());
  QStringList cells;
  QString tip;
  if (result && result->Error.empty()) {
    const TKestrin &k = result->Calc;
    cells = {Text(FixedText(k.Distance(), 2)), Text(ValueToText(k.GradedDistance())),
             Text(ValueToText(k.A())),         Text(ValueToText(k.B())),
             Text(ValueToText(k.C())),         Text(ValueToText(k.D())),
             QString::number(k.Iterations()),  Text(GradeCheckNote(k, result->Check))};
    tip = Text(ValueToText(k.Distance()));
  } else if (result) {
    cells = {{}, {}, {}, {}, {}, {}, {}, Text(result->Error)};
  }
  cells.resize(ResultCount);
  const QColor failed(255, 200, 200);
  for (int c = 0; c < ResultCount; ++c) {
    QTableWidgetItem *item = ReadOnly(cells[c]);
    if (c == 0 && !tip.isEmpty())
      item->setToolTip(tip);
    sgRows->setItem(row, first + c, item);
  }
  for (int c = 0; c < first + ResultCount; ++c)
    if (QTableWidgetItem *item = sgRows->item(row, c))
      item->setBackground(result && !result->Error.empty() ? QBrush(failed) : QBrush());
}

void TfrmPlant::CellChanged(int row, int column) {
  if (FFilling || column >= int(FSheet.Names.size()) || row >= int(FSheet.Cells.size()))
    return;
  FSheet.Cells[std::size_t(row)][std::size_t(column)] = sgRows->item(row, column)->text().toStdString();
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
  std::unordered_map<std::size_t, const TReportRow *> byLine;
  for (const TReportRow &row : FResult.Rows)
    byLine[row.Line] = &row;
  FFilling = true;
  for (int r = 0; r < int(FSheet.Cells.size()); ++r) {
    const auto found = byLine.find(FSheet.Lines[std::size_t(r)]);
    ShowRowResult(r, found == byLine.end() ? nullptr : found->second);
  }
  FFilling = false;
  ShowUnits();
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
