// The batch command on any bytes: no crash, no leak, a status of 0, 1 or 2,
// and output that is well-formed CSV: the fixed header, then rows of exactly
// 18 fields in which a calculated row holds readable number text and a
// class, and the error column agrees with the status; all of it UTF-8,
// whatever bytes came in.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch.h"
#include "csv.h"
#include "encoding.h"
#include "numtext.h"

namespace {

constexpr std::string_view Header =
    "mode,area,radius,cm,wind,class,qe,distance,graded,a,b,c,d,distance_band,wind_band,wind_flag,"
    "iterations,error\n";

[[noreturn]] void Fail(const char *what, std::string_view detail = {}) {
  std::fprintf(stderr, "property broken: %s: [%.*s]\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

bool IsCount(std::string_view s) {
  return !s.empty() && s.find_first_not_of("-0123456789") == std::string_view::npos;
}

// Checks one output row; returns whether it reports a failure.
bool CheckRow(const CsvRecord &row) {
  if (!row.problem.empty() || row.count != 18)
    Fail("malformed output row", row.problem);
  std::string_view error = row.Field(17);
  bool calculated = row.Field(0) == "distance" || row.Field(0) == "emission";
  if (!calculated && error.empty())
    Fail("a row that was not calculated has no error", row.Field(0));
  bool blank = row.Field(1).empty();
  if (blank) { // a bad row: nothing calculated, so no values
    for (std::size_t i = 1; i < 17; ++i)
      if (!row.Field(i).empty())
        Fail("a bad row carries values", row.Field(i));
    return true;
  }
  if (!calculated)
    Fail("values for an unknown mode", row.Field(0));
  for (std::size_t i : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12}) {
    try {
      TextToValue(std::string(row.Field(i)));
    } catch (const Exception &) {
      Fail("unreadable number text in the output", row.Field(i));
    }
  }
  std::string_view sourceClass = row.Field(5);
  if (sourceClass != "I" && sourceClass != "II" && sourceClass != "III")
    Fail("bad class", sourceClass);
  for (std::size_t i = 13; i < 17; ++i)
    if (!IsCount(row.Field(i)))
      Fail("bad count", row.Field(i));
  return !error.empty();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  InitNumericEnvironment();
  DecimalMark = '.';
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static std::FILE *err = std::fopen("/dev/null", "w");
  std::string input(reinterpret_cast<const char *>(data), size);
  std::FILE *in = fmemopen(input.data(), input.size(), "rb");
  char *written = nullptr;
  std::size_t writtenSize = 0;
  std::FILE *out = open_memstream(&written, &writtenSize);
  int status = RunBatch(in, out, err);
  std::fclose(in);
  std::fclose(out);
  std::string output(written, writtenSize);
  std::free(written);
  if (status != 0 && status != 1 && status != 2)
    Fail("exit status out of range");
  if (status == 2 && output.empty())
    return 0;
  if (!IsValidUtf8(output))
    Fail("output that is not UTF-8", output);
  if (output.compare(0, Header.size(), Header) != 0)
    Fail("output does not start with the header", output.substr(0, Header.size()));

  std::FILE *rows = fmemopen(output.data() + Header.size(), output.size() - Header.size(), "rb");
  CsvReader reader(rows);
  CsvRecord row;
  bool anyFailed = false;
  while (reader.Next(row))
    anyFailed |= CheckRow(row);
  std::fclose(rows);
  if (status != 2 && anyFailed != (status == 1))
    Fail("status disagrees with the error column");
  return 0;
}
