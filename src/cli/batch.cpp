#include "batch.h"

#include <string>
#include <string_view>

#include "csv.h"
#include "encoding.h"
#include "header.h"
#include "inputs.h"

namespace {

// The cells of one row as the setters take them, reused from row to row.
struct RowCells {
  std::string Text[InputCount];
};

// A cell's text; nullptr for an empty cell that leaves its input unset. An
// empty cell of a required input (or its column missing) gives the empty
// text, so its setter fails as an empty box does in the window.
const std::string *Cell(const CsvRecord &record, const Layout &layout, TColumn column,
                        bool required, RowCells &cells) {
  std::size_t p = layout.Position[column];
  std::string &text = cells.Text[column];
  text.assign(p == Absent ? std::string_view() : record.Field(p));
  return text.empty() && !required ? nullptr : &text;
}

// Required: cm, wind, class, and qe (distance) or distance (emission); the
// area unless a radius is given.
CalcInputs InputsFromRow(const CsvRecord &record, const Layout &layout, TDirection direction,
                         RowCells &cells) {
  const bool distance = direction == TDirection::Distance;
  CalcInputs in;
  in.Radius = Cell(record, layout, ColRadius, false, cells);
  in.Area = Cell(record, layout, ColArea, !in.Radius, cells);
  in.Cm = Cell(record, layout, ColCm, true, cells);
  in.WindSpeed = Cell(record, layout, ColWind, true, cells);
  in.SourceClass = Cell(record, layout, ColClass, true, cells);
  in.Qe = Cell(record, layout, ColQe, distance, cells);
  in.Distance = Cell(record, layout, ColDistance, !distance, cells);
  return in;
}

// The row's report: its fields as the computation left them, and the message.
void WriteResultRow(CsvWriter &out, const TCase &c) {
  for (const TResultField &field : ResultFields)
    out.Field(FieldText(field.Get(c)));
  out.EndRow();
}

// A row that could not be calculated at all: only why, in the error field.
void WriteBadRow(CsvWriter &out, std::string_view error) {
  for (const TResultField &field : ResultFields)
    out.Field(field.Get == FieldGetters::ErrorOf ? error : std::string_view());
  out.EndRow();
}

// The --keep cells start every output row, failing or not, as they were;
// a cell that is not text (the row's problem says so) is left empty.
void WriteKept(CsvWriter &out, const CsvRecord &record, const Layout &layout) {
  for (std::size_t p : layout.Keep) {
    const bool text = p < record.count && IsValidUtf8(record.Field(p));
    out.Field(text ? record.Field(p) : std::string_view());
  }
}

// The first cell holding text in a column the header leaves unnamed, or Absent.
std::size_t ValueWithoutName(const CsvRecord &record, const Layout &layout) {
  for (std::size_t i = layout.NamedCount; i < record.count; ++i)
    if (!ColumnKey(record.Field(i)).empty())
      return i;
  return Absent;
}

// Why the row cannot be calculated at all, or "" when it can.
std::string RowProblem(const CsvRecord &record, const Layout &layout) {
  if (!record.problem.empty())
    return record.problem;
  if (record.count != layout.FieldCount)
    return "expected " + std::to_string(layout.FieldCount) + " fields, found " +
           std::to_string(record.count);
  if (std::size_t p = ValueWithoutName(record, layout); p != Absent)
    return "column " + std::to_string(p + 1) + " holds a value but has no name in the header";
  return {};
}

// Calculates one row and writes its result; true when the row succeeded.
bool ProcessRow(const CsvRecord &record, const Layout &layout, CsvWriter &out, RowCells &cells) {
  WriteKept(out, record, layout);
  std::string problem = RowProblem(record, layout);
  if (!problem.empty()) {
    WriteBadRow(out, problem);
    return false;
  }
  // Without a mode column every row is a distance row.
  const std::string_view mode =
      layout.Position[ColMode] == Absent ? "distance" : record.Field(layout.Position[ColMode]);
  TDirection direction;
  if (!DirectionFromName(mode, direction)) {
    // Not echoed in the mode field, where a text such as "=1+1" would open
    // as a formula in a spreadsheet; the message starts with a letter.
    WriteBadRow(out, "unknown mode " + Quoted(mode) + " (expected distance or emission)");
    return false;
  }
  const TCase c = ComputeCase(direction, InputsFromRow(record, layout, direction, cells));
  WriteResultRow(out, c);
  return c.Error.empty();
}

int Fail(std::FILE *err, const std::string &message) {
  std::fprintf(err, "kestrin-cli: %s\n", message.c_str());
  return ExitUsage;
}

} // namespace

int RunBatch(std::FILE *in, std::FILE *out, std::FILE *err, const BatchOptions &options) {
  CsvWriter writer(out);
  // A row typed or piped in is answered before the next one is awaited.
  CsvReader reader(in, [&writer] { writer.Flush(); });
  CsvRecord record;
  TRecordDecoder decoder(options.Encoding);
  if (!reader.Next(record))
    return Fail(err,
                reader.ReadFailed() ? "cannot read the input" : "the input has no header line");
  decoder.Decode(record);
  Layout layout;
  std::string problem = ReadLayout(record, options.Keep, layout);
  if (!problem.empty())
    return Fail(err, problem);

  if (options.Bom) // before anything the writer has buffered
    std::fputs("\xEF\xBB\xBF", out);
  WriteKept(writer, record, layout);
  for (const TResultField &field : ResultFields)
    writer.Field(field.Name);
  writer.EndRow();
  bool allSucceeded = true;
  RowCells cells;
  // Stops at the first failed write: the rest could not be delivered.
  while (!writer.Failed() && reader.Next(record)) {
    decoder.Decode(record);
    allSucceeded &= ProcessRow(record, layout, writer, cells);
  }
  if (!writer.Flush())
    return Fail(err, "cannot write the output");
  if (reader.ReadFailed())
    return Fail(err, "cannot read the input to its end");
  if (reader.Stopped())
    return Fail(err, "stopped at a record longer than " +
                         std::to_string(CsvReader::MaxRecordBytes) +
                         " bytes; the rest of the input was not read");
  return allSucceeded ? ExitOk : ExitFailure;
}
