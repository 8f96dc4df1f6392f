#include "commands.h"

#include <string>

#include "batch.h"

namespace {

const char *const DistanceBands[] = {"(L <= 1000 m)", "(1000 < L <= 2000 m)", "(L > 2000 m)"};
const char *const WindBands[] = {"(V < 2 m/s)", "(2 <= V <= 4 m/s)", "(V > 4 m/s)"};
const char *const WindFlags[] = {"(V < 2 m/s)", "(V >= 2 m/s)"};

void Line(std::FILE *out, const char *label, const std::string &value, const char *unit = "") {
  std::fprintf(out, "%-13s = %s%s\n", label, value.c_str(), unit);
}

const char *Describe(const char *const *texts, int count, std::int32_t index) {
  return index >= 0 && index < count ? texts[index] : "";
}

void PrintCoefficientsAndBands(std::FILE *out, const TKestrin &calc) {
  Line(out, "A", ValueToText(calc.A()));
  Line(out, "B", ValueToText(calc.B()));
  Line(out, "C", ValueToText(calc.C()));
  Line(out, "D", ValueToText(calc.D()));
  Line(out, "distance band", CountToText(calc.DistanceBand()) + " ",
       Describe(DistanceBands, 3, calc.DistanceBand()));
  Line(out, "wind band", CountToText(calc.WindBand()) + " ",
       Describe(WindBands, 3, calc.WindBand()));
  Line(out, "wind flag", CountToText(calc.WindFlag()) + " ",
       Describe(WindFlags, 2, calc.WindFlag()));
}

// Applies the inputs and runs one computation; false (message printed) on failure.
template <typename Compute>
bool Calculate(TKestrin &calc, const CalcInputs &inputs, std::FILE *err, Compute compute) {
  return CatchFailure(
      [&] {
        ApplyInputs(calc, inputs);
        compute(calc);
      },
      [err](const Exception &e) { std::fprintf(err, "kestrin-cli: %s\n", e.Message().c_str()); });
}

} // namespace

int RunDistance(const CalcInputs &inputs, std::FILE *out, std::FILE *err) {
  TKestrin calc;
  if (!Calculate(calc, inputs, err, [](TKestrin &c) { c.CalcDistance(); }))
    return ExitFailure;
  Line(out, "L", ValueToText(calc.Distance()), " m");
  Line(out, "graded L", ValueToText(calc.GradedDistance()), " m");
  PrintCoefficientsAndBands(out, calc);
  Line(out, "iterations", CountToText(calc.Iterations()));
  return ExitOk;
}

int RunEmission(const CalcInputs &inputs, std::FILE *out, std::FILE *err) {
  TKestrin calc;
  if (!Calculate(calc, inputs, err, [](TKestrin &c) { c.CalcEmission(); }))
    return ExitFailure;
  Line(out, "Qe", ValueToText(calc.Qe()), " kg/h");
  Line(out, "graded L", ValueToText(calc.GradedDistance()), " m");
  PrintCoefficientsAndBands(out, calc);
  return ExitOk;
}
