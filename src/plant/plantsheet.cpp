#include "plantsheet.h"

#include <algorithm>
#include <new>

#include "formats.h"
#include "header.h"
#include "reportsheet.h"

namespace {

// The names engineers give the label columns.
const char *const UnitNames[] = {"生产单元", "单元", "unit", "车间", "装置"};
const char *const PollutantNames[] = {"污染物", "pollutant", "污染物名称", "因子"};

template <std::size_t N> bool Among(const std::string &key, const char *const (&names)[N]) {
  return std::any_of(std::begin(names), std::end(names),
                     [&](const char *name) { return ColumnKey(name) == key; });
}

std::vector<std::string> Fields(const CsvRecord &record) {
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < record.count; ++i)
    fields.emplace_back(record.Field(i));
  return fields;
}

CsvRecord RecordOf(const std::vector<std::string> &fields) {
  CsvRecord record;
  for (const std::string &field : fields) {
    record.starts.push_back(static_cast<std::uint32_t>(record.text.size()));
    record.text += field;
  }
  record.count = fields.size();
  return record;
}

void Widen(TPlantSheet &sheet) {
  std::size_t width = sheet.Names.size();
  for (const auto &row : sheet.Cells)
    width = std::max(width, row.size());
  sheet.Names.resize(width);
  for (auto &row : sheet.Cells)
    row.resize(width);
}

} // namespace

bool LooksLikeHeader(const CsvRecord &record) {
  for (std::size_t i = 0; i < record.count; ++i) {
    const std::string key = ColumnKey(record.Field(i));
    if (!key.empty() &&
        (HeaderColumn(key) < InputCount || Among(key, UnitNames) || Among(key, PollutantNames)))
      return true;
  }
  return false;
}

TPlantSheet TPlantSheet::FromRecords(TSheetRecords records) {
  TPlantSheet sheet;
  if (records.empty())
    return sheet;
  sheet.Names = Fields(records.front().first);
  records.pop_front();
  sheet.AppendRows(records);
  for (std::size_t i = 0; i < records.size(); ++i)
    sheet.Lines[i] = records[i].second;
  return sheet;
}

TPlantSheet TPlantSheet::WithoutHeader(TSheetRecords records) {
  TPlantSheet sheet;
  sheet.AppendRows(records);
  return sheet;
}

void TPlantSheet::AppendRows(const TSheetRecords &records) {
  for (const auto &[record, line] : records) {
    Cells.push_back(Fields(record));
    Lines.push_back(Lines.empty() ? 2 : Lines.back() + 1);
  }
  Widen(*this);
}

void TPlantSheet::AddRow() {
  Cells.emplace_back(Names.size());
  Lines.push_back(Lines.empty() ? 2 : Lines.back() + 1);
}

void TPlantSheet::RemoveRow(std::size_t row) {
  Cells.erase(Cells.begin() + std::ptrdiff_t(row));
  Lines.erase(Lines.begin() + std::ptrdiff_t(row));
}

TColumnRole TPlantSheet::Role(std::size_t column) const {
  const std::string key = ColumnKey(Names[column]);
  if (key.empty())
    return TColumnRole::Other;
  if (HeaderColumn(key) < InputCount)
    return TColumnRole::Input;
  if (Among(key, UnitNames))
    return TColumnRole::Unit;
  return Among(key, PollutantNames) ? TColumnRole::Pollutant : TColumnRole::Other;
}

void TPlantSheet::Assign(std::size_t column, const std::string &name) {
  Names[column] = name;
}

void TPlantSheet::SetAside(std::size_t column) {
  if (ColumnKey(Names[column]).empty())
    Names[column] = "列" + std::to_string(column + 1);
  else if (Role(column) != TColumnRole::Other)
    Names[column] = "不计入：" + Names[column];
}

std::size_t TPlantSheet::Find(TColumnRole role) const {
  for (std::size_t i = 0; i < Names.size(); ++i)
    if (Role(i) == role)
      return i;
  return std::string::npos;
}

std::string TPlantSheet::CsvText() const {
  std::string text = "\xEF\xBB\xBF";
  const auto line = [&text](const std::vector<std::string> &fields) {
    for (std::size_t i = 0; i < fields.size(); ++i)
      text += (i ? "," : "") + CsvField(fields[i]);
    text += "\r\n";
  };
  line(Names);
  for (const auto &row : Cells)
    line(row);
  return text;
}

TReportOptions PlantReportOptions(const TPlantSheet &sheet) {
  TReportOptions options;
  for (std::size_t i = 0; i < sheet.Names.size(); ++i) {
    const TColumnRole role = sheet.Role(i);
    if (role == TColumnRole::Unit && options.Unit.empty())
      options.Unit = sheet.Names[i];
    else if (role == TColumnRole::Pollutant && options.Pollutant.empty())
      options.Pollutant = sheet.Names[i];
    else if (role != TColumnRole::Input && !ColumnKey(sheet.Names[i]).empty() &&
             !IsUnusedColumn(sheet.Names[i]))
      options.Keep.push_back(sheet.Names[i]);
  }
  options.Date = RecordDateNow();
  return options;
}

TPlantResult ComputePlant(const TPlantSheet &sheet, const std::atomic<bool> &cancel,
                          const std::function<void(std::size_t done)> &progress) {
  TPlantResult result;
  result.Options = PlantReportOptions(sheet);
  if (result.Options.Unit.empty()) {
    result.Problem = "没有生产单元列：请在“列”菜单中指定哪一列是生产单元。";
    return result;
  }
  try {
    TSheetRecords records;
    records.emplace_back(RecordOf(sheet.Names), 1);
    for (std::size_t i = 0; i < sheet.Cells.size(); ++i)
      records.emplace_back(RecordOf(sheet.Cells[i]), sheet.Lines[i]);
    TReportSheet input(std::move(records), result.Options);
    if (!input.Open()) {
      result.Problem = "表头无法使用：" + input.Input().Problem();
      return result;
    }
    result.Options = input.Options();
    for (TReportRow row; input.Next(row);) {
      if (cancel) {
        result.Cancelled = true;
        return result;
      }
      result.Rows.push_back(row);
      progress(result.Rows.size());
    }
    // As kestrin-cli report, no report of a header alone.
    if (result.Rows.empty())
      result.Problem = "表头下没有数据行。";
    result.Units = RollUp(result.Rows, result.Options.Raise);
  } catch (const std::bad_alloc &) {
    result = TPlantResult();
    result.Problem = "内存不足，无法计算。";
  }
  return result;
}
