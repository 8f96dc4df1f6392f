#include "batch.h"

#include <chrono>
#include <string>
#include <string_view>

#include "formats.h"
#include "inputs.h"
#include "json.h"
#include "platform.h"

namespace {

// The look-ahead that decides the encoding: at most this many records and
// bytes, and only records that start in input already read in (it never
// waits for more).
constexpr std::size_t LookAheadRecords = 1000, LookAheadBytes = 1 << 20;

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

// ---- The three output formats ------------------------------------------------

// The row's fields as the computation left them, or, for a row that could
// not be computed at all, only why, in the error field. The --keep cells
// come first.
void WriteCsvRow(CsvWriter &out, const TBatchRow &row) {
  for (const std::string &cell : row.Kept)
    out.Field(cell);
  for (const TResultField &field : ResultFields) {
    if (!row.Problem.empty())
      out.Field(field.Get == FieldGetters::ErrorOf ? row.Problem : std::string_view());
    else
      out.Field(FieldText(field.Get(row.Case)));
  }
  out.EndRow();
}

// One line: the input line, the --keep cells by name, then the case's fields.
std::string JsonLine(const TBatchRow &row, const Layout &layout, const CsvRecord &header) {
  Json j;
  j["line"] = row.Line;
  Json labels = Json::object();
  for (std::size_t k = 0; k < row.Kept.size(); ++k)
    labels[std::string(header.Field(layout.Keep[k]))] = row.Kept[k];
  j["labels"] = labels;
  if (!row.Problem.empty())
    j["error"] = row.Problem;
  else
    j.update(CaseJsonObject(row.Case));
  return j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

// The row's labels ("车间A · 甲苯"), or its line when it has none.
std::string RowTitle(const TBatchRow &row) {
  std::string title;
  for (const std::string &cell : row.Kept)
    if (!cell.empty())
      title += (title.empty() ? "" : " · ") + cell;
  return title.empty() ? "第 " + std::to_string(row.Line) + " 行" : title;
}

// A section per row: the record under a title of the row's labels.
std::string RecordSection(const TBatchRow &row) {
  const std::string title = "# " + RowTitle(row) + "\n\n";
  if (!row.Problem.empty() || !row.Case.Error.empty())
    return title + "第 " + std::to_string(row.Line) + " 行计算失败：" +
           (row.Problem.empty() ? row.Case.Error : row.Problem) + "\n";
  CalcInputs given;
  given.Radius = row.HasRadius ? &row.Radius : nullptr;
  given.Area = row.HasArea ? &row.Area : nullptr;
  // The row's own record, its headings one level down.
  std::string record = CaseRecord(row.Case, given, std::nullopt);
  std::string out = title;
  for (std::size_t start = 0; start < record.size();) {
    std::size_t end = record.find('\n', start);
    end = end == std::string::npos ? record.size() : end + 1;
    out += (record[start] == '#' ? "#" : "") + record.substr(start, end - start);
    start = end;
  }
  return out;
}

void WriteText(std::FILE *out, const std::string &text, bool &failed) {
  failed |= std::fwrite(text.data(), 1, text.size(), out) != text.size();
}

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

int Fail(std::FILE *err, const std::string &message) {
  std::fprintf(err, "kestrin-cli: %s\n", message.c_str());
  return ExitUsage;
}

TBatchInput::TBatchInput(std::FILE *in, const BatchOptions &options,
                         std::function<void()> beforeWait)
    : FReader(in, std::move(beforeWait)), FDecoder(options.Encoding), FOptions(options) {}

bool TBatchInput::Open() {
  if (!FReader.Next(FHeader)) {
    FProblem = FReader.ReadFailed() ? "cannot read the input" : "the input has no header line";
    return false;
  }
  if (FReader.Mark() == TByteOrderMark::Utf16) {
    FProblem = "the input is UTF-16 text (a spreadsheet's \"Unicode text\", tab-separated), "
               "not CSV; save it as CSV (comma-separated), in UTF-8 or GB18030";
    return false;
  }
  FDecoder.UseMark(FReader.Mark());
  FDecoder.Weigh(FHeader);
  std::size_t bytes = 0;
  while (FAhead.size() < LookAheadRecords && bytes < LookAheadBytes && FReader.AtHand()) {
    CsvRecord record;
    if (!FReader.Next(record))
      break;
    bytes += record.text.size();
    FDecoder.Weigh(record);
    FAhead.emplace_back(std::move(record), FReader.Line());
  }
  FDecoder.Decode(FHeader);
  FProblem = ReadLayout(FHeader, FOptions.Keep, FLayout);
  return FProblem.empty();
}

bool TBatchInput::Read(CsvRecord &record, std::size_t &line) {
  if (!FAhead.empty()) {
    record = std::move(FAhead.front().first);
    line = FAhead.front().second;
    FAhead.pop_front();
    return true;
  }
  if (!FReader.Next(record)) {
    if (FReader.ReadFailed())
      FProblem = "cannot read the input to its end";
    else if (FReader.Stopped())
      FProblem = "stopped at a record longer than " + std::to_string(CsvReader::MaxRecordBytes) +
                 " bytes; the rest of the input was not read";
    return false;
  }
  line = FReader.Line();
  return true;
}

bool TBatchInput::Next(TBatchRow &row) {
  while (Read(FRecord, row.Line)) {
    FDecoder.Decode(FRecord);
    if (IsBlankRecord(FRecord)) {
      ++FSkipped;
      continue;
    }
    // The --keep cells, as they were; a cell that is not text (the row's
    // problem says so) is left empty.
    row.Kept.clear();
    for (std::size_t p : FLayout.Keep) {
      const bool text = p < FRecord.count && IsValidUtf8(FRecord.Field(p));
      row.Kept.emplace_back(text ? FRecord.Field(p) : std::string_view());
    }
    Compute(FRecord, FLayout, FCells, row);
    return true;
  }
  return false;
}

void TBatchInput::NoteSkipped(std::FILE *err) const {
  if (FSkipped > 0)
    std::fprintf(err, "kestrin-cli: skipped %s empty row%s\n", std::to_string(FSkipped).c_str(),
                 FSkipped == 1 ? "" : "s");
}

TProgress::TProgress(std::FILE *err) : FErr(IsTerminal(err) ? err : nullptr), FStart(Seconds()) {}

TProgress::~TProgress() {
  if (FShown)
    std::fputs("\n", FErr);
}

// Shown after the first second, then twice a second.
void TProgress::Row() {
  ++FRows;
  if (!FErr || FRows % 256 != 0)
    return;
  const double now = Seconds();
  if (now - FStart < 1 || now - FLastShown < 0.5)
    return;
  FLastShown = now;
  FShown = true;
  const std::string text = "\rkestrin-cli: " + std::to_string(FRows) + " rows, " +
                           std::to_string(static_cast<long long>(FRows / (now - FStart))) +
                           " rows/s ";
  std::fputs(text.c_str(), FErr);
  std::fflush(FErr);
}

int RunBatch(std::FILE *in, std::FILE *out, std::FILE *err, const BatchOptions &options) {
  CsvWriter writer(out);
  bool failed = false;
  // A row typed or piped in is answered before the next one is awaited.
  TBatchInput input(in, options, [&] {
    writer.Flush();
    failed |= std::fflush(out) != 0;
  });
  if (!input.Open())
    return Fail(err, input.Problem());
  if (options.Bom) // before anything the writer has buffered
    std::fputs("\xEF\xBB\xBF", out);
  if (options.Format == TBatchFormat::Csv) {
    for (std::size_t p : input.Columns().Keep)
      writer.Field(input.Header().Field(p));
    for (const TResultField &field : ResultFields)
      writer.Field(field.Name);
    writer.EndRow();
  }
  bool allSucceeded = true;
  bool firstSection = true;
  TBatchRow row;
  {
    TProgress progress(err);
    // Stops at the first failed write: the rest could not be delivered.
    while (!writer.Failed() && !failed && input.Next(row)) {
      allSucceeded &= row.Problem.empty() && row.Case.Error.empty();
      if (options.Format == TBatchFormat::Csv)
        WriteCsvRow(writer, row);
      else if (options.Format == TBatchFormat::Json)
        WriteText(out, JsonLine(row, input.Columns(), input.Header()), failed);
      else
        WriteText(out, (firstSection ? "" : "\n") + RecordSection(row), failed);
      firstSection = false;
      progress.Row();
    }
  }
  if (!writer.Flush() || failed || std::fflush(out) != 0)
    return Fail(err, "cannot write the output");
  input.NoteSkipped(err);
  if (!input.Problem().empty())
    return Fail(err, input.Problem());
  return allSucceeded ? ExitOk : ExitFailure;
}
