#include "tabtext.h"

#include <cstdint>

namespace {

bool EndsField(std::string_view text, std::size_t i) {
  return i == text.size() || text[i] == '\t' || text[i] == '\r' || text[i] == '\n';
}

// The end of a quoted cell starting at `i` (its opening quote), just past
// the closing quote, with its text in `cell`; npos when the quotes do not
// close right before a tab or a line end.
std::size_t QuotedCell(std::string_view text, std::size_t i, std::string &cell) {
  cell.clear();
  for (++i; i < text.size(); ++i) {
    if (text[i] != '"') {
      cell += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '"') {
      cell += '"';
      ++i;
    } else {
      return EndsField(text, i + 1) ? i + 1 : std::string_view::npos;
    }
  }
  return std::string_view::npos;
}

void StartField(CsvRecord &record) {
  record.starts.push_back(static_cast<std::uint32_t>(record.text.size()));
  record.count = record.starts.size();
}

void AppendUtf8(std::uint32_t code, std::string &out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

} // namespace

TSheetRecords TabTextRecords(std::string_view text) {
  TSheetRecords records;
  CsvRecord record;
  std::string cell;
  std::size_t line = 1, i = 0;
  while (i < text.size()) {
    record = CsvRecord();
    const std::size_t first = line;
    bool empty = true;
    for (;;) {
      StartField(record);
      std::size_t end = text[i] == '"' ? QuotedCell(text, i, cell) : std::string_view::npos;
      if (end == std::string_view::npos) {
        for (end = i; !EndsField(text, end); ++end) {
        }
        cell.assign(text.substr(i, end - i));
      }
      for (std::size_t k = i; k < end; ++k)
        line += text[k] == '\n' || (text[k] == '\r' && (k + 1 == end || text[k + 1] != '\n'));
      empty = empty && end == i;
      record.text += cell;
      i = end;
      if (i == text.size() || text[i] != '\t')
        break;
      ++i;
      empty = false;
    }
    // The row's end: CRLF, LF or CR.
    if (i < text.size())
      i += text.compare(i, 2, "\r\n") == 0 ? 2 : 1;
    ++line;
    if (!empty)
      records.emplace_back(std::move(record), first);
  }
  return records;
}

bool Utf16ToUtf8(std::string_view bytes, std::string &out) {
  if (bytes.size() % 2 != 0 || bytes.size() < 2)
    return false;
  const bool little = bytes.substr(0, 2) == "\xFF\xFE";
  if (!little && bytes.substr(0, 2) != "\xFE\xFF")
    return false;
  const auto unit = [&](std::size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return little ? a | b << 8 : b | a << 8;
  };
  out.clear();
  out.reserve(bytes.size());
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    std::uint32_t code = unit(i);
    if (code >= 0xDC00 && code <= 0xDFFF)
      return false;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 2 >= bytes.size())
        return false;
      const std::uint32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF)
        return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(code, out);
  }
  return true;
}
