// Streaming CSV as spreadsheet programs write it (RFC 4180): comma
// separated, fields optionally in double quotes with "" for a quote inside,
// line breaks inside quoted fields, LF or CRLF line ends, an optional UTF-8
// byte-order mark. Both sides keep a fixed amount of memory however long the
// input is.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// One input record. The field strings are reused from record to record so
// that reading allocates nothing once the longest record has been seen.
struct CsvRecord {
  std::vector<std::string> fields; // only the first `count` are in use
  std::size_t count = 0;
  // Why the record cannot be trusted (bad quoting, too long); empty when fine.
  std::string problem;

  std::string_view Field(std::size_t i) const { return fields[i]; }
};

class CsvReader {
public:
  // A record longer than this is reported as a problem instead of being held.
  static constexpr std::size_t MaxRecordBytes = 1 << 20;

  explicit CsvReader(std::FILE *in) : FIn(in) {}

  // Reads the next record, skipping empty lines. False at the end of the
  // input or when reading failed (see ReadFailed).
  bool Next(CsvRecord &record);
  bool ReadFailed() const { return FReadFailed; }

private:
  int Peek();
  int Get();
  bool Fill();
  bool TooLong(CsvRecord &record) const;
  void Append(CsvRecord &record, const char *begin, std::size_t n);
  void StartField(CsvRecord &record);
  bool ReadRecord(CsvRecord &record, bool &empty);

  std::FILE *FIn;
  std::vector<char> FBuffer = std::vector<char>(1 << 16);
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  std::size_t FRecordBytes = 0;
  bool FStarted = false;
  bool FEof = false;
  bool FReadFailed = false;
};

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
  // Hands the buffer to the stream; false when the stream reported an error.
  bool Flush();

private:
  static constexpr std::size_t FlushAt = 1 << 18;

  std::FILE *FOut;
  std::string FBuffer;
  bool FRowStarted = false;
};
