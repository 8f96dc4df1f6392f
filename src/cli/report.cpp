#include "report.h"

#include "batch.h"
#include "reportsheet.h"

namespace {

// "kestrin-cli: unit '涂装车间' lists pollutant '甲苯' on lines 3, 5; ..." for each
// repeated pollutant; whether every unit is determined.
bool NoteUndetermined(std::FILE *err, TPlantReport &report) {
  bool determined = true;
  for (const TUnitConclusion &unit : report.Units()) {
    determined &= unit.Determined;
    for (const TRepeatedPollutant &repeated : unit.Repeated) {
      std::string lines;
      for (std::size_t i : repeated.Rows)
        lines += (lines.empty() ? "" : ", ") + std::to_string(report.LineOf(i));
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

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, const TSink &out,
              const TEnvelopeOptions *plan) {
  TReportSheet sheet(in, options);
  if (!sheet.Open())
    return Fail(err, sheet.Input().Problem());
  TPlantReport report(sheet.Options());
  bool allSucceeded = true;
  {
    TProgress progress(err);
    for (TReportRow row; sheet.Next(row);) {
      report.Add(row);
      allSucceeded &= row.Error.empty();
      progress.Row();
    }
  }
  if (!sheet.Input().Problem().empty())
    return Fail(err, sheet.Input().Problem());
  sheet.Input().NoteSkipped(err);
  if (report.Rows() == 0) {
    std::fputs("kestrin-cli: the input has no rows below its header; no report\n", err);
    return ExitFailure;
  }
  allSucceeded &= NoteUndetermined(err, report);
  if (plan) {
    bool compliant = true;
    if (AddPlanSection(report.Units(), *plan, err, report, compliant) != ExitOk)
      return ExitUsage;
    allSucceeded &= compliant;
  }
  if (!report.Write(out))
    return Fail(err, report.ScratchFailed() ? "cannot keep the rows in a scratch file"
                                            : "cannot write the output");
  return allSucceeded ? ExitOk : ExitFailure;
}

int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document,
              const TEnvelopeOptions *plan) {
  return RunReport(
      in, err, options,
      [&document](const std::string &piece) {
        document += piece;
        return true;
      },
      plan);
}
