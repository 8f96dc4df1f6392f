// The rows of a plant report kept in a scratch file, not in memory, so that
// what the report holds grows with its units rather than its rows (two
// million rows would otherwise need gigabytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "plantreport.h"

class TRowStore {
public:
  TRowStore();
  ~TRowStore();
  TRowStore(const TRowStore &) = delete;
  TRowStore &operator=(const TRowStore &) = delete;

  // Keeps a row; its index is the number of rows kept before it.
  void Add(const TReportRow &row);
  std::size_t Size() const { return FOffsets.size(); }
  // A row kept; an empty row once the store has failed.
  TReportRow Get(std::size_t index);
  // Whether the scratch file could not be made, written or read back.
  bool Failed() const { return FFailed; }

private:
  std::FILE *FFile;
  std::vector<std::uint64_t> FOffsets; // where each row starts
  std::uint64_t FEnd = 0;
  std::uint64_t FReadAt = 0; // where the last row read ended
  bool FWriting = true;      // the last operation was a write
  bool FFailed = false;
};
