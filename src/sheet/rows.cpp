#include "rows.h"

#include "xlsx.h"

#include <string>
#include <string_view>

namespace {

// The most held back undecoded while the text leaves the encoding
// undecided; past it the weighing ends.
constexpr std::size_t HoldBytes = 1 << 20;

// A cell's text; nullptr for an empty cell that leaves its input unset. An
// empty cell of a required input (or its column missing) gives the empty
// text, so its setter fails as an empty box does in the window.
const std::string *Cell(const CsvRecord &record, const Layout &layout, TColumn column,
                        bool required, TRowCells &cells) {
  std::size_t p = layout.Position[column];
  std::string &text = cells[column];
  text.assign(p == Absent ? std::string_view() : record.Field(p));
  return text.empty() && !required ? nullptr : &text;
}

// Required: cm, wind, class, and qe (distance) or distance (emission); the
// area unless a radius is given.
CalcInputs InputsFromRow(const CsvRecord &record, const Layout &layout, TDirection direction,
                         TRowCells &cells) {
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

bool IsBlankRecord(const CsvRecord &record) {
  for (std::size_t i = 0; i < record.count; ++i)
    if (!ColumnKey(record.Field(i)).empty())
      return false;
  return true;
}

// Computes a decoded row.
void Compute(const CsvRecord &record, const Layout &layout, TRowCells &cells, TBatchRow &row) {
  row.Problem = RowProblem(record, layout);
  row.Case = TCase();
  if (!row.Problem.empty())
    return;
  // Without a mode column every row is a distance row.
  const std::string_view mode =
      layout.Position[ColMode] == Absent ? "distance" : record.Field(layout.Position[ColMode]);
  TDirection direction;
  if (!DirectionFromName(mode, direction)) {
    // Not echoed in the mode field, where a text such as "=1+1" would open
    // as a formula in a spreadsheet; the message starts with a letter.
    row.Problem = "unknown mode " + Quoted(mode) + " (expected distance or emission)";
    return;
  }
  const CalcInputs inputs = InputsFromRow(record, layout, direction, cells);
  row.HasRadius = inputs.Radius != nullptr;
  row.HasArea = inputs.Area != nullptr;
  row.Radius = cells[ColRadius];
  row.Area = cells[ColArea];
  row.Case = ComputeCase(direction, inputs);
}

} // namespace

TBatchInput::TBatchInput(std::FILE *in, const TSheetOptions &options,
                         std::function<void()> beforeWait)
    : FReader(std::in_place, in, std::move(beforeWait)), FDecoder(options.Encoding),
      FOptions(options) {}

TBatchInput::TBatchInput(TSheetRecords records, const TSheetOptions &options)
    : FDecoder(TEncoding::Utf8), FOptions(options), FAhead(std::move(records)) {}

// UTF-16 text or a workbook, read whole into records.
bool TBatchInput::ReadWhole(bool workbook) {
  std::string bytes, text;
  if (!FReader->ReadRest(bytes, MaxWholeBytes)) {
    FProblem = FReader->ReadFailed() ? "cannot read the input"
                                     : "the input is longer than " +
                                           std::to_string(MaxWholeBytes >> 20) +
                                           " MiB, too long for a workbook or UTF-16 text";
    return false;
  }
  FReader.reset();
  FDecoder = TRecordDecoder(TEncoding::Utf8);
  if (workbook)
    return XlsxRecords(bytes, FOptions.Sheet, FAhead, FProblem);
  if (!Utf16ToUtf8(bytes, text)) {
    FProblem = "the input starts as UTF-16 text but is not UTF-16 throughout";
    return false;
  }
  FAhead = TabTextRecords(text);
  return true;
}

// Reads an input that is not CSV whole; false when that fails.
bool TBatchInput::Start() {
  if (!FReader)
    return true;
  const std::string_view start = FReader->Begin();
  const bool workbook = start.substr(0, ZipSignature.size()) == ZipSignature;
  return !(workbook || FReader->Mark() == TByteOrderMark::Utf16) || ReadWhole(workbook);
}

bool TBatchInput::ReadAll(TSheetRecords &records) {
  if (!Start())
    return false;
  if (FReader) {
    FDecoder.UseMark(FReader->Mark());
    for (CsvRecord record; FReader->Next(record);) {
      FDecoder.Weigh(record);
      FAhead.emplace_back(std::move(record), FReader->Line());
    }
    if (FReader->ReadFailed() || FReader->Stopped()) {
      FProblem = FReader->ReadFailed() ? "cannot read the input"
                                       : "stopped at a record longer than " +
                                             std::to_string(CsvReader::MaxRecordBytes) + " bytes";
      return false;
    }
    if (!FDecoder.Settle()) {
      FProblem = FDecoder.Problem();
      return false;
    }
  }
  for (auto &[record, line] : FAhead)
    FDecoder.Decode(record);
  records = std::move(FAhead);
  FAhead.clear();
  if (records.empty())
    FProblem = "the input has no header line";
  return !records.empty();
}

bool TBatchInput::Open() {
  if (!Start())
    return false;
  if (FReader ? !FReader->Next(FHeader) : FAhead.empty()) {
    FProblem = FReader && FReader->ReadFailed() ? "cannot read the input"
                                                : "the input has no header line";
    return false;
  }
  if (!FReader) {
    FHeader = std::move(FAhead.front().first);
    FAhead.pop_front();
  } else {
    FDecoder.UseMark(FReader->Mark());
    FDecoder.Weigh(FHeader);
    if (FDecoder.Pending() && !Decide())
      return false;
  }
  FDecoder.Decode(FHeader);
  FProblem = ReadLayout(FHeader, FOptions.Keep, FLayout);
  return FProblem.empty();
}

// Reads on, holding the records undecoded, until the text decides the
// encoding, the input ends or HoldBytes are held; only the bytes decide, so
// a row waits here only when the rows before it leave the encoding open.
bool TBatchInput::Decide() {
  std::size_t bytes = 0;
  CsvRecord record;
  while (FDecoder.Pending() && bytes < HoldBytes && FReader->Next(record)) {
    bytes += record.text.size();
    FDecoder.Weigh(record);
    FAhead.emplace_back(std::move(record), FReader->Line());
  }
  if (FDecoder.Settle())
    return true;
  FProblem = FDecoder.Problem();
  return false;
}

bool TBatchInput::Read(CsvRecord &record, std::size_t &line) {
  if (FAhead.empty()) {
    if (!FReader || !FReader->Next(record)) {
      if (FReader && FReader->ReadFailed())
        FProblem = "cannot read the input to its end";
      else if (FReader && FReader->Stopped())
        FProblem = "stopped at a record longer than " + std::to_string(CsvReader::MaxRecordBytes) +
                   " bytes; the rest of the input was not read";
      return false;
    }
    line = FReader->Line();
    FDecoder.Weigh(record);
    if (!FDecoder.Pending())
      return true;
    FAhead.emplace_back(std::move(record), line);
    if (!Decide())
      return false;
  }
  record = std::move(FAhead.front().first);
  line = FAhead.front().second;
  FAhead.pop_front();
  return true;
}

bool TBatchInput::Next(TBatchRow &row) {
  while (Read(FRecord, row.Line)) {
    FDecoder.Decode(FRecord);
    if (IsBlankRecord(FRecord)) {
      ++FSkipped;
      continue;
    }
    // The --keep cells without surrounding blanks ("储罐区 " is 储罐区); a
    // cell that is not text (the row's problem says so) is left empty.
    row.Kept.clear();
    for (std::size_t p : FLayout.Keep) {
      const bool text = p < FRecord.count && IsValidUtf8(FRecord.Field(p));
      row.Kept.emplace_back(text ? TrimBlanks(FRecord.Field(p)) : std::string_view());
    }
    Compute(FRecord, FLayout, FCells, row);
    return true;
  }
  return false;
}

std::vector<std::string> TBatchInput::Unused() const {
  std::vector<std::string> names;
  for (std::size_t p : FLayout.Unused)
    names.emplace_back(TrimBlanks(FHeader.Field(p)));
  return names;
}

void TBatchInput::NoteSkipped(std::FILE *err) const {
  if (FSkipped > 0)
    std::fprintf(err, "kestrin-cli: skipped %s empty row%s\n", std::to_string(FSkipped).c_str(),
                 FSkipped == 1 ? "" : "s");
}
