// Streaming CSV as spreadsheet programs write it (RFC 4180): comma
// separated, fields optionally in double quotes with "" for a quote inside,
// line breaks inside quoted fields, LF, CRLF or CR line ends, an optional
// UTF-8 or GB18030 byte-order mark. Both sides keep a fixed amount of memory however
// long the input is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One input record: its fields one after another in a single text, so that
// the memory held is that of the longest record read, however the fields of
// earlier records were laid out.
struct CsvRecord {
  std::string text;
  std::vector<std::uint32_t> starts; // where each field begins in text
  std::size_t count = 0;             // the number of fields
  // Why the record cannot be trusted (bad quoting, too long); empty when fine.
  std::string problem;

  std::string_view Field(std::size_t i) const {
    std::size_t end = i + 1 < count ? starts[i + 1] : text.size();
    return std::string_view(text).substr(starts[i], end - starts[i]);
  }
};

enum class TByteOrderMark { None, Utf8, Gb18030, Utf16 };

class CsvReader {
public:
  // A record longer than this is reported as a problem, and reading stops
  // there: the rest of such a line (an endless one, say) is never awaited.
  static constexpr std::size_t MaxRecordBytes = 1 << 20;

  // beforeWait, when given, runs before each read from `in`, which may wait
  // for more input (a pipe, a terminal).
  explicit CsvReader(std::FILE *in, std::function<void()> beforeWait = {})
      : FIn(in), FBeforeWait(std::move(beforeWait)) {}

  // Reads the next record, skipping empty lines. False at the end of the
  // input, after an overlong record (see Stopped) or when reading failed
  // (see ReadFailed).
  bool Next(CsvRecord &record);
  bool ReadFailed() const { return FReadFailed; }
  bool Stopped() const { return FStopped; }
  // Reads the byte-order mark (a UTF-16 one stays in the input) and
  // returns the bytes at hand after it, which show what the input is.
  std::string_view Begin();
  // The rest of the input as it is, for text that is not CSV; false when
  // it is longer than `limit` bytes or cannot be read.
  bool ReadRest(std::string &bytes, std::size_t limit);
  // The byte-order mark the input started with, known after the first Next.
  TByteOrderMark Mark() const { return FMark; }
  // The line the last record read starts on, the first line being 1.
  std::size_t Line() const { return FRecordLine; }

private:
  int Peek();
  int Get();
  bool Fill();
  bool TooLong(CsvRecord &record);
  void ReadByteOrderMark();
  void CountLines(const char *text, std::size_t n);
  void Append(CsvRecord &record, const char *begin, std::size_t n);
  void StartField(CsvRecord &record);
  bool ReadRecord(CsvRecord &record, bool &empty);

  std::FILE *FIn;
  std::function<void()> FBeforeWait;
  std::vector<char> FBuffer = std::vector<char>(1 << 16);
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  std::size_t FRecordBytes = 0;
  bool FStarted = false;
  bool FEof = false;
  bool FReadFailed = false;
  bool FStopped = false;
  TByteOrderMark FMark = TByteOrderMark::None;
  std::size_t FLines = 0, FRecordLine = 0;
  bool FAfterCr = false;
};

// A field as CSV holds it: in double quotes, with "" for a quote, when it
// holds a comma, a double quote or a line break ("a,b" -> "\"a,b\"").
std::string CsvField(std::string_view text);

// Writes records to a stream through a large buffer; fields holding a comma,
// a double quote or a line break are quoted.
class CsvWriter {
public:
  explicit CsvWriter(std::FILE *out) : FOut(out) { FBuffer.reserve(FlushAt + 4096); }
  ~CsvWriter() { Flush(); }
  CsvWriter(const CsvWriter &) = delete;
  CsvWriter &operator=(const CsvWriter &) = delete;

  void Field(std::string_view text);
  void EndRow();
  // Hands the buffer to the stream; false when this or an earlier write failed.
  bool Flush();
  bool Failed() const { return FFailed; }

private:
  static constexpr std::size_t FlushAt = 1 << 18;

  std::FILE *FOut;
  std::string FBuffer;
  bool FRowStarted = false;
  bool FFailed = false;
};
