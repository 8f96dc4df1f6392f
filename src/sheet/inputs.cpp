#include "inputs.h"

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
