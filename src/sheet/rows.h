// The rows of a sheet after its header, each computed as one case: what the
// batch command writes out row by row and the plant report gathers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "csv.h"
#include "encoding.h"
#include "header.h"
#include "result.h"

// How a sheet is read.
struct TSheetOptions {
  // Label columns copied without surrounding blanks, in this order, to the
  // front of every row; any other column the tool does not know is an
  // error, but for UnusedColumns.
  std::vector<std::string> Keep;
  TEncoding Encoding = TEncoding::Auto;
};

// The cells of one row as the setters take them, reused from row to row.
using TRowCells = std::array<std::string, InputCount>;

// One input row, computed.
struct TBatchRow {
  std::size_t Line = 0;                    // where it starts in the input
  std::vector<std::string> Kept;           // the --keep cells ("" where not text)
  std::string Problem;                     // why it could not be computed at all
  TCase Case;                              // when there was no Problem
  bool HasRadius = false, HasArea = false; // the size as the row gave it
  std::string Radius, Area;
};

// The rows of a CSV input after its header, computed one by one. Rows whose
// cells are all empty (what spreadsheet programs write below the data) are
// skipped and counted. The encoding is decided on the header and the rows
// already at hand (a bounded look-ahead that never waits for input).
class TBatchInput {
public:
  // beforeWait runs before each read that may wait for input.
  TBatchInput(std::FILE *in, const TSheetOptions &options, std::function<void()> beforeWait);

  // Reads the header; false with Problem() when the input cannot be used.
  bool Open();
  const CsvRecord &Header() const { return FHeader; }
  const Layout &Columns() const { return FLayout; }
  // The header names of the columns read past (序号, 备注 ...).
  std::vector<std::string> Unused() const;

  // The next row that is not blank; false at the end of the input, or
  // where it stopped (Problem() then says why).
  bool Next(TBatchRow &row);
  const std::string &Problem() const { return FProblem; }
  // "kestrin-cli: skipped 2 empty rows" on `err`, when there were any.
  void NoteSkipped(std::FILE *err) const;

private:
  bool Read(CsvRecord &record, std::size_t &line);

  CsvReader FReader;
  TRecordDecoder FDecoder;
  const TSheetOptions &FOptions;
  CsvRecord FHeader, FRecord;
  TRowCells FCells;
  Layout FLayout;
  std::deque<std::pair<CsvRecord, std::size_t>> FAhead; // read, weighed, not yet decoded
  std::string FProblem;
  std::size_t FSkipped = 0;
};
