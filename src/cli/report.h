// The report command: a batch file's rows computed, grouped by unit and
// written as the plant report.
#pragma once

#include <cstdio>
#include <string>

#include "envelope.h"
#include "plantreport.h"

// Reads `in` as the batch command does (same columns, encodings, limits),
// computes every row, then writes the document to `out` a piece at a time
// (the rows wait in a scratch file, not in memory). Returns ExitOk when
// every row succeeded and every unit is determined, ExitFailure when not
// (the document says why) or when there are no rows (a message on `err`,
// nothing written), ExitUsage when the input could not be used (a message
// on `err`, nothing written) or the document could not be written whole.
// With `plan`, the envelope on the site plan is a section of its own, and a
// receptor inside it fails as a row does.
int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, const TSink &out,
              const TEnvelopeOptions *plan = nullptr);
// The same, the document into a string (for tests and small inputs).
int RunReport(std::FILE *in, std::FILE *err, const TReportOptions &options, std::string &document,
              const TEnvelopeOptions *plan = nullptr);
