#include "report.h"

#include "batch.h"

namespace {

// "kestrin-cli: unit '涂装车间' lists pollutant '甲苯' on lines 3, 5; ..." for each
// repeated pollutant; whether every unit is determined.
bool NoteUndetermined(std::FILE *err, const std::vector<TReportRow> &rows, bool raise) {
  bool determined = true;
  for (const TUnitConclusion &unit : RollUp(rows, raise)) {
    determined &= unit.Determined;
    for (const TRepeatedPollutant &repeated : unit.Repeated) {
      std::string lines;
      for (std::size_t i : repeated.Rows)
        lines += (lines.empty() ? "" : ", ") + std::to_string(rows[i].Line);
      std::fprintf(err,
                   "kestrin-cli: unit %s lists pollutant %s on lines %s; enter the unit's total "
                   "emission of %s once\n",
                   Quoted(unit.Unit).c_str(), Quoted(repeated.Pollutant).c_str(), lines.c_str(),
                   repeated.Pollutant.c_str());
    }
  }
  return determined;
}

} // namespace

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document,
              const TEnvelopeOptions *plan) {
  const TSheetOptions sheet = ReportSheetOptions(options);
  TBatchInput input(in, sheet, {});
  if (!input.Open())
    return Fail(err, input.Problem());
  TReportOptions report = options;
  report.Unused = input.Unused();
  std::vector<TReportRow> rows;
  bool allSucceeded = true;
  TBatchRow row;
  TFillDown units;
  TProgress progress(err);
  while (input.Next(row)) {
    rows.push_back(ReportRowOf(row, report, units));
    allSucceeded &= rows.back().Error.empty();
    progress.Row();
  }
  if (!input.Problem().empty())
    return Fail(err, input.Problem());
  input.NoteSkipped(err);
  if (rows.empty()) {
    std::fputs("kestrin-cli: the input has no rows below its header; no report\n", err);
    return ExitFailure;
  }
  allSucceeded &= NoteUndetermined(err, rows, report.Raise);
  if (plan) {
    bool compliant = true;
    if (AddPlanSection(RollUp(rows, report.Raise), *plan, err, report, compliant) != ExitOk)
      return ExitUsage;
    allSucceeded &= compliant;
  }
  document = ReportDocument(rows, report);
  return allSucceeded ? ExitOk : ExitFailure;
}
