#include "report.h"

#include "batch.h"

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, const TSink &out) {
  const TSheetOptions sheet = ReportSheetOptions(options);
  TBatchInput input(in, sheet, {});
  if (!input.Open())
    return Fail(err, input.Problem());
  TPlantReport report(options);
  bool allSucceeded = true;
  TBatchRow row;
  {
    TProgress progress(err);
    while (input.Next(row)) {
      const TReportRow reportRow = ReportRowOf(row, options);
      report.Add(reportRow);
      allSucceeded &= reportRow.Error.empty();
      progress.Row();
    }
  }
  if (!input.Problem().empty())
    return Fail(err, input.Problem());
  input.NoteSkipped(err);
  if (!report.Write(out))
    return Fail(err, report.ScratchFailed() ? "cannot keep the rows in a scratch file"
                                            : "cannot write the output");
  return allSucceeded ? ExitOk : ExitFailure;
}

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document) {
  return RunReport(in, err, options, [&document](const std::string &piece) {
    document += piece;
    return true;
  });
}
