// The inputs of one calculation as text, and how they reach a calculator.
// Shared by the batch rows and the single-calculation commands so that both
// call the setters in the same order.
#pragma once

#include <cstdint>
#include <string>

#include "UCal.h"

// Each input is absent (nullptr) or a text to hand to its setter.
struct CalcInputs {
  const std::string *Area = nullptr;
  const std::string *Radius = nullptr;
  const std::string *Cm = nullptr;
  const std::string *WindSpeed = nullptr;
  const std::string *SourceClass = nullptr; // as SourceClassFromText takes it
  const std::string *Qe = nullptr;
  const std::string *Distance = nullptr;
};

// Calls SetArea, SetRadius, SetCm, SetWindSpeed, SetSourceClass, SetQe and
// SetDistance in that order, each only for an input that is present. A
// failure propagates from the failing setter; the earlier ones stay applied.
void ApplyInputs(TKestrin &calc, const CalcInputs &inputs);

// 0 -> "I", 1 -> "II", 2 -> "III".
const char *SourceClassName(std::int32_t sourceClass);
