// The plant report (kestrin-cli report, the plant window): the distance rows of a batch
// file grouped by production unit, each unit's 卫生防护距离 decided over all
// its pollutants, written as the chapter of an assessment report needs it
// (HTML that word processors open, Markdown) or as JSON.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document.h"
#include "filldown.h"
#include "json.h"
#include "record.h"
#include "rollup.h"
#include "rows.h"

struct TReportRow {
  std::size_t Line = 0; // where the row starts in the input
  std::string Unit, Pollutant;
  TKestrin Calc;                               // as the computation left it
  std::string Error;                           // empty when the row succeeded
  TGradeCheck Check;                           // the graded distance against Qe, when it succeeded
  TDirection Direction = TDirection::Distance; // the row's mode
  // Its unit cell was empty and took the unit of the row above.
  bool UnitFilled = false;
};

enum class TReportFormat { Html, Markdown, Json };

// The numbers a section written after the report's own tables and figures
// gives its figure and its table: "图 4", "表 5" (after the caption prefix).
struct TCaptionNumbers {
  std::string Figure, Table;
};
// Such a section's blocks, made once its numbers are known.
using TNumberedSection = std::function<std::vector<TBlock>(const TCaptionNumbers &)>;

struct TReportOptions {
  std::string Unit, Pollutant;   // the label columns; Pollutant may be empty
  std::vector<std::string> Keep; // other columns the file may hold, not reported
  // The sheet's columns read past (序号, 备注), for a note.
  std::vector<std::string> Unused;
  TEncoding Encoding = TEncoding::Auto;
  std::string Sheet; // a workbook's sheet; the first when empty
  TReportFormat Format = TReportFormat::Html;
  std::string Basis;         // replaces the method's opening sentence when not empty
  bool Raise = true;         // two or more pollutants at the largest grade raise it one grade
  int Digits = 2;            // decimals of L in the tables (FixedText)
  std::string CaptionPrefix; // before the numbers of tables and figures: "5.3-" gives 表 5.3-1
  TTableStyle TableStyle = TTableStyle::Grid;
  TRecordDate Date;
  // The envelope on the site plan (report --plan): its section, before the
  // notes, and its JSON ("envelope"); none without a plan.
  TNumberedSection PlanSection;
  Json PlanJson;
};

// The units of the rows, in the order they first appear.
std::vector<TUnitConclusion> RollUp(const std::vector<TReportRow> &rows, bool raise);

// Where a document goes, a piece at a time; false when it could not take it.
using TSink = std::function<bool(const std::string &)>;

class TRowStore;

// A plant report made as its rows come: it keeps the rows in a scratch
// file and per unit only the roll-up, so its memory grows with the units.
class TPlantReport {
public:
  explicit TPlantReport(const TReportOptions &options);
  ~TPlantReport();
  TPlantReport(const TPlantReport &) = delete;
  TPlantReport &operator=(const TPlantReport &) = delete;

  void Add(const TReportRow &row);
  std::size_t Rows() const;
  std::vector<TUnitConclusion> Units() const { return FRollUp.Units(); }
  // The input line of the row added `index`-th.
  std::size_t LineOf(std::size_t index);
  // The document in the options' format; false when the sink refused a
  // piece or the scratch file failed (then the document is incomplete).
  bool Write(const TSink &sink);
  // Whether the rows could not be kept in (or read back from) the scratch file.
  bool ScratchFailed() const;
  // The envelope on the site plan: a section after the conclusions, and
  // "envelope" in the JSON (none when `json` is null).
  void SetPlanSection(TNumberedSection section, Json json) {
    FOptions.PlanSection = std::move(section);
    FOptions.PlanJson = std::move(json);
  }

private:
  TReportOptions FOptions;
  std::unique_ptr<TRowStore> FRows;
  TRollUp FRollUp;
  std::unordered_set<std::string> FEdgeUnits; // units with a row at a band edge
};

// The report's tables as the plant window shows them, the header row
// first: table 3, a row per input row (L with `digits` decimals), and
// table 4, a row per unit; the cells are the document's.
TTableRows RowTable(const std::vector<TReportRow> &rows, int digits);
TTableRows UnitTable(const std::vector<TUnitConclusion> &units,
                     const std::vector<TReportRow> &rows);

// The document of rows at hand, in options.Format (an empty string when
// the scratch file failed).
std::string ReportDocument(const std::vector<TReportRow> &rows, const TReportOptions &options);

// How the report reads its sheet: the unit and pollutant columns kept first.
TSheetOptions ReportSheetOptions(const TReportOptions &options);
// A sheet's row as the report holds it; an emission row is a failed one.
// An empty unit cell takes the unit of the row above, as a merged cell
// means (`units` carries it from row to row); with no unit above, the row
// fails.
TReportRow ReportRowOf(const TBatchRow &row, const TReportOptions &options, TFillDown &units);
// A row whose graded distance lies in another distance band than the one
// whose coefficients gave L (L = 1973.52 m by the L > 2000 m coefficients,
// graded 2000 m): flagged "※" in both tables.
bool AtBandEdge(const TReportRow &row);
// "第 3–4 行的生产单元沿用上一行：涂装车间" to `take`, a note per run of
// rows (row(0) … row(count − 1)) whose unit cell took the unit above.
void ForEachFilledUnitNote(std::size_t count, const std::function<TReportRow(std::size_t)> &row,
                           const std::function<void(const std::string &)> &take);
// A row's failure in Chinese, the program's own message beside it:
// "浮点溢出（数值超出计算范围）（Floating point overflow）".
std::string FailureText(const std::string &message);
