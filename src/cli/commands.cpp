#include "commands.h"

#include <algorithm>

#include "formats.h"

namespace {

const char *const DistanceBands[] = {"(L <= 1000 m)", "(1000 < L <= 2000 m)", "(L > 2000 m)"};
const char *const WindBands[] = {"(V < 2 m/s)", "(2 <= V <= 4 m/s)", "(V > 4 m/s)"};
const char *const WindFlags[] = {"(V < 2 m/s)", "(V >= 2 m/s)"};

void Line(std::string &out, const char *label, const std::string &value, const char *unit = "") {
  std::string padded(label);
  padded.resize(std::max<std::size_t>(padded.size(), 13), ' ');
  out += padded + " = " + value + unit + "\n";
}

// A band's number and what it means.
std::string BandText(const char *const *meanings, std::int32_t count, std::int32_t band) {
  return CountToText(band) + " " + (band >= 0 && band < count ? meanings[band] : "");
}

} // namespace

std::string CaseText(const TCase &c) {
  const TKestrin &calc = c.Calc;
  std::string out;
  if (c.Direction == TDirection::Distance)
    Line(out, "L", ValueToText(calc.Distance()), " m");
  else
    Line(out, "Qe", ValueToText(calc.Qe()), " kg/h");
  Line(out, "graded L", ValueToText(calc.GradedDistance()), " m");
  Line(out, "A", ValueToText(calc.A()));
  Line(out, "B", ValueToText(calc.B()));
  Line(out, "C", ValueToText(calc.C()));
  Line(out, "D", ValueToText(calc.D()));
  Line(out, "distance band", BandText(DistanceBands, 3, calc.DistanceBand()));
  Line(out, "wind band", BandText(WindBands, 3, calc.WindBand()));
  Line(out, "wind flag", BandText(WindFlags, 2, calc.WindFlag()));
  if (c.Direction == TDirection::Distance)
    Line(out, "iterations", CountToText(calc.Iterations()));
  return out;
}

int RunSingleCase(TDirection direction, const CalcInputs &inputs,
                  std::optional<TClassChoices> choices, TOutputFormat format, std::FILE *out,
                  std::FILE *err) {
  const TCase c = ComputeCase(direction, inputs);
  std::string text;
  if (format == TOutputFormat::Json)
    text = CaseJson(c);
  else if (c.Error.empty())
    text = format == TOutputFormat::Text ? CaseText(c) : CaseRecord(c, inputs, choices);
  if (!c.Error.empty())
    std::fprintf(err, "kestrin-cli: %s\n", c.Error.c_str());
  std::fwrite(text.data(), 1, text.size(), out);
  return c.Error.empty() ? ExitOk : ExitFailure;
}
