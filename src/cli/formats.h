// The single-calculation commands' other outputs: JSON for scripts, and the
// record (计算书) for an assessment report.
#pragma once

#include <cstdio>
#include <optional>

#include "inputs.h"
#include "record.h"

enum class TOutputFormat { Text, Json, Record };

// Runs one calculation and writes it in `format` (Json or Record).
// JSON: one object with the batch tool's columns (numbers with
// ValueToText's digits), the failure's fields and `error` when it failed,
// and for a distance the emission allowed at the graded distance.
// Record: the 计算书 as Markdown; nothing on standard output on failure.
// Returns ExitOk or ExitFailure (message also on `err`); whether `out`
// took it all is the caller's to check, as for the text output.
int RunFormatted(TDirection direction, const CalcInputs &inputs,
                 std::optional<TClassChoices> choices, TOutputFormat format, std::FILE *out,
                 std::FILE *err);

// The date a record carries: SOURCE_DATE_EPOCH (seconds, as UTC) when set
// to a whole number, so that output can be reproduced; else today, local.
TRecordDate RecordDateNow();
