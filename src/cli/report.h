// The report command: a batch file's rows computed, grouped by unit and
// written as the plant report.
#pragma once

#include <cstdio>
#include <string>

#include "envelope.h"
#include "plantreport.h"

// Reads `in` as the batch command does (same columns, encodings, limits),
// computes every row and makes the document. Returns ExitOk when every row
// succeeded and every unit is determined, ExitFailure when not (the
// document says why) or when there are no rows (a message on `err`, no
// document), ExitUsage when the input could not be used (a message on
// `err`, no document). With `plan`, the envelope on the site plan is a
// section of its own, and a receptor inside it fails as a row does.
int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document,
              const TEnvelopeOptions *plan = nullptr);
