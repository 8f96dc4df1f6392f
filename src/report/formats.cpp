#include "formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "json.h"
#include "platform.h"

namespace {

Json JsonOf(const TFieldValue &value) {
  switch (value.Kind) {
  case TFieldKind::Number:
    return JsonNumber(value.Number);
  case TFieldKind::Count:
    return value.Count;
  case TFieldKind::Text:
    break;
  }
  return value.Text.empty() ? Json(nullptr) : Json(value.Text);
}

} // namespace

Json JsonNumber(double value) {
  if (!std::isfinite(value))
    return nullptr;
  std::string text = ValueToText(value);
  std::replace(text.begin(), text.end(), DecimalMark, '.');
  const char *end = text.data() + text.size();
  if (text.find_first_of(".E") == std::string::npos) {
    std::int64_t whole = 0;
    if (std::from_chars(text.data(), end, whole).ec == std::errc())
      return whole;
  }
  double digits = 0;
  const std::from_chars_result read = std::from_chars(text.data(), end, digits);
  return read.ec == std::errc() && std::isfinite(digits) ? digits : value;
}

Json CaseJsonObject(const TCase &c) {
  Json j;
  for (const TResultField &field : ResultFields)
    j[std::string(field.Name)] = JsonOf(field.Get(c));
  if (c.Error.empty() && c.Direction == TDirection::Distance) {
    const TGradeCheck check = CheckGradedDistance(c.Calc);
    j["graded_qe"] = check.Done ? JsonNumber(check.AllowedQe) : Json(nullptr);
    const std::string note = GradeCheckNote(c.Calc, check);
    j["note"] = note.empty() ? Json(nullptr) : Json(note);
  }
  return j;
}

std::string CaseJson(const TCase &c) {
  // An input echoed in a message may hold any bytes: replaced, not thrown on.
  return CaseJsonObject(c).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string CaseRecord(const TCase &c, const CalcInputs &inputs,
                       std::optional<TClassChoices> choices) {
  TCalcRecord record = MakeRecord(c.Calc, c.Direction, choices, RecordDateNow());
  // S or r quoted as given; a radius given after an area wins.
  if (inputs.Radius)
    QuoteGivenSize(record, true, *inputs.Radius);
  else if (inputs.Area)
    QuoteGivenSize(record, false, *inputs.Area);
  return RecordMarkdown(record);
}

TRecordDate RecordDateNow() {
  const char *fixed = std::getenv("SOURCE_DATE_EPOCH");
  char *end = nullptr;
  const long long seconds = fixed ? std::strtoll(fixed, &end, 10) : 0;
  const bool reproducible = fixed && *fixed >= '0' && *fixed <= '9' && *end == '\0';
  const std::tm parts = CalendarTime(
      reproducible ? static_cast<std::time_t>(seconds) : std::time(nullptr), reproducible);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}
