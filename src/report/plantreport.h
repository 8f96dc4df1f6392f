// The plant report (kestrin-cli report, the plant window): the distance rows of a batch
// file grouped by production unit, each unit's 卫生防护距离 decided over all
// its pollutants, written as the chapter of an assessment report needs it
// (HTML that word processors open, Markdown) or as JSON.
#pragma once

#include <cstddef>
#include <string>
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
  TKestrin Calc;     // as the computation left it
  std::string Error; // empty when the row succeeded
  TGradeCheck Check; // the graded distance against Qe, when it succeeded
  TDirection Direction = TDirection::Distance; // the row's mode
  // Its unit cell was empty and took the unit of the row above.
  bool UnitFilled = false;
};

enum class TReportFormat { Html, Markdown, Json };

struct TReportOptions {
  std::string Unit, Pollutant;   // the label columns; Pollutant may be empty
  std::vector<std::string> Keep; // other columns the file may hold, not reported
  // The sheet's columns read past (序号, 备注), for a note.
  std::vector<std::string> Unused;
  TEncoding Encoding = TEncoding::Auto;
  std::string Sheet; // a workbook's sheet; the first when empty
  TReportFormat Format = TReportFormat::Html;
  std::string Basis; // replaces the method's opening sentence when not empty
  bool Raise = true; // two or more pollutants at the largest grade raise it one grade
  int Digits = 2;    // decimals of L in the tables
  TRecordDate Date;
  // The envelope on the site plan (report --plan): its section, before the
  // notes, and its JSON ("envelope"); none without a plan.
  std::vector<TBlock> PlanBlocks;
  Json PlanJson;
};

// The units of the rows, in the order they first appear.
std::vector<TUnitConclusion> RollUp(const std::vector<TReportRow> &rows, bool raise);

// L with `digits` decimals (0..15), rounded to nearest from the double.
std::string FixedText(double value, int digits);

// The report's tables, the header row first: table 1, a row per input row
// (L with `digits` decimals), and table 2, a row per unit.
TTableRows RowTable(const std::vector<TReportRow> &rows, int digits);
TTableRows UnitTable(const std::vector<TUnitConclusion> &units,
                     const std::vector<TReportRow> &rows);

std::string ReportHtml(const std::vector<TReportRow> &rows, const TReportOptions &options);
std::string ReportMarkdown(const std::vector<TReportRow> &rows, const TReportOptions &options);
// Every figure with ValueToText's 15 digits, the notes and the roll-up.
std::string ReportJson(const std::vector<TReportRow> &rows, const TReportOptions &options);

// How the report reads its sheet: the unit and pollutant columns kept first.
TSheetOptions ReportSheetOptions(const TReportOptions &options);
// A sheet's row as the report holds it; an emission row is a failed one.
// An empty unit cell takes the unit of the row above, as a merged cell
// means (`units` carries it from row to row); with no unit above, the row
// fails.
TReportRow ReportRowOf(const TBatchRow &row, const TReportOptions &options, TFillDown &units);
// The document in options.Format.
std::string ReportDocument(const std::vector<TReportRow> &rows, const TReportOptions &options);
