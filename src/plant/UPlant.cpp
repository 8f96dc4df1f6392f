#include "UPlant.h"

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "UColumns.h"
#include "UEnvelope.h"
#include "UFigure.h"
#include "URows.h"
#include "formats.h"
#include "platform.h"
#include "report.h"
#include "xlsx.h"

namespace {

// A failure the error box shows.
[[noreturn]] void Fail(const QString &message) {
  throw Exception(message.toStdString());
}

} // namespace

TfrmPlant::TfrmPlant(QWidget *parent) : QMainWindow(parent) {
  setWindowTitle(PlantTitle);
  setAcceptDrops(true);
  FRecompute = new QTimer(this);
  FRecompute->setSingleShot(true);
  FRecompute->setInterval(0); // once the edit's other events are done
  connect(FRecompute, &QTimer::timeout, this, Guard(&TfrmPlant::Recompute));
  CreateTables();
  CreateMenus();
  resize(1000, 700);
  restoreGeometry(QSettings().value(QStringLiteral("plant/geometry")).toByteArray());
  ShowSheet();
}

TfrmPlant::~TfrmPlant() {
  CancelComputation();
  // The child widgets go after the sheet and the result they show: they
  // must not reach them meanwhile (a view hidden asks its model for headers).
  delete FRowsModel;
  pbFigure->Show(nullptr, nullptr);
}

std::function<void()> TfrmPlant::Guard(void (TfrmPlant::*handler)()) {
  return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
}

void TfrmPlant::CreateMenus() {
  const auto action = [this](QMenu *menu, const QString &text, QKeySequence key,
                             void (TfrmPlant::*handler)()) {
    QAction *a = menu->addAction(text);
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, Guard(handler));
    return a;
  };
  QMenu *file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  acOpen = action(file, QStringLiteral("打开(&O)…"), QKeySequence::Open, &TfrmPlant::acOpenClick);
  acSave = action(file, QStringLiteral("保存(&S)"), QKeySequence::Save, &TfrmPlant::acSaveClick);
  acSaveAs = action(file, QStringLiteral("另存为(&A)…"), QKeySequence::SaveAs,
                    &TfrmPlant::acSaveAsClick);
  acExport = action(file, QStringLiteral("导出报告(&E)…"), QKeySequence(Qt::CTRL | Qt::Key_E),
                    &TfrmPlant::acExportClick);
  acOpenPlan = action(file, QStringLiteral("打开平面图(&P)…"), QKeySequence(),
                      &TfrmPlant::acOpenPlanClick);
  file->addSeparator();
  QAction *quit = file->addAction(QStringLiteral("退出(&X)"));
  quit->setShortcut(QKeySequence::Quit);
  connect(quit, &QAction::triggered, this, &QWidget::close);
  QMenu *edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
  acPaste = action(edit, QStringLiteral("粘贴(&P)"), QKeySequence::Paste, &TfrmPlant::acPasteClick);
  acAddRow = action(edit, QStringLiteral("添加行(&A)"), QKeySequence(Qt::CTRL | Qt::Key_Insert),
                    &TfrmPlant::acAddRowClick);
  acDeleteRow = action(edit, QStringLiteral("删除行(&D)"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
                       &TfrmPlant::acDeleteRowClick);
  acColumns = action(edit, QStringLiteral("指定各列(&L)…"), QKeySequence(Qt::CTRL | Qt::Key_L),
                     &TfrmPlant::acColumnsClick);
  edit->addSeparator();
  acCopyRows = edit->addAction(QStringLiteral("复制表 1（各污染物）(&1)"));
  acCopyRows->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
  connect(acCopyRows, &QAction::triggered, this, [this] { Guarded([this] { CopyTable(1); }); });
  acCopyUnits = edit->addAction(QStringLiteral("复制表 2（各生产单元）(&2)"));
  acCopyUnits->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
  connect(acCopyUnits, &QAction::triggered, this, [this] { Guarded([this] { CopyTable(2); }); });
  // The window's actions work wherever the focus is, the tables included.
  for (QAction *a : {acPaste, acAddRow, acDeleteRow, acColumns, acCopyRows, acCopyUnits})
    a->setShortcutContext(Qt::WindowShortcut);
}

void TfrmPlant::OpenFile(const QString &path) {
  Guarded([&] { ReadFile(path); });
}

namespace {

// The sheet of a workbook to read: the only one, or the one the user picks.
// False when the user cancels.
bool ChooseSheet(const QString &path, QWidget *parent, std::string &sheet) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.peek(4) != QByteArray(ZipSignature.data(), 4))
    return true;
  const QByteArray bytes = file.read(qint64(TBatchInput::MaxWholeBytes));
  std::vector<std::string> names;
  std::string problem;
  if (!XlsxSheetNames(std::string_view(bytes.data(), std::size_t(bytes.size())), names, problem) ||
      names.size() < 2)
    return true; // reading the sheet says what is wrong
  QStringList items;
  for (const std::string &name : names)
    items << QString::fromStdString(name);
  bool chosen = false;
  const QString item = QInputDialog::getItem(parent, QStringLiteral("选择工作表"),
                                             QStringLiteral("工作簿中有多个工作表，请选择一个："),
                                             items, 0, false, &chosen);
  sheet = item.toStdString();
  return chosen;
}

} // namespace

void TfrmPlant::ReadFile(const QString &path) {
  TSheetOptions options;
  if (!ChooseSheet(path, this, options.Sheet))
    return;
  std::FILE *in = OpenForReading(path.toStdString());
  if (!in)
    Fail(QStringLiteral("无法打开文件 %1").arg(QDir::toNativeSeparators(path)));
  TBatchInput input(in, options, {});
  TSheetRecords records;
  const bool read = input.ReadAll(records);
  std::fclose(in);
  if (!read)
    Fail(QStringLiteral("无法读取 %1：%2")
             .arg(QDir::toNativeSeparators(path), QString::fromStdString(input.Problem())));
  UseSheet(TPlantSheet::FromRecords(std::move(records)), false);
  // A sheet saved here opens again with Save; any other is saved as CSV elsewhere.
  FPath = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? path : QString();
}

void TfrmPlant::UseSheet(TPlantSheet sheet, bool modified) {
  FSheet = std::move(sheet);
  FModified = modified;
  ShowSheet();
  Recompute();
}

void TfrmPlant::acOpenClick() {
  if (!AskToSave())
    return;
  const QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("打开"), QString(),
      QStringLiteral("表格 (*.csv *.txt *.xlsx);;所有文件 (*)"));
  if (!path.isEmpty())
    ReadFile(path);
}

void TfrmPlant::WriteFile(const QString &path, const std::string &bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
    Fail(QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

bool TfrmPlant::ExportTo(const QString &path, TReportFormat format) {
  bool written = false;
  Guarded([&] {
    if (Computing() || !FResult.Problem.empty())
      Fail(QStringLiteral("尚无可导出的计算结果"));
    if (!FPlanProblem.isEmpty())
      Fail(FPlanProblem);
    TReportOptions options = FResult.Options;
    options.Format = format;
    if (!FPlanPath.isEmpty()) {
      options.PlanSection = FPlan.Section;
      options.PlanJson = FPlan.PlanJson;
    }
    options.Date = RecordDateNow();
    WriteFile(path, ReportDocument(FResult.Rows, options));
    written = true;
  });
  return written;
}

bool TfrmPlant::SaveTo(const QString &path) {
  bool written = false;
  Guarded([&] {
    WriteFile(path, FSheet.CsvText());
    FPath = path;
    FModified = false;
    written = true;
  });
  return written;
}

void TfrmPlant::acSaveClick() {
  if (FPath.isEmpty())
    acSaveAsClick();
  else
    SaveTo(FPath);
}

void TfrmPlant::acSaveAsClick() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("另存为"), FPath,
                                                    QStringLiteral("CSV 文件 (*.csv)"));
  if (!path.isEmpty())
    SaveTo(path);
}

void TfrmPlant::acExportClick() {
  const QString html = QStringLiteral("HTML 文件 (*.html)"), md = QStringLiteral("Markdown 文件 (*.md)"),
                json = QStringLiteral("JSON 文件 (*.json)");
  QString filter = html;
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出报告"), QString(),
                                                    html + ";;" + md + ";;" + json, &filter);
  if (path.isEmpty())
    return;
  const QString suffix = QFileInfo(path).suffix().toLower();
  const TReportFormat format = suffix == u"md" || (suffix != u"html" && filter == md)
                                   ? TReportFormat::Markdown
                               : suffix == u"json" || (suffix != u"html" && filter == json)
                                   ? TReportFormat::Json
                                   : TReportFormat::Html;
  ExportTo(path, format);
}

void TfrmPlant::OpenPlan(const QString &path, const QString &receptorLayer) {
  Guarded([&] {
    FPlanPath = path;
    FReceptorLayer = receptorLayer;
    tbFigures->setCurrentWidget(pnEnvelope);
    ShowPlan();
    if (!FPlanProblem.isEmpty())
      Fail(FPlanProblem);
  });
}

void TfrmPlant::acOpenPlanClick() {
  const QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("打开平面图"), QString(),
      QStringLiteral("平面图 (*.dxf *.geojson *.json);;所有文件 (*)"));
  if (path.isEmpty())
    return;
  QString layer = QStringLiteral("敏感目标");
  if (path.endsWith(QStringLiteral(".dxf"), Qt::CaseInsensitive)) {
    bool chosen = false;
    layer = QInputDialog::getText(this, QStringLiteral("敏感目标图层"),
                                  QStringLiteral("敏感目标所在的图层："), QLineEdit::Normal, layer,
                                  &chosen);
    if (!chosen)
      return;
  }
  OpenPlan(path, layer);
}

// A range copied from a spreadsheet: with its header row it becomes the
// sheet (once unsaved edits are saved or given up); without, its rows join
// the sheet when as wide, else the columns are asked for.
void TfrmPlant::acPasteClick() {
  const QString text = QApplication::clipboard()->text();
  TSheetRecords records = TabTextRecords(text.toStdString());
  if (records.empty())
    return;
  const bool header = LooksLikeHeader(records.front().first);
  if (!header && !FSheet.Names.empty() && records.front().first.count == FSheet.Names.size()) {
    FSheet.AppendRows(records);
    UseSheet(std::move(FSheet), true);
    return;
  }
  if (!AskToSave())
    return;
  if (header) {
    UseSheet(TPlantSheet::FromRecords(std::move(records)), true);
    return;
  }
  TPlantSheet sheet = TPlantSheet::WithoutHeader(std::move(records));
  ChooseColumns(sheet);
}

void TfrmPlant::acColumnsClick() { ChooseColumns(FSheet); }

// Asks which column holds what, then shows sheet so read; Cancel changes nothing.
void TfrmPlant::ChooseColumns(TPlantSheet &sheet) {
  TfrmColumns dialog(sheet, this);
  if (dialog.exec() != QDialog::Accepted)
    return;
  dialog.Apply(sheet);
  UseSheet(std::move(sheet), true);
}

void TfrmPlant::acAddRowClick() {
  FSheet.AddRow();
  UseSheet(std::move(FSheet), true);
  sgRows->setCurrentIndex(FRowsModel->index(FRowsModel->rowCount() - 1, 0));
}

void TfrmPlant::acDeleteRowClick() {
  const int row = sgRows->currentIndex().row();
  if (row < 0 || row >= int(FSheet.Cells.size()))
    return;
  FSheet.RemoveRow(std::size_t(row));
  UseSheet(std::move(FSheet), true);
}

// Whether the window may go on to drop its sheet: saved, or the user said so.
bool TfrmPlant::AskToSave() {
  if (!FModified)
    return true;
  QMessageBox box(QMessageBox::Question, PlantTitle, QStringLiteral("表格已修改，是否保存？"),
                  QMessageBox::NoButton, this);
  QPushButton *save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton *discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
  box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.exec();
  if (box.clickedButton() == discard)
    return true;
  if (box.clickedButton() != save)
    return false;
  acSaveClick();
  return !FModified;
}

void TfrmPlant::closeEvent(QCloseEvent *event) {
  bool close = true;
  Guarded([&] { close = AskToSave(); });
  if (!close) {
    event->ignore();
    return;
  }
  QSettings().setValue(QStringLiteral("plant/geometry"), saveGeometry());
  event->accept();
}

void TfrmPlant::dragEnterEvent(QDragEnterEvent *event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
}

void TfrmPlant::dropEvent(QDropEvent *event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile())
    return;
  event->acceptProposedAction();
  const QString path = urls.front().toLocalFile();
  Guarded([&] {
    if (AskToSave())
      ReadFile(path);
  });
}
