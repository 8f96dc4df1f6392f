#include "encoding.h"

#include <cstdint>

#include "platform.h"

namespace {

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}

std::size_t NonAsciiBytes(std::string_view text) {
  std::size_t n = 0;
  for (char c : text)
    n += static_cast<unsigned char>(c) >= 0x80;
  return n;
}

// The length of the UTF-8 character that starts with `lead`.
std::size_t Utf8Length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

// The code point at text[i] of valid UTF-8.
char32_t CodePoint(std::string_view text, std::size_t i) {
  const std::size_t length = Utf8Length(static_cast<unsigned char>(text[i]));
  char32_t code = static_cast<unsigned char>(text[i]) & (0x7F >> (length == 1 ? 0 : length));
  for (std::size_t k = 1; k < length; ++k)
    code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  return code;
}

bool IsHanzi(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// What Chinese spreadsheet text holds besides hanzi.
struct TRange {
  char32_t First, Last;
};
constexpr TRange ChineseSymbols[] = {
    {0xB0, 0xB3},     {0xB5, 0xB5},     {0xB7, 0xB7},     {0xD7, 0xD7}, // ° ± ² ³ µ · ×
    {0xF7, 0xF7},     {0x391, 0x3A9},   {0x3B1, 0x3C9},                 // ÷, Greek letters
    {0x2010, 0x203B},                                                   // — “” … ‰ ※
    {0x2100, 0x218F},                                                   // ℃ № Ⅰ-Ⅻ
    {0x2190, 0x22FF},                                                   // → ≤ ≥ ≈ √ ∞
    {0x2460, 0x24FF}, {0x25A0, 0x25FF}, {0x2605, 0x2606},               // ① □ ■ ○ ★ ☆
    {0x3000, 0x303F}, {0x3200, 0x32FF},                                 // 、。《》【】 ㈠
    {0xFF01, 0xFF5E}, {0xFFE0, 0xFFE5},                                 // full-width forms
};

bool IsChineseSymbol(char32_t c) {
  for (const TRange &r : ChineseSymbols)
    if (c >= r.First && c <= r.Last)
      return true;
  return false;
}

// A character's score per byte: +1 Chinese text, 0 neutral, -1 foreign.
int Plausibility(char32_t c, bool commonHanzi) {
  if (IsHanzi(c))
    return commonHanzi ? 1 : 0;
  return IsChineseSymbol(c) ? 1 : -1;
}

// The UTF-8 reading of valid UTF-8, scored.
long long Utf8Score(std::string_view field) {
  long long score = 0;
  for (std::size_t i = 0; i < field.size();) {
    const std::size_t length = Utf8Length(static_cast<unsigned char>(field[i]));
    if (length > 1)
      score += Plausibility(CodePoint(field, i), true) * static_cast<long long>(length);
    i += length;
  }
  return score;
}

// The GB18030 reading `utf8` of `field`, scored: a character is one, two
// (a lead byte from 0x81) or four bytes (the second a digit). Its hanzi
// count only from GB2312's rows (both bytes from 0xA1, lead to 0xF7).
long long Gb18030Score(std::string_view field, std::string_view utf8) {
  long long score = 0;
  std::size_t j = 0;
  for (std::size_t i = 0; i < field.size() && j < utf8.size();) {
    const auto lead = static_cast<unsigned char>(field[i]);
    const auto second = i + 1 < field.size() ? static_cast<unsigned char>(field[i + 1]) : 0;
    const std::size_t length = lead < 0x81 ? 1 : second >= 0x30 && second <= 0x39 ? 4 : 2;
    if (length > 1) {
      const bool gb2312 = length == 2 && lead >= 0xB0 && lead <= 0xF7 && second >= 0xA1;
      score += Plausibility(CodePoint(utf8, j), gb2312) * static_cast<long long>(length);
    }
    i += length;
    j += Utf8Length(static_cast<unsigned char>(utf8[j]));
  }
  return score;
}

// A reading for a message: a short field quoted, a long one left out.
std::string Sample(std::string_view text) {
  return text.size() <= 40 ? "\"" + std::string(text) + "\"" : "(a long field)";
}

} // namespace

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = Utf8Length(lead);
    if (lead < 0xC2 || lead > 0xF4 || text.size() - i < length)
      return false;
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

void TRecordDecoder::UseMark(TByteOrderMark mark) {
  if (FEncoding == TEncoding::Auto && mark == TByteOrderMark::Utf8)
    FEncoding = TEncoding::Utf8;
  else if (FEncoding == TEncoding::Auto && mark == TByteOrderMark::Gb18030)
    FEncoding = TEncoding::Gb18030;
}

void TRecordDecoder::WeighField(std::string_view field) {
  FWeighed = true;
  const auto against = -static_cast<long long>(NonAsciiBytes(field));
  const bool utf8 = IsValidUtf8(field);
  const bool gb18030 = Gb18030ToUtf8(field, FField);
  FUtf8Score += utf8 ? Utf8Score(field) : against;
  FGb18030Score += gb18030 ? Gb18030Score(field, FField) : against;
  if (utf8 && gb18030 && FSample.empty())
    FSample = Sample(field) + " in UTF-8 or " + Sample(FField) + " in GB18030";
}

void TRecordDecoder::Weigh(const CsvRecord &record) {
  if (FEncoding != TEncoding::Auto || IsAscii(record.text))
    return;
  for (std::size_t i = 0; i < record.count; ++i)
    if (!IsAscii(record.Field(i)))
      WeighField(record.Field(i));
  if (FUtf8Score != FGb18030Score) {
    FEncoding = FUtf8Score > FGb18030Score ? TEncoding::Utf8 : TEncoding::Gb18030;
    FGuessed = true;
  }
}

bool TRecordDecoder::Settle() {
  if (FEncoding != TEncoding::Auto)
    return true;
  if (FUtf8Score > 0) { // a tie, both readings Chinese text
    FProblem = "cannot tell whether the input is UTF-8 or GB18030 text";
    if (!FSample.empty())
      FProblem += " (it reads as " + FSample + ")";
    FProblem += "; say which with --encoding utf-8 or --encoding gb18030";
    return false;
  }
  FEncoding = TEncoding::Utf8;
  FGuessed = true;
  return true;
}

void TRecordDecoder::Decode(CsvRecord &record) {
  if (IsAscii(record.text))
    return;
  if (FEncoding == TEncoding::Auto && !Settle()) {
    record.problem = FProblem;
    return;
  }
  // The output is UTF-8 whatever comes in: a field that is not text in the
  // encoding gives its record a problem, so it is never written.
  const auto notText = [this, &record](std::size_t i, const char *encoding, bool other) {
    if (!record.problem.empty())
      return;
    record.problem = "field " + std::to_string(i + 1) + " is not " + encoding + " text";
    if (other)
      record.problem +=
          std::string(" (it reads as ") + (FEncoding == TEncoding::Utf8 ? "GB18030" : "UTF-8") +
          (FGuessed
               ? std::string(", the file as a whole as ") + encoding + "; --encoding says which)"
               : ")");
  };
  if (FEncoding == TEncoding::Utf8) {
    for (std::size_t i = 0; i < record.count; ++i)
      if (!IsValidUtf8(record.Field(i)))
        notText(i, "UTF-8", Gb18030ToUtf8(record.Field(i), FField));
    return;
  }
  // The decoded fields go into a second record text, swapped in at the end.
  FText.clear();
  FStarts.clear();
  for (std::size_t i = 0; i < record.count; ++i) {
    const std::string_view field = record.Field(i);
    FStarts.push_back(static_cast<std::uint32_t>(FText.size()));
    if (IsAscii(field)) {
      FText += field;
    } else if (Gb18030ToUtf8(field, FField)) {
      FText += FField;
    } else {
      notText(i, "GB18030", IsValidUtf8(field));
      FText += field;
    }
  }
  record.text.swap(FText);
  record.starts.swap(FStarts);
}
