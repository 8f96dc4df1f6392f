#include "formats.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include <nlohmann/json.hpp>

#include "batch.h"

namespace {

using Json = nlohmann::ordered_json;

// A JSON number with ValueToText's digits: its text read by the library's
// own parser ("1000" stays an integer, "1E-5" a float), so the library
// writes those digits back. JSON has no infinities: null.
Json Number(double value) {
  if (!std::isfinite(value))
    return nullptr;
  return Json::parse(ValueToText(value));
}

// The batch tool's columns, in its order, as the calculator holds them.
Json Fields(TDirection direction, const TKestrin &calc) {
  Json j;
  j["mode"] = direction == TDirection::Distance ? "distance" : "emission";
  j["area"] = Number(calc.Area());
  j["radius"] = Number(calc.Radius());
  j["cm"] = Number(calc.Cm());
  j["wind"] = Number(calc.WindSpeed());
  j["class"] = SourceClassName(calc.SourceClass());
  j["qe"] = Number(calc.Qe());
  j["distance"] = Number(calc.Distance());
  j["graded"] = Number(calc.GradedDistance());
  j["a"] = Number(calc.A());
  j["b"] = Number(calc.B());
  j["c"] = Number(calc.C());
  j["d"] = Number(calc.D());
  j["distance_band"] = calc.DistanceBand();
  j["wind_band"] = calc.WindBand();
  j["wind_flag"] = calc.WindFlag();
  j["iterations"] = calc.Iterations();
  return j;
}

Json JsonOf(TDirection direction, const TKestrin &calc, const std::string &error) {
  Json j = Fields(direction, calc);
  j["error"] = error.empty() ? Json(nullptr) : Json(error);
  if (error.empty() && direction == TDirection::Distance) {
    const TGradeCheck check = CheckGradedDistance(calc);
    j["graded_qe"] = check.Done ? Number(check.AllowedQe) : Json(nullptr);
    const std::string note = GradeCheckNote(calc, check);
    j["note"] = note.empty() ? Json(nullptr) : Json(note);
  }
  return j;
}

// Applies the inputs and computes; the failure's message, or "".
std::string Compute(TKestrin &calc, const CalcInputs &inputs, TDirection direction) {
  std::string error;
  CatchFailure(
      [&] {
        ApplyInputs(calc, inputs);
        if (direction == TDirection::Distance)
          calc.CalcDistance();
        else
          calc.CalcEmission();
      },
      [&error](const Exception &e) { error = e.Message(); });
  return error;
}

// The record quotes S or r as given; a radius given after an area wins.
TCalcRecord RecordOf(TDirection direction, const TKestrin &calc, const CalcInputs &inputs,
                     std::optional<TClassChoices> choices) {
  TCalcRecord record = MakeRecord(calc, direction, choices, RecordDateNow());
  if (inputs.Radius)
    QuoteGivenSize(record, true, *inputs.Radius);
  else if (inputs.Area)
    QuoteGivenSize(record, false, *inputs.Area);
  return record;
}

} // namespace

TRecordDate RecordDateNow() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  const char *fixed = std::getenv("SOURCE_DATE_EPOCH");
  char *end = nullptr;
  const long long seconds = fixed ? std::strtoll(fixed, &end, 10) : 0;
  if (fixed && *fixed >= '0' && *fixed <= '9' && *end == '\0') {
    now = static_cast<std::time_t>(seconds);
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
  } else {
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
  }
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

int RunFormatted(TDirection direction, const CalcInputs &inputs,
                 std::optional<TClassChoices> choices, TOutputFormat format, std::FILE *out,
                 std::FILE *err) {
  TKestrin calc;
  const std::string error = Compute(calc, inputs, direction);
  std::string text;
  if (format == TOutputFormat::Json)
    text = JsonOf(direction, calc, error).dump(2, ' ', false) + "\n";
  else if (error.empty())
    text = RecordMarkdown(RecordOf(direction, calc, inputs, choices));
  if (!error.empty())
    std::fprintf(err, "kestrin-cli: %s\n", error.c_str());
  std::fwrite(text.data(), 1, text.size(), out);
  return error.empty() ? ExitOk : ExitFailure;
}
