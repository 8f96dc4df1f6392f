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

} // namespace

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
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

void TRecordDecoder::Weigh(const CsvRecord &record) {
  if (FEncoding != TEncoding::Auto || IsAscii(record.text))
    return;
  for (std::size_t i = 0; i < record.count; ++i) {
    const std::string_view field = record.Field(i);
    if (IsAscii(field))
      continue;
    const bool utf8 = IsValidUtf8(field);
    if (utf8 != Gb18030ToUtf8(field, FField))
      ++(utf8 ? FUtf8Evidence : FGb18030Evidence);
  }
}

void TRecordDecoder::Decode(CsvRecord &record) {
  if (IsAscii(record.text))
    return;
  if (FEncoding == TEncoding::Auto) {
    FGuessed = true;
    Weigh(record);
    FEncoding = FGb18030Evidence > FUtf8Evidence ? TEncoding::Gb18030 : TEncoding::Utf8;
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
