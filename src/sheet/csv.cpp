#include "csv.h"

#include <cerrno>
#include <cstring>

#include "platform.h"

namespace {

enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

// The byte-order marks a spreadsheet program may start its text with.
struct TMarkBytes {
  TByteOrderMark Mark;
  std::string_view Bytes;
};
constexpr TMarkBytes MarkBytes[] = {
    {TByteOrderMark::Utf8, "\xEF\xBB\xBF"},
    {TByteOrderMark::Gb18030, {"\x84\x31\x95\x33", 4}},
    {TByteOrderMark::Utf16, "\xFF\xFE"},
    {TByteOrderMark::Utf16, "\xFE\xFF"},
};

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

// One read of what is there, up to `size` bytes. Unlike fread, which waits
// until the whole size has arrived, this returns a row that comes alone on a
// pipe or from a terminal at once. Streams without a descriptor (in memory)
// have all their bytes at hand and use fread.
std::size_t ReadSome(std::FILE *in, char *buffer, std::size_t size, bool &failed) {
  const int fd = StreamDescriptor(in);
  if (fd < 0) {
    std::size_t n = std::fread(buffer, 1, size, in);
    failed = std::ferror(in) != 0;
    return n;
  }
  for (;;) {
    const std::ptrdiff_t n = ReadDescriptor(fd, buffer, size);
    if (n >= 0)
      return static_cast<std::size_t>(n);
    if (errno != EINTR) {
      failed = true;
      return 0;
    }
  }
}

} // namespace

bool CsvReader::Fill() {
  if (FEof || FReadFailed)
    return false;
  if (FBeforeWait)
    FBeforeWait();
  FPos = 0;
  FEnd = ReadSome(FIn, FBuffer.data(), FBuffer.size(), FReadFailed);
  if (FEnd == 0) {
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
    CountLines(&FBuffer[FPos - 1], 1);
  }
  return c;
}

// CR, LF and CRLF each end one line, inside quoted fields too.
void CsvReader::CountLines(const char *text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    FLines += text[i] == '\r' || (text[i] == '\n' && !FAfterCr);
    FAfterCr = text[i] == '\r';
  }
}

// Once a record passes the limit it ends there and reading stops.
bool CsvReader::TooLong(CsvRecord &record) {
  if (FRecordBytes <= MaxRecordBytes)
    return false;
  record.problem = "record longer than " + std::to_string(MaxRecordBytes) + " bytes";
  FStopped = true;
  return true;
}

void CsvReader::Append(CsvRecord &record, const char *begin, std::size_t n) {
  record.text.append(begin, n);
}

void CsvReader::StartField(CsvRecord &record) {
  record.starts.push_back(static_cast<std::uint32_t>(record.text.size()));
  record.count = record.starts.size();
}

std::string_view CsvReader::Begin() {
  if (!FStarted) {
    FStarted = true;
    ReadByteOrderMark();
  }
  Peek();
  return std::string_view(FBuffer.data() + FPos, FEnd - FPos);
}

bool CsvReader::ReadRest(std::string &bytes, std::size_t limit) {
  bytes.clear();
  while (Peek() != EOF) {
    if (bytes.size() + (FEnd - FPos) > limit)
      return false;
    bytes.append(FBuffer.data() + FPos, FEnd - FPos);
    FPos = FEnd;
  }
  return !FReadFailed;
}

bool CsvReader::Next(CsvRecord &record) {
  Begin();
  bool empty = true;
  while (ReadRecord(record, empty)) {
    if (!empty)
      return true;
  }
  return false;
}

// A UTF-8 or GB18030 mark is skipped; a UTF-16 one is kept, the text being
// no CSV this reader can split.
void CsvReader::ReadByteOrderMark() {
  if (Peek() == EOF)
    return;
  const std::string_view start(&FBuffer[FPos], FEnd - FPos);
  for (const TMarkBytes &m : MarkBytes)
    if (start.substr(0, m.Bytes.size()) == m.Bytes) {
      FMark = m.Mark;
      if (m.Mark != TByteOrderMark::Utf16)
        FPos += m.Bytes.size();
      return;
    }
}

// Reads one record; `empty` tells whether the line held nothing at all.
bool CsvReader::ReadRecord(CsvRecord &record, bool &empty) {
  record.text.clear();
  record.starts.clear();
  record.count = 0;
  record.problem.clear();
  FRecordBytes = 0;
  FRecordLine = FLines + 1;
  if (FStopped || Peek() == EOF)
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
        FPos = i;
        empty = false;
        if (TooLong(record))
          return true;
        CountLines(FBuffer.data() + start, i - start);
        Append(record, FBuffer.data() + start, i - start);
      }
    }
    int c = Get();
    if (c == EOF) {
      if (state == State::Quoted)
        problem("a quoted field is not closed");
      return !FReadFailed;
    }
    // CR, LF or CRLF ends a line: the LF of a CRLF reads as an empty line,
    // which is skipped.
    if ((c == '\n' || c == '\r') && state != State::Quoted)
      return true;
    if (TooLong(record))
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

std::string CsvField(std::string_view text) {
  if (!NeedsQuotes(text))
    return std::string(text);
  std::string field = "\"";
  for (char c : text) {
    if (c == '"')
      field += '"';
    field += c;
  }
  return field + '"';
}

void CsvWriter::Field(std::string_view text) {
  if (FRowStarted)
    FBuffer += ',';
  FRowStarted = true;
  if (!NeedsQuotes(text))
    FBuffer += text;
  else
    FBuffer += CsvField(text);
}

void CsvWriter::EndRow() {
  FBuffer += '\n';
  FRowStarted = false;
  if (FBuffer.size() >= FlushAt)
    Flush();
}

// After a failed write nothing more is written: the caller stops.
bool CsvWriter::Flush() {
  if (!FFailed && !FBuffer.empty())
    FFailed = std::fwrite(FBuffer.data(), 1, FBuffer.size(), FOut) != FBuffer.size();
  FBuffer.clear();
  if (!FFailed)
    FFailed = std::fflush(FOut) != 0 || std::ferror(FOut) != 0;
  return !FFailed;
}
