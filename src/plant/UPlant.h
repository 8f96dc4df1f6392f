// The plant window TfrmPlant: the sheet of every pollutant of every unit
// (pasted, opened, typed), each row's result, each unit's 卫生防护距离 and
// its figure, and the report written from them.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QMainWindow>
#include <QString>

#include "plantsheet.h"
#include "siteplan.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QPlainTextEdit;
class QTabWidget;
class QTableView;
class QTableWidget;
class QThread;
class QTimer;
class TEnvelopePane;
class TRowsModel;
class TUnitFigure;

// The program's name in menus and captions.
inline const QString PlantTitle = QStringLiteral("卫生防护距离（全厂）");

class TfrmPlant : public QMainWindow {
public:
  explicit TfrmPlant(QWidget *parent = nullptr);
  ~TfrmPlant() override;

  // Reads a CSV file (any encoding the batch tool reads), "Unicode text" or
  // an .xlsx workbook into the window; a failure shows the error box.
  void OpenFile(const QString &path);
  // Writes the report (as kestrin-cli report would) or the sheet as CSV;
  // the file is replaced only once completely written. False after the
  // error box when it could not be.
  bool ExportTo(const QString &path, TReportFormat format);
  bool SaveTo(const QString &path);
  // Draws the envelope of the units on a site plan (DXF or GeoJSON, its
  // receptors on `receptorLayer`), again after each computation; it then
  // joins the exported report. A plan that cannot be used shows the error box.
  void OpenPlan(const QString &path, const QString &receptorLayer);
  // Table 1 (rows) or 2 (units) onto the clipboard as HTML and as text.
  void CopyTable(int table);

  // Whether a computation runs or is due (after an edit).
  bool Computing() const;
  bool Modified() const { return FModified; }
  const TPlantSheet &Sheet() const { return FSheet; }
  const TPlantResult &Result() const { return FResult; }

  QTableView *sgRows = nullptr;
  QTableWidget *sgUnits = nullptr;
  TRowsModel *FRowsModel = nullptr;
  QPlainTextEdit *edNotes = nullptr; // the notes on the sheet, as the report writes them
  TUnitFigure *pbFigure = nullptr;
  TEnvelopePane *pnEnvelope = nullptr;
  QTabWidget *tbFigures = nullptr; // the unit's figure, the envelope
  QProgressBar *pbProgress = nullptr;
  QPushButton *btCancel = nullptr;
  QLabel *lbStatus = nullptr;
  QAction *acOpenPlan = nullptr;
  QAction *acOpen = nullptr, *acSave = nullptr, *acSaveAs = nullptr, *acExport = nullptr;
  QAction *acPaste = nullptr, *acAddRow = nullptr, *acDeleteRow = nullptr;
  QAction *acColumns = nullptr, *acCopyRows = nullptr, *acCopyUnits = nullptr;

protected:
  void closeEvent(QCloseEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  std::function<void()> Guard(void (TfrmPlant::*handler)());
  void CreateMenus();
  void CreateTables();

  // UPlant.cpp: files and the clipboard.
  void acOpenClick();
  void acSaveClick();
  void acSaveAsClick();
  void acExportClick();
  void acOpenPlanClick();
  void acPasteClick();
  void acColumnsClick();
  void acAddRowClick();
  void acDeleteRowClick();
  void ReadFile(const QString &path);
  void WriteFile(const QString &path, const std::string &bytes);
  void UseSheet(TPlantSheet sheet, bool modified);
  void ChooseColumns(TPlantSheet &sheet);
  bool AskToSave();

  // UPlantTables.cpp: the tables, the figure and the computation.
  void ShowSheet();
  void ShowResult(TPlantResult result);
  void ShowUnits();
  void ShowFigure();
  void ShowPlan();
  void RowsEdited();
  void ShowNotes();
  void Recompute();
  void CancelComputation();
  void Progress(std::size_t done);

  TPlantSheet FSheet;
  TPlantResult FResult;
  QString FPath; // the file Save writes, once known
  QString FPlanPath, FReceptorLayer; // the site plan, once opened
  TPlanSection FPlan;
  QString FPlanProblem; // why the plan's section could not be made, or ""
  bool FModified = false;
  QThread *FWorker = nullptr;
  std::shared_ptr<std::atomic<bool>> FCancel;
  int FGeneration = 0;   // of the computation whose result is awaited
  QTimer *FRecompute = nullptr;
};
