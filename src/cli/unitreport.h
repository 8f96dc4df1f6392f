// The per-unit report (kestrin-cli report): the distance rows of a batch
// file grouped by production unit, each unit's 卫生防护距离 decided over all
// its pollutants, written as the chapter of an assessment report needs it
// (HTML that word processors open, Markdown) or as JSON.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch.h"
#include "record.h"

struct TReportRow {
  std::size_t Line = 0; // where the row starts in the input
  std::string Unit, Pollutant;
  TKestrin Calc;     // as the computation left it
  std::string Error; // empty when the row succeeded
  TGradeCheck Check; // the graded distance against Qe, when it succeeded
  TDirection Direction = TDirection::Distance; // the row's mode
};

// One unit's conclusion. A unit with a failed row has none: its largest
// distance is unknown, so nothing is claimed for it.
struct TUnitConclusion {
  std::string Unit;
  std::vector<std::size_t> Rows; // indices of its rows, in input order
  bool Determined = false;
  double Largest = 0;                // the largest graded distance, m
  std::vector<std::string> Deciding; // the pollutants graded to Largest
  double Distance = 0;               // the unit's 卫生防护距离, m
  bool Raised = false;               // Distance is one grade above Largest
};

enum class TReportFormat { Html, Markdown, Json };

struct TReportOptions {
  std::string Unit, Pollutant;   // the label columns; Pollutant may be empty
  std::vector<std::string> Keep; // other columns the file may hold, not reported
  TEncoding Encoding = TEncoding::Auto;
  TReportFormat Format = TReportFormat::Html;
  std::string Basis; // replaces the method's opening sentence when not empty
  bool Raise = true; // two or more pollutants at the largest grade raise it one grade
  int Digits = 2;    // decimals of L in the tables
  TRecordDate Date;
};

// The graded step above a graded distance: 50 -> 100, 100 -> 200, 1000 ->
// 1200, 2000 -> 2200; by the calculator's own grading.
double NextGrade(double graded);

// Units in the order they first appear; rows of an empty unit cell form
// a unit of their own.
std::vector<TUnitConclusion> RollUp(const std::vector<TReportRow> &rows, bool raise);

// L with `digits` decimals (0..15), rounded to nearest from the double.
std::string FixedText(double value, int digits);

std::string ReportHtml(const std::vector<TReportRow> &rows, const TReportOptions &options);
std::string ReportMarkdown(const std::vector<TReportRow> &rows, const TReportOptions &options);
// Every figure with ValueToText's 15 digits, the notes and the roll-up.
std::string ReportJson(const std::vector<TReportRow> &rows, const TReportOptions &options);

// The report of a batch file: reads `in` as the batch command does (same
// columns, encodings, limits), computes every row and makes the document.
// Returns ExitOk when every row succeeded, ExitFailure when one failed (the
// document says which, and its unit is left undetermined), ExitUsage when
// the input could not be used (a message on `err`, no document).
int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document);
