// The rows of a sheet after its header, each computed as one case: what the
// batch command writes out row by row and the plant report gathers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "csv.h"
#include "encoding.h"
#include "header.h"
#include "result.h"
#include "tabtext.h"

// How a sheet is read.
struct TSheetOptions {
  // Label columns copied without surrounding blanks, in this order, to the
  // front of every row; any other column the tool does not know is an
  // error, but for UnusedColumns.
  std::vector<std::string> Keep;
  TEncoding Encoding = TEncoding::Auto;
  std::string Sheet; // a workbook's sheet to read; the first when empty
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

// The rows of a sheet after its header, computed one by one. Rows whose
// cells are all empty (what spreadsheet programs write below the data) are
// skipped and counted. A CSV input is streamed, its encoding decided as
// TRecordDecoder says, on the records from the header to the first that
// decides it; an input that is UTF-16 text (tab-separated) or an .xlsx
// workbook is read whole first, up to MaxWholeBytes.
class TBatchInput {
public:
  static constexpr std::size_t MaxWholeBytes = 256u << 20;

  // beforeWait runs before each read that may wait for input.
  TBatchInput(std::FILE *in, const TSheetOptions &options, std::function<void()> beforeWait);
  // Records already in UTF-8 (a pasted range, a sheet read by the caller),
  // the header first.
  TBatchInput(TSheetRecords records, const TSheetOptions &options);

  // Reads the header; false with Problem() when the input cannot be used.
  bool Open();
  // Instead of Open and Next: every record, the header first, decoded to
  // UTF-8 (the encoding weighed on all of them) and not computed, for a
  // program that shows the sheet; false with Problem() when the input
  // cannot be read or is empty.
  bool ReadAll(TSheetRecords &records);
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
  bool Decide();
  bool Read(CsvRecord &record, std::size_t &line);
  bool ReadWhole(bool workbook);
  bool Start();

  std::optional<CsvReader> FReader; // none for records given whole
  TRecordDecoder FDecoder;
  const TSheetOptions &FOptions;
  CsvRecord FHeader, FRecord;
  TRowCells FCells;
  Layout FLayout;
  TSheetRecords FAhead; // held until the encoding is decided, or given whole
  std::string FProblem;
  std::size_t FSkipped = 0;
};
