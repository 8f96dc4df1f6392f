// The batch command: one calculation per CSV row, streamed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "encoding.h"
#include "result.h"

struct BatchOptions {
  // Input columns copied unchanged, in this order, to the front of every
  // output row; any other column the tool does not know is an error.
  std::vector<std::string> Keep;
  TEncoding Encoding = TEncoding::Auto;
  bool Bom = false; // start the output with a UTF-8 byte-order mark
};

// Reads CSV rows from `in` and writes one result row per input row to `out`;
// a message about an unusable input goes to `err`. Returns ExitOk when every
// row succeeded, ExitFailure when some row failed, ExitUsage when the input
// could not be read, its header was bad, or the output could not be written.
// Expects DecimalMark '.' and a freshly initialised numeric environment.
int RunBatch(std::FILE *in, std::FILE *out, std::FILE *err, const BatchOptions &options = {});
