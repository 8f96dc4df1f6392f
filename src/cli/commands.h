// The single-calculation commands: one case from the command line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "record.h"
#include "result.h"

enum class TOutputFormat { Text, Json, Record };

// Computes one case and writes it to `out` in `format`:
// Text: the results readably with units; nothing on failure.
// Json: one object with the batch tool's columns (numbers with
// ValueToText's digits), the failure's fields and `error` when it failed,
// and for a distance the emission allowed at the graded distance.
// Record: the 计算书 as Markdown; nothing on failure.
// Returns ExitOk, or ExitFailure with the failure's message on `err`;
// whether `out` took it all is the caller's to check. Throws nothing but
// std::bad_alloc.
int RunSingleCase(TDirection direction, const CalcInputs &inputs,
                  std::optional<TClassChoices> choices, TOutputFormat format, std::FILE *out,
                  std::FILE *err);

// The readable lines of a case that succeeded.
std::string CaseText(const TCase &c);
