// One case computed, and the fields of its result: one ordered table that
// the CSV header and rows, the JSON, the header's "known columns" message
// and the help text all read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "inputs.h"
#include "record.h"

// Exit statuses of the tool.
enum ExitStatus { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Sets memory aside that the first failed allocation gives back before it
// throws std::bad_alloc: what runs while that unwinds (a JSON value's
// destructor allocates) then has room, where a second failure would abort
// the program. False when there is not even that much.
bool KeepMemoryForUnwinding();
// Whether memory ran out since the reserve was kept, even where the failure
// was swallowed (a stream sets its failure bit and goes on, so its text may
// lack a part).
bool MemoryRanShort();

// Runs a command and returns its status; running out of memory (a long
// record, say) ends it with ExitUsage and a message rather than an abort.
template <typename Command> int RunGuarded(std::FILE *err, Command &&command) {
  // Without the reserve nothing is tried: so little memory may not even
  // suffice to unwind an exception.
  if (KeepMemoryForUnwinding()) {
    try {
      return command();
    } catch (const std::bad_alloc &) {
    }
  }
  std::fputs("kestrin-cli: out of memory\n", err);
  return ExitUsage;
}

// A case as its computation left it: the calculator holds the fields as
// they were when it succeeded or failed.
struct TCase {
  TDirection Direction = TDirection::Distance;
  TKestrin Calc;
  std::string Error; // the failure's message; empty when it succeeded
};

// Sets the inputs in order and computes in `direction`; a failure is
// caught and returned in Error, never thrown.
TCase ComputeCase(TDirection direction, const CalcInputs &inputs);

// "distance" / "emission": the batch tool's mode and the command's name.
const char *DirectionName(TDirection direction);
// The direction a mode text names; false for any other text.
bool DirectionFromName(std::string_view name, TDirection &direction);

enum class TFieldKind { Text, Number, Count };

struct TFieldValue {
  TFieldKind Kind = TFieldKind::Text;
  double Number = 0;
  std::int32_t Count = 0;
  std::string Text; // Text fields; empty: none (an error field of a success)
};

struct TResultField {
  std::string_view Name;
  TFieldValue (*Get)(const TCase &);
  std::string_view Help; // a batch input column: what it holds; else empty
};

namespace FieldGetters {
template <double (TKestrin::*Get)() const> TFieldValue NumberOf(const TCase &c) {
  return {TFieldKind::Number, (c.Calc.*Get)(), 0, {}};
}
template <std::int32_t (TKestrin::*Get)() const> TFieldValue CountOf(const TCase &c) {
  return {TFieldKind::Count, 0, (c.Calc.*Get)(), {}};
}
TFieldValue ModeOf(const TCase &c);
TFieldValue ClassOf(const TCase &c);
TFieldValue ErrorOf(const TCase &c);
} // namespace FieldGetters

// The batch input columns are the leading fields, in the order of TColumn.
enum TColumn {
  ColMode,
  ColArea,
  ColRadius,
  ColCm,
  ColWind,
  ColClass,
  ColQe,
  ColDistance,
  InputCount
};

inline constexpr TResultField ResultFields[] = {
    {"mode", FieldGetters::ModeOf, "distance or emission"},
    {"area", FieldGetters::NumberOf<&TKestrin::Area>, "floor area S, m²"},
    {"radius", FieldGetters::NumberOf<&TKestrin::Radius>,
     "equivalent radius r, m (instead of area)"},
    {"cm", FieldGetters::NumberOf<&TKestrin::Cm>, "concentration limit Cm, mg/m³"},
    {"wind", FieldGetters::NumberOf<&TKestrin::WindSpeed>, "five-year average wind speed V, m/s"},
    {"class", FieldGetters::ClassOf,
     "source class I, II or III (also Ⅰ, Ⅱ, Ⅲ or 1, 2, 3; 类 may follow)"},
    {"qe", FieldGetters::NumberOf<&TKestrin::Qe>, "emission rate Qe, kg/h (distance rows)"},
    {"distance", FieldGetters::NumberOf<&TKestrin::Distance>, "distance L, m (emission rows)"},
    {"graded", FieldGetters::NumberOf<&TKestrin::GradedDistance>, {}},
    {"a", FieldGetters::NumberOf<&TKestrin::A>, {}},
    {"b", FieldGetters::NumberOf<&TKestrin::B>, {}},
    {"c", FieldGetters::NumberOf<&TKestrin::C>, {}},
    {"d", FieldGetters::NumberOf<&TKestrin::D>, {}},
    {"distance_band", FieldGetters::CountOf<&TKestrin::DistanceBand>, {}},
    {"wind_band", FieldGetters::CountOf<&TKestrin::WindBand>, {}},
    {"wind_flag", FieldGetters::CountOf<&TKestrin::WindFlag>, {}},
    {"iterations", FieldGetters::CountOf<&TKestrin::Iterations>, {}},
    {"error", FieldGetters::ErrorOf, {}},
};

static_assert(ResultFields[ColMode].Name == "mode" &&
                  ResultFields[ColDistance].Name == "distance" &&
                  !ResultFields[InputCount - 1].Help.empty() &&
                  ResultFields[InputCount].Help.empty(),
              "the input columns lead the table, in the order of TColumn");

// A field as CSV writes it: ValueToText's digits, a count, or the text.
std::string FieldText(const TFieldValue &value);

// The field names joined by ", ": the first `count` of them, or all.
std::string FieldNames(std::size_t count = std::size(ResultFields));

// The input columns, a line each ("    area      floor area S, m²").
std::string InputColumnsHelp();
