// The batch command: one calculation per CSV row, streamed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "rows.h"

// batch --format: a CSV row, a JSON line or a record (计算书) per input row.
enum class TBatchFormat { Csv, Json, Record };

struct BatchOptions : TSheetOptions {
  bool Bom = false; // start the output with a UTF-8 byte-order mark
  TBatchFormat Format = TBatchFormat::Csv;
};

// Reads CSV rows from `in` and writes one result per input row to `out`;
// a message about an unusable input goes to `err`. Returns ExitOk when every
// row succeeded, ExitFailure when some row failed, ExitUsage when the input
// could not be read, its header was bad, or the output could not be written.
// Expects DecimalMark '.' and a freshly initialised numeric environment.
int RunBatch(std::FILE *in, std::FILE *out, std::FILE *err, const BatchOptions &options = {});

// "kestrin-cli: <message>" on `err`; ExitUsage.
int Fail(std::FILE *err, const std::string &message);

// The row count and speed on `err` while a long run goes on, when `err` is
// a terminal; nothing otherwise.
class TProgress {
public:
  explicit TProgress(std::FILE *err);
  ~TProgress();
  TProgress(const TProgress &) = delete;
  TProgress &operator=(const TProgress &) = delete;
  void Row();

private:
  std::FILE *FErr;
  bool FShown = false;
  std::size_t FRows = 0;
  double FStart = 0, FLastShown = 0;
};
