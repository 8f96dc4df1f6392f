#include "batch.h"

#include <string>
#include <string_view>

#include "csv.h"
#include "inputs.h"

namespace {

enum Column {
  ColMode,
  ColArea,
  ColRadius,
  ColCm,
  ColWind,
  ColClass,
  ColQe,
  ColDistance,
  ColumnCount
};

constexpr std::string_view InputColumns[ColumnCount] = {"mode", "area",  "radius", "cm",
                                                        "wind", "class", "qe",     "distance"};

constexpr std::string_view OutputColumns[] = {
    "mode", "area",          "radius",    "cm",        "wind",       "class",
    "qe",   "distance",      "graded",    "a",         "b",          "c",
    "d",    "distance_band", "wind_band", "wind_flag", "iterations", "error"};

constexpr std::size_t Absent = static_cast<std::size_t>(-1);

// Where each known column sits in the input records.
struct Layout {
  std::size_t Position[ColumnCount];
  std::size_t FieldCount = 0;
};

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// Maps the header's names to columns; returns a message when it cannot.
std::string ReadLayout(const CsvRecord &header, Layout &layout) {
  if (!header.problem.empty())
    return "bad header: " + header.problem;
  for (std::size_t &p : layout.Position)
    p = Absent;
  layout.FieldCount = header.count;
  for (std::size_t i = 0; i < header.count; ++i) {
    std::string_view name = header.Field(i);
    std::size_t column = 0;
    while (column < ColumnCount && InputColumns[column] != name)
      ++column;
    if (column == ColumnCount)
      return "unknown column " + Quoted(name) +
             " in the header (known: mode, area, radius, cm, wind, class, qe, distance)";
    if (layout.Position[column] != Absent)
      return "column " + Quoted(name) + " appears twice in the header";
    layout.Position[column] = i;
  }
  if (layout.Position[ColMode] == Absent)
    return "the header has no 'mode' column";
  return {};
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

// Calculates one row and writes its result; true when the row succeeded.
bool ProcessRow(const CsvRecord &record, const Layout &layout, CsvWriter &out) {
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

int RunBatch(std::FILE *in, std::FILE *out, std::FILE *err) {
  CsvReader reader(in);
  CsvRecord record;
  if (!reader.Next(record))
    return Fail(err,
                reader.ReadFailed() ? "cannot read the input" : "the input has no header line");
  Layout layout;
  std::string problem = ReadLayout(record, layout);
  if (!problem.empty())
    return Fail(err, problem);

  CsvWriter writer(out);
  for (std::string_view name : OutputColumns)
    writer.Field(name);
  writer.EndRow();
  bool allSucceeded = true;
  while (reader.Next(record))
    allSucceeded &= ProcessRow(record, layout, writer);
  if (!writer.Flush())
    return Fail(err, "cannot write the output");
  if (reader.ReadFailed())
    return Fail(err, "cannot read the input to its end");
  return allSucceeded ? ExitOk : ExitFailure;
}
