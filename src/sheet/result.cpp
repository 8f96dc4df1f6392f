#include "result.h"

#include <cstdlib>

namespace {

// Enough for any destructor on the way out: none holds a large JSON value.
constexpr std::size_t UnwindingReserve = 1 << 20;
void *Reserve = nullptr;
bool RanShort = false;

void GiveBackReserve() {
  RanShort = true;
  std::free(Reserve);
  Reserve = nullptr;
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

} // namespace

bool KeepMemoryForUnwinding() {
  if (!Reserve)
    Reserve = std::malloc(UnwindingReserve);
  if (Reserve)
    std::set_new_handler(GiveBackReserve);
  return Reserve != nullptr;
}

bool MemoryRanShort() {
  return RanShort;
}

TCase ComputeCase(TDirection direction, const CalcInputs &inputs) {
  TCase c;
  c.Direction = direction;
  CatchFailure(
      [&] {
        ApplyInputs(c.Calc, inputs);
        if (direction == TDirection::Distance)
          c.Calc.CalcDistance();
        else
          c.Calc.CalcEmission();
      },
      [&c](const Exception &e) { c.Error = e.Message(); });
  return c;
}

const char *DirectionName(TDirection direction) {
  return direction == TDirection::Distance ? "distance" : "emission";
}

bool DirectionFromName(std::string_view name, TDirection &direction) {
  for (TDirection d : {TDirection::Distance, TDirection::Emission})
    if (name == DirectionName(d)) {
      direction = d;
      return true;
    }
  return false;
}

namespace FieldGetters {

TFieldValue ModeOf(const TCase &c) {
  return {TFieldKind::Text, 0, 0, DirectionName(c.Direction)};
}

TFieldValue ClassOf(const TCase &c) {
  return {TFieldKind::Text, 0, 0, SourceClassName(c.Calc.SourceClass())};
}

TFieldValue ErrorOf(const TCase &c) {
  return {TFieldKind::Text, 0, 0, c.Error};
}

} // namespace FieldGetters

std::string FieldText(const TFieldValue &value) {
  switch (value.Kind) {
  case TFieldKind::Number:
    return ValueToText(value.Number);
  case TFieldKind::Count:
    return CountToText(value.Count);
  case TFieldKind::Text:
    break;
  }
  return value.Text;
}

std::string FieldNames(std::size_t count) {
  std::string names;
  for (std::size_t i = 0; i < count && i < std::size(ResultFields); ++i)
    names += (i == 0 ? "" : ", ") + std::string(ResultFields[i].Name);
  return names;
}

std::string InputColumnsHelp() {
  std::string help;
  for (std::size_t i = 0; i < InputCount; ++i) {
    const std::string name(ResultFields[i].Name);
    help += "    " + name + std::string(10 - name.size(), ' ') + std::string(ResultFields[i].Help) +
            "\n";
  }
  return help;
}
