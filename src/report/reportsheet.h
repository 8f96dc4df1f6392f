// A sheet read as the plant report reads it, by every front end (kestrin-cli
// report and envelope, the plant window): the label columns kept first, the
// columns read past (序号, 备注) noted for the report, and an empty unit cell
// given the unit of the row above, as a merged cell means.
#pragma once

#include <cstdio>

#include "plantreport.h"

class TReportSheet {
public:
  TReportSheet(std::FILE *in, const TReportOptions &options);
  // Records already in UTF-8, the header first.
  TReportSheet(TSheetRecords records, const TReportOptions &options);
  TReportSheet(const TReportSheet &) = delete; // its input keeps a reference into it
  TReportSheet &operator=(const TReportSheet &) = delete;

  // Reads the header; false with Input().Problem() when it cannot be used.
  bool Open();
  // The options, with the columns read past once open.
  const TReportOptions &Options() const { return FOptions; }
  // The next row as the report holds it; false at the end of the input, or
  // where it stopped (Input().Problem() then says why).
  bool Next(TReportRow &row);
  const TBatchInput &Input() const { return FInput; }

private:
  TReportOptions FOptions;
  TSheetOptions FSheetOptions; // before FInput, which keeps a reference
  TBatchInput FInput;
  TBatchRow FRow;
  TFillDown FUnits;
};
