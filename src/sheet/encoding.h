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
// as they are ASCII, and decides at the first record with any other byte,
// for the whole file: by a byte-order mark when there was one, else by the
// evidence weighed so far (the header and the records read ahead, and that
// record): a field that is text in only one of the two encodings counts for
// it; UTF-8 unless GB18030 has more. A GBK label such as "一" (D2 BB) is
// valid UTF-8 too, so one field alone cannot decide. (CSV's separators,
// quotes and line ends never occur inside a GB18030 character, so the
// records were split correctly before decoding.)
class TRecordDecoder {
public:
  explicit TRecordDecoder(TEncoding encoding) : FEncoding(encoding) {}

  // A UTF-8 or GB18030 byte-order mark decides for Auto.
  void UseMark(TByteOrderMark mark);
  // Adds a record's evidence; call it before the first Decode.
  void Weigh(const CsvRecord &record);

  // A field that is not text in the encoding gives the record a problem,
  // which says so when the field is text in the other one.
  void Decode(CsvRecord &record);

private:
  TEncoding FEncoding;
  bool FGuessed = false; // decided by the evidence, not by --encoding or a mark
  int FUtf8Evidence = 0, FGb18030Evidence = 0;
  std::string FText, FField; // reused from record to record
  std::vector<std::uint32_t> FStarts;
};
