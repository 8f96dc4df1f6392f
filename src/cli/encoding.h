// Input text as spreadsheet programs save it: UTF-8, or in a Chinese locale
// the GB18030 (GBK) code page. Every field reaches the rest of the tool as
// UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"

enum class TEncoding { Auto, Utf8, Gb18030 };

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Converts records to UTF-8 in place. Auto keeps the file's bytes as long
// as they are ASCII; the first record with any other byte decides for the
// whole file: UTF-8 when it is valid UTF-8, GB18030 otherwise. (CSV's
// separators, quotes and line ends never occur inside a GB18030 character,
// so the records were split correctly before decoding.)
class TRecordDecoder {
public:
  explicit TRecordDecoder(TEncoding encoding) : FEncoding(encoding) {}

  // A field that is not text in the encoding gives the record a problem.
  void Decode(CsvRecord &record);

private:
  TEncoding FEncoding;
  std::string FText, FField; // reused from record to record
  std::vector<std::uint32_t> FStarts;
};
