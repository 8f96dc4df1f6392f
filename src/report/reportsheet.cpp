#include "reportsheet.h"

TReportSheet::TReportSheet(std::FILE *in, const TReportOptions &options)
    : FOptions(options), FSheetOptions(ReportSheetOptions(options)), FInput(in, FSheetOptions, {}) {
}

TReportSheet::TReportSheet(TSheetRecords records, const TReportOptions &options)
    : FOptions(options), FSheetOptions(ReportSheetOptions(options)),
      FInput(std::move(records), FSheetOptions) {}

bool TReportSheet::Open() {
  if (!FInput.Open())
    return false;
  FOptions.Unused = FInput.Unused();
  return true;
}

bool TReportSheet::Next(TReportRow &row) {
  if (!FInput.Next(FRow))
    return false;
  row = ReportRowOf(FRow, FOptions, FUnits);
  return true;
}
