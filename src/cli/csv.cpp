#include "csv.h"

#include <cstring>

namespace {

enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

// Bytes that end a run of ordinary text in an unquoted field.
bool IsUnquotedSpecial(char c) {
  return c == ',' || c == '\n' || c == '\r' || c == '"';
}

bool NeedsQuotes(std::string_view text) {
  for (char c : text)
    if (IsUnquotedSpecial(c))
      return true;
  return false;
}

} // namespace

bool CsvReader::Fill() {
  if (FEof || FReadFailed)
    return false;
  FPos = 0;
  FEnd = std::fread(FBuffer.data(), 1, FBuffer.size(), FIn);
  if (FEnd == 0) {
    FReadFailed = std::ferror(FIn) != 0;
    FEof = true;
    return false;
  }
  return true;
}

int CsvReader::Peek() {
  if (FPos == FEnd && !Fill())
    return EOF;
  return static_cast<unsigned char>(FBuffer[FPos]);
}

int CsvReader::Get() {
  int c = Peek();
  if (c != EOF) {
    ++FPos;
    ++FRecordBytes;
  }
  return c;
}

bool CsvReader::TooLong(CsvRecord &record) const {
  if (FRecordBytes <= MaxRecordBytes)
    return false;
  if (record.problem.empty())
    record.problem = "record longer than " + std::to_string(MaxRecordBytes) + " bytes";
  return true;
}

void CsvReader::Append(CsvRecord &record, const char *begin, std::size_t n) {
  if (!TooLong(record))
    record.fields[record.count - 1].append(begin, n);
}

void CsvReader::StartField(CsvRecord &record) {
  // An overlong record keeps reusing its last field rather than growing.
  if (record.count > 0 && TooLong(record)) {
    record.fields[record.count - 1].clear();
    return;
  }
  if (record.count == record.fields.size())
    record.fields.emplace_back();
  record.fields[record.count++].clear();
}

bool CsvReader::Next(CsvRecord &record) {
  if (!FStarted) {
    FStarted = true;
    if (Peek() != EOF && FEnd - FPos >= 3 && std::memcmp(&FBuffer[FPos], ByteOrderMark, 3) == 0)
      FPos += 3;
  }
  bool empty = true;
  while (ReadRecord(record, empty)) {
    if (!empty)
      return true;
  }
  return false;
}

// Reads one record; `empty` tells whether the line held nothing at all.
bool CsvReader::ReadRecord(CsvRecord &record, bool &empty) {
  record.count = 0;
  record.problem.clear();
  FRecordBytes = 0;
  if (Peek() == EOF)
    return false;
  StartField(record);
  auto problem = [&record](const char *what) {
    if (record.problem.empty())
      record.problem = what;
  };
  State state = State::FieldStart;
  empty = true;
  for (;;) {
    // Ordinary text is copied in runs; only the special bytes go one by one.
    if (state == State::Unquoted || state == State::Quoted) {
      std::size_t start = FPos, i = FPos;
      if (state == State::Quoted) {
        const char *base = FBuffer.data();
        const void *quote = std::memchr(base + i, '"', FEnd - i);
        i = quote ? static_cast<const char *>(quote) - base : FEnd;
      } else {
        while (i < FEnd && !IsUnquotedSpecial(FBuffer[i]))
          ++i;
      }
      if (i > start) {
        FRecordBytes += i - start;
        Append(record, FBuffer.data() + start, i - start);
        FPos = i;
        empty = false;
      }
    }
    int c = Get();
    if (c == EOF) {
      if (state == State::Quoted)
        problem("a quoted field is not closed");
      return !FReadFailed;
    }
    if (c == '\r' && state != State::Quoted && Peek() == '\n')
      continue; // CRLF line end
    if (c == '\n' && state != State::Quoted)
      return true;
    empty = false;
    char ch = static_cast<char>(c);
    switch (state) {
    case State::FieldStart:
    case State::Unquoted:
      if (ch == ',') {
        StartField(record);
        state = State::FieldStart;
      } else if (ch == '"' && state == State::FieldStart) {
        state = State::Quoted;
      } else {
        if (ch == '"')
          problem("a double quote inside an unquoted field");
        Append(record, &ch, 1);
        state = State::Unquoted;
      }
      break;
    case State::Quoted:
      if (ch == '"')
        state = State::QuoteInQuoted;
      else
        Append(record, &ch, 1);
      break;
    case State::QuoteInQuoted:
      if (ch == '"') {
        Append(record, &ch, 1);
        state = State::Quoted;
      } else if (ch == ',') {
        StartField(record);
        state = State::FieldStart;
      } else {
        problem("text after the closing double quote of a field");
        Append(record, &ch, 1);
        state = State::Unquoted;
      }
      break;
    }
  }
}

void CsvWriter::Field(std::string_view text) {
  if (FRowStarted)
    FBuffer += ',';
  FRowStarted = true;
  if (!NeedsQuotes(text)) {
    FBuffer += text;
    return;
  }
  FBuffer += '"';
  for (char c : text) {
    if (c == '"')
      FBuffer += '"';
    FBuffer += c;
  }
  FBuffer += '"';
}

void CsvWriter::EndRow() {
  FBuffer += '\n';
  FRowStarted = false;
  if (FBuffer.size() >= FlushAt)
    Flush();
}

bool CsvWriter::Flush() {
  if (!FBuffer.empty()) {
    std::fwrite(FBuffer.data(), 1, FBuffer.size(), FOut);
    FBuffer.clear();
  }
  return std::fflush(FOut) == 0 && std::ferror(FOut) == 0;
}
