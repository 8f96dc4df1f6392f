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

bool RecordIsUtf8(const CsvRecord &record) {
  for (std::size_t i = 0; i < record.count; ++i)
    if (!IsValidUtf8(record.Field(i)))
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

void TRecordDecoder::Decode(CsvRecord &record) {
  if (IsAscii(record.text))
    return;
  if (FEncoding == TEncoding::Auto)
    FEncoding = RecordIsUtf8(record) ? TEncoding::Utf8 : TEncoding::Gb18030;
  // The output is UTF-8 whatever comes in: a field that is not text in the
  // encoding gives its record a problem, so it is never written.
  const auto notText = [&record](std::size_t i, const char *encoding) {
    if (record.problem.empty())
      record.problem =
          "field " + std::to_string(i + 1) + " is not " + std::string(encoding) + " text";
  };
  if (FEncoding == TEncoding::Utf8) {
    for (std::size_t i = 0; i < record.count; ++i)
      if (!IsValidUtf8(record.Field(i)))
        notText(i, "UTF-8");
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
      notText(i, "GB18030");
      FText += field;
    }
  }
  record.text.swap(FText);
  record.starts.swap(FStarts);
}
