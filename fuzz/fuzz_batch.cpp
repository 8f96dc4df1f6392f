// The batch command on any bytes: no crash, no leak, a status of 0, 1 or 2,
// and output that is well-formed CSV: the --keep names and the fixed header,
// then rows of exactly 18 fields after the kept ones in which a calculated
// row holds readable number text and a class, and the error column agrees
// with the status; all of it UTF-8, whatever bytes came in.
//
// An input starting with "#" sets the options on its first line: a byte of
// switches (bits 0-1 the encoding, bit 2 --bom), then the --keep names,
// comma-separated; the rest is the CSV.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch.h"
#include "csv.h"
#include "encoding.h"
#include "header.h"
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
// Checks one output row after its `kept` cells; returns whether it reports
// a failure.
bool CheckRow(const CsvRecord &row, std::size_t kept) {
  if (!row.problem.empty() || row.count != kept + 18)
    Fail("malformed output row", row.problem);
  const auto field = [&row, kept](std::size_t i) { return row.Field(kept + i); };
  std::string_view error = field(17);
  bool calculated = field(0) == "distance" || field(0) == "emission";
  if (!calculated && error.empty())
    Fail("a row that was not calculated has no error", field(0));
  bool blank = field(1).empty();
  if (blank) { // a bad row: nothing calculated, so no values
    for (std::size_t i = 1; i < 17; ++i)
      if (!field(i).empty())
        Fail("a bad row carries values", field(i));
    return true;
  }
  if (!calculated)
    Fail("values for an unknown mode", field(0));
  for (std::size_t i : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12}) {
    try {
      TextToValue(std::string(field(i)));
    } catch (const Exception &) {
      Fail("unreadable number text in the output", field(i));
    }
  }
  std::string_view sourceClass = field(5);
  if (sourceClass != "I" && sourceClass != "II" && sourceClass != "III")
    Fail("bad class", sourceClass);
  for (std::size_t i = 13; i < 17; ++i)
    if (!IsCount(field(i)))
      Fail("bad count", field(i));
  return !error.empty();
}

// Takes the options line off an input that starts with "#".
BatchOptions OptionsOf(std::string &input) {
  BatchOptions options;
  if (input.size() < 2 || input[0] != '#')
    return options;
  const auto switches = static_cast<unsigned char>(input[1]);
  const TEncoding encodings[] = {TEncoding::Auto, TEncoding::Utf8, TEncoding::Gb18030,
                                 TEncoding::Auto};
  options.Encoding = encodings[switches & 3];
  options.Bom = (switches & 4) != 0;
  const std::size_t end = std::min(input.find('\n'), input.size());
  std::string names = input.substr(2, end - 2);
  for (std::size_t start = 0; start <= names.size();) {
    const std::size_t comma = std::min(names.find(',', start), names.size());
    options.Keep.push_back(names.substr(start, comma - start));
    start = comma + 1;
  }
  input.erase(0, std::min(end + 1, input.size()));
  return options;
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
  const BatchOptions options = OptionsOf(input);
  std::FILE *in = fmemopen(input.data(), input.size(), "rb");
  char *written = nullptr;
  std::size_t writtenSize = 0;
  std::FILE *out = open_memstream(&written, &writtenSize);
  int status = RunBatch(in, out, err, options);
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
  const std::string_view bom = "\xEF\xBB\xBF";
  if (options.Bom != (output.compare(0, bom.size(), bom) == 0))
    Fail("a byte-order mark not as asked", output.substr(0, bom.size()));

  std::FILE *rows = fmemopen(output.data(), output.size(), "rb");
  CsvReader reader(rows); // takes off the byte-order mark
  CsvRecord row;
  if (!reader.Next(row) || row.count != options.Keep.size() + 18)
    Fail("output does not start with the header", output.substr(0, 200));
  for (std::size_t i = 0; i < options.Keep.size(); ++i)
    if (ColumnKey(row.Field(i)) != ColumnKey(options.Keep[i]))
      Fail("a kept column's name is not the --keep name", row.Field(i));
  std::string header;
  for (std::size_t i = options.Keep.size(); i < row.count; ++i)
    header += std::string(row.Field(i)) + (i + 1 < row.count ? "," : "\n");
  if (header != Header)
    Fail("output does not start with the header", header);
  bool anyFailed = false;
  while (reader.Next(row))
    anyFailed |= CheckRow(row, options.Keep.size());
  std::fclose(rows);
  if (status != 2 && anyFailed != (status == 1))
    Fail("status disagrees with the error column");
  return 0;
}
