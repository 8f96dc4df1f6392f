#include "rowstore.h"

#include <cstring>
#include <string>
#include <type_traits>

#include "platform.h"

namespace {

// Plain values as their bytes, strings as a length and their bytes: the
// file is read back by the program that wrote it.
template <typename T> void Put(std::string &record, const T &value) {
  static_assert(std::is_trivially_copyable_v<T>);
  record.append(reinterpret_cast<const char *>(&value), sizeof value);
}

void Put(std::string &record, const std::string &text) {
  Put(record, text.size());
  record += text;
}

template <typename T> bool Take(std::FILE *file, T &value) {
  static_assert(std::is_trivially_copyable_v<T>);
  return std::fread(&value, sizeof value, 1, file) == 1;
}

bool Take(std::FILE *file, std::string &text) {
  std::size_t size = 0;
  if (!Take(file, size))
    return false;
  text.resize(size);
  return size == 0 || std::fread(text.data(), 1, size, file) == size;
}

} // namespace

TRowStore::TRowStore() : FFile(OpenScratchFile()), FFailed(FFile == nullptr) {}

TRowStore::~TRowStore() {
  if (FFile)
    std::fclose(FFile);
}

void TRowStore::Add(const TReportRow &row) {
  if (FFailed)
    return;
  std::string record;
  Put(record, row.Line);
  Put(record, row.Unit);
  Put(record, row.Pollutant);
  Put(record, row.Calc.State());
  Put(record, row.Error);
  Put(record, row.Check.Done);
  Put(record, row.Check.AllowedQe);
  Put(record, row.Check.Holds);
  Put(record, row.Check.NextStep);
  Put(record, row.Check.Message);
  Put(record, row.Direction);
  Put(record, row.UnitFilled);
  // Reading and writing a stream in turn needs a seek between them.
  if (!FWriting && !SeekStream(FFile, FEnd)) {
    FFailed = true;
    return;
  }
  FWriting = true;
  FOffsets.push_back(FEnd);
  FEnd += record.size();
  FFailed = std::fwrite(record.data(), 1, record.size(), FFile) != record.size();
}

TReportRow TRowStore::Get(std::size_t index) {
  TReportRow row;
  TKestrin::TState state{};
  if (FFailed || index >= FOffsets.size())
    return row;
  if (FWriting && std::fflush(FFile) != 0) {
    FFailed = true;
    return row;
  }
  // Rows read in order need no seek, which would empty the stream's buffer.
  const bool there = !FWriting && FReadAt == FOffsets[index];
  FWriting = false;
  FFailed = (!there && !SeekStream(FFile, FOffsets[index])) || !Take(FFile, row.Line) ||
            !Take(FFile, row.Unit) || !Take(FFile, row.Pollutant) || !Take(FFile, state) ||
            !Take(FFile, row.Error) || !Take(FFile, row.Check.Done) ||
            !Take(FFile, row.Check.AllowedQe) || !Take(FFile, row.Check.Holds) ||
            !Take(FFile, row.Check.NextStep) || !Take(FFile, row.Check.Message) ||
            !Take(FFile, row.Direction) || !Take(FFile, row.UnitFilled);
  FReadAt = index + 1 < FOffsets.size() ? FOffsets[index + 1] : FEnd;
  row.Calc.Restore(state);
  return FFailed ? TReportRow() : row;
}
