// A case's other outputs: JSON for scripts, and the record (计算书) for an
// assessment report.
#pragma once

#include <optional>
#include <string>

#include "record.h"
#include "result.h"

// One JSON object: the result fields in their order (numbers with
// ValueToText's digits, infinities as null, `error` null on success), and
// for a distance that succeeded `graded_qe` and `note`. Never throws on
// any text: bytes that are not UTF-8 are replaced.
std::string CaseJson(const TCase &c);

// The record of a case that succeeded, as Markdown, dated RecordDateNow(),
// quoting the size (S or r) as `inputs` gave it.
std::string CaseRecord(const TCase &c, const CalcInputs &inputs,
                       std::optional<TClassChoices> choices);

// The date a record carries: SOURCE_DATE_EPOCH (seconds, as UTC) when set
// to a whole number, so that output can be reproduced; else today, local.
TRecordDate RecordDateNow();
