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

// Converts records to UTF-8 in place. The encoding is --encoding's, or a
// byte-order mark's, or else decided on what the text reads as. Many GBK
// labels are valid UTF-8 too ("一" D2 BB is U+04BB "һ") and most UTF-8 text
// is valid GB18030, so validity alone cannot decide; but Chinese spreadsheet
// text read in the right encoding is hanzi, punctuation and the symbols of
// technical Chinese, and read in the wrong one it turns into scattered
// Cyrillic, Armenian, IPA or Latin-extended letters and rare hanzi.
//
// The rule: each reading of a non-ASCII field scores a point per byte of a
// character of Chinese text (a hanzi; CJK and full-width punctuation;
// ° ± ² ³ µ · × ÷, Greek letters, ℃, Ⅰ-Ⅻ, ①, arrows, math and geometric
// symbols), none for a hanzi that GB18030 reads from beyond GB2312's hanzi
// (where UTF-8's bytes land), and loses a point per byte of any other
// character, and per non-ASCII byte of a field that is not text in it.
// Records are weighed in order from the header on; the first point where
// the totals differ decides, for the whole input. Text read correctly
// scores every byte, so the wrong reading can at most tie: when it still
// ties at the end of the weighing and both read as Chinese text, the input
// is refused as undecidable (--encoding then says which); a tie with no
// Chinese text either way reads as UTF-8. The decision depends only on the
// bytes, never on how they arrive.
class TRecordDecoder {
public:
  explicit TRecordDecoder(TEncoding encoding) : FEncoding(encoding) {}

  // A UTF-8 or GB18030 byte-order mark decides for Auto.
  void UseMark(TByteOrderMark mark);
  // Adds a record's evidence while the encoding is undecided.
  void Weigh(const CsvRecord &record);
  // Whether the records weighed hold non-ASCII text that leaves the
  // encoding undecided: more records must be weighed (or Settle called)
  // before they are decoded.
  bool Pending() const { return FEncoding == TEncoding::Auto && FWeighed; }
  // Ends the weighing (the input ended, or enough is held): false when the
  // text is undecidable, Problem() then says why.
  bool Settle();
  const std::string &Problem() const { return FProblem; }

  // A field that is not text in the encoding gives the record a problem,
  // which says so when the field is text in the other one. An input still
  // undecided is settled first; an undecidable one fails the record.
  void Decode(CsvRecord &record);

private:
  void WeighField(std::string_view field);

  TEncoding FEncoding;
  bool FGuessed = false; // decided by the evidence, not by --encoding or a mark
  bool FWeighed = false; // non-ASCII text has been weighed
  long long FUtf8Score = 0, FGb18030Score = 0;
  std::string FSample; // the first field read as text both ways, both readings
  std::string FProblem;
  std::string FText, FField; // reused from record to record
  std::vector<std::uint32_t> FStarts;
};
