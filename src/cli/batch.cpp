#include "batch.h"

#include "document.h"

#include <chrono>
#include <string>
#include <string_view>

#include "formats.h"
#include "inputs.h"
#include "json.h"
#include "platform.h"

namespace {

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
  // Labels and messages as text: a line break or a "#" cannot open a heading.
  const std::string title = "# " + MarkdownText(RowTitle(row)) + "\n\n";
  if (!row.Problem.empty() || !row.Case.Error.empty())
    return title + "第 " + std::to_string(row.Line) + " 行计算失败：" +
           MarkdownText(row.Problem.empty() ? row.Case.Error : row.Problem) + "\n";
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
  if (const std::vector<std::string> unused = input.Unused(); !unused.empty()) {
    std::string names;
    for (const std::string &name : unused)
      names += (names.empty() ? "" : ", ") + name;
    std::fprintf(err, "kestrin-cli: columns not used: %s\n", names.c_str());
  }
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
