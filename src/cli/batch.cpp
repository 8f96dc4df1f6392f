#include "batch.h"

#include <string>
#include <string_view>

#include "csv.h"
#include "encoding.h"
#include "header.h"
#include "inputs.h"

namespace {

constexpr std::string_view OutputColumns[] = {
    "mode", "area",          "radius",    "cm",        "wind",       "class",
    "qe",   "distance",      "graded",    "a",         "b",          "c",
    "d",    "distance_band", "wind_band", "wind_flag", "iterations", "error"};

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

const std::string *Cell(const CsvRecord &record, const Layout &layout, Column column) {
  std::size_t p = layout.Position[column];
  if (p == Absent || record.fields[p].empty())
    return nullptr;
  return &record.fields[p];
}

CalcInputs InputsOf(const CsvRecord &record, const Layout &layout) {
  CalcInputs in;
  in.Area = Cell(record, layout, ColArea);
  in.Radius = Cell(record, layout, ColRadius);
  in.Cm = Cell(record, layout, ColCm);
  in.WindSpeed = Cell(record, layout, ColWind);
  in.SourceClass = Cell(record, layout, ColClass);
  in.Qe = Cell(record, layout, ColQe);
  in.Distance = Cell(record, layout, ColDistance);
  return in;
}

void WriteResultRow(CsvWriter &out, std::string_view mode, const TKestrin &calc,
                    std::string_view error) {
  out.Field(mode);
  for (double value : {calc.Area(), calc.Radius(), calc.Cm(), calc.WindSpeed()})
    out.Field(ValueToText(value));
  out.Field(SourceClassName(calc.SourceClass()));
  for (double value :
       {calc.Qe(), calc.Distance(), calc.GradedDistance(), calc.A(), calc.B(), calc.C(), calc.D()})
    out.Field(ValueToText(value));
  for (std::int32_t count :
       {calc.DistanceBand(), calc.WindBand(), calc.WindFlag(), calc.Iterations()})
    out.Field(CountToText(count));
  out.Field(error);
  out.EndRow();
}

// A row that could not be calculated at all: only the mode (when known) and why.
void WriteBadRow(CsvWriter &out, std::string_view mode, std::string_view error) {
  out.Field(mode);
  for (std::size_t i = 2; i < std::size(OutputColumns); ++i)
    out.Field({});
  out.Field(error);
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

// Calculates one row and writes its result; true when the row succeeded.
bool ProcessRow(const CsvRecord &record, const Layout &layout, CsvWriter &out) {
  WriteKept(out, record, layout);
  if (!record.problem.empty()) {
    WriteBadRow(out, {}, record.problem);
    return false;
  }
  if (record.count != layout.FieldCount) {
    WriteBadRow(out, {},
                "expected " + std::to_string(layout.FieldCount) + " fields, found " +
                    std::to_string(record.count));
    return false;
  }
  if (std::size_t p = ValueWithoutName(record, layout); p != Absent) {
    WriteBadRow(out, {},
                "column " + std::to_string(p + 1) + " holds a value but has no name in the header");
    return false;
  }
  std::string_view mode = record.Field(layout.Position[ColMode]);
  bool distance = mode == "distance";
  if (!distance && mode != "emission") {
    WriteBadRow(out, mode, "unknown mode " + Quoted(mode) + " (expected distance or emission)");
    return false;
  }
  TKestrin calc;
  try {
    ApplyInputs(calc, InputsOf(record, layout));
    if (distance)
      calc.CalcDistance();
    else
      calc.CalcEmission();
  } catch (const Exception &e) {
    // The row's report: its fields as the failure left them, and the message.
    InitNumericEnvironment();
    WriteResultRow(out, mode, calc, e.Message());
    return false;
  }
  WriteResultRow(out, mode, calc, {});
  return true;
}

int Fail(std::FILE *err, const std::string &message) {
  std::fprintf(err, "kestrin-cli: %s\n", message.c_str());
  return ExitUsage;
}

} // namespace

int RunBatch(std::FILE *in, std::FILE *out, std::FILE *err, const BatchOptions &options) {
  CsvReader reader(in);
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

  if (options.Bom)
    std::fputs("\xEF\xBB\xBF", out);
  CsvWriter writer(out);
  WriteKept(writer, record, layout);
  for (std::string_view name : OutputColumns)
    writer.Field(name);
  writer.EndRow();
  bool allSucceeded = true;
  while (reader.Next(record)) {
    decoder.Decode(record);
    allSucceeded &= ProcessRow(record, layout, writer);
  }
  if (!writer.Flush())
    return Fail(err, "cannot write the output");
  if (reader.ReadFailed())
    return Fail(err, "cannot read the input to its end");
  return allSucceeded ? ExitOk : ExitFailure;
}
