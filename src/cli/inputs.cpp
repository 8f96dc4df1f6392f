#include "inputs.h"

namespace {

struct ClassSpelling {
  const char *Text;
  std::int32_t Class;
};

// ASCII and the Roman-numeral characters U+2160..U+2162, as typed in the window.
constexpr ClassSpelling ClassSpellings[] = {
    {"I", 0}, {"II", 1}, {"III", 2}, {"\u2160", 0}, {"\u2161", 1}, {"\u2162", 2},
};

} // namespace

std::int32_t SourceClassFromText(std::string_view text) {
  for (const ClassSpelling &s : ClassSpellings) {
    if (text == s.Text)
      return s.Class;
  }
  throw ESourceClassError(text);
}

const char *SourceClassName(std::int32_t sourceClass) {
  static const char *const Names[] = {"I", "II", "III"};
  return Names[sourceClass < 0 ? 0 : sourceClass > 2 ? 2 : sourceClass];
}

void ApplyInputs(TKestrin &calc, const CalcInputs &inputs) {
  if (inputs.Area)
    calc.SetArea(*inputs.Area);
  if (inputs.Radius)
    calc.SetRadius(*inputs.Radius);
  if (inputs.Cm)
    calc.SetCm(*inputs.Cm);
  if (inputs.WindSpeed)
    calc.SetWindSpeed(*inputs.WindSpeed);
  if (inputs.SourceClass)
    calc.SetSourceClass(SourceClassFromText(*inputs.SourceClass));
  if (inputs.Qe)
    calc.SetQe(*inputs.Qe);
  if (inputs.Distance)
    calc.SetDistance(*inputs.Distance);
}
