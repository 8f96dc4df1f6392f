#include "report.h"

#include "batch.h"

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document,
              const TEnvelopeOptions *plan) {
  const TSheetOptions sheet = ReportSheetOptions(options);
  TBatchInput input(in, sheet, {});
  if (!input.Open())
    return Fail(err, input.Problem());
  std::vector<TReportRow> rows;
  bool allSucceeded = true;
  TBatchRow row;
  TProgress progress(err);
  while (input.Next(row)) {
    rows.push_back(ReportRowOf(row, options));
    allSucceeded &= rows.back().Error.empty();
    progress.Row();
  }
  if (!input.Problem().empty())
    return Fail(err, input.Problem());
  input.NoteSkipped(err);
  if (!plan) {
    document = ReportDocument(rows, options);
    return allSucceeded ? ExitOk : ExitFailure;
  }
  TReportOptions withPlan = options;
  bool compliant = true;
  if (AddPlanSection(RollUp(rows, options.Raise), *plan, err, withPlan, compliant) != ExitOk)
    return ExitUsage;
  document = ReportDocument(rows, withPlan);
  return allSucceeded && compliant ? ExitOk : ExitFailure;
}
