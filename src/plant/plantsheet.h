// The plant as the window holds it: the sheet's cells as the user sees and
// edits them and what each column is taken for; its rows and units are
// computed by the report's own reading and roll-up, never by the window.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "plantreport.h"
#include "tabtext.h"

// What a column holds, decided by its header name.
enum class TColumnRole { Input, Unit, Pollutant, Other };

// The names a column may be given from the window's list, in its order; the
// input columns by the aliases the batch tool knows.
inline const char *const UnitColumnName = "生产单元";
inline const char *const PollutantColumnName = "污染物";
inline const char *const AssignableNames[] = {"生产单元", "污染物",   "模式", "面积", "等效半径",
                                              "标准浓度限值", "平均风速", "类别", "源强", "距离"};

struct TPlantSheet {
  std::vector<std::string> Names;              // the header, a name per column
  std::vector<std::vector<std::string>> Cells; // the rows, each as wide as Names
  std::vector<std::size_t> Lines;              // each row's line in its source

  // The records' first one is the header; rows are made as wide as the widest.
  static TPlantSheet FromRecords(TSheetRecords records);
  // Rows without a header: the columns get no names until assigned.
  static TPlantSheet WithoutHeader(TSheetRecords records);
  // Appends rows, numbering their lines after the last.
  void AppendRows(const TSheetRecords &records);
  void AddRow();
  void RemoveRow(std::size_t row);

  TColumnRole Role(std::size_t column) const;
  // Gives a column a name from AssignableNames, or sets it aside: a name
  // that would make it a column of the calculation gets "不计入：" before it.
  void Assign(std::size_t column, const std::string &name);
  void SetAside(std::size_t column);
  // The column holding the units (or pollutants), or npos.
  std::size_t Find(TColumnRole role) const;
  // The sheet as CSV in UTF-8 with a byte-order mark, which spreadsheet
  // programs open as such and this window reads back to the same sheet.
  std::string CsvText() const;
};

// Whether a record reads as a header: some cell names a column.
bool LooksLikeHeader(const CsvRecord &record);

struct TPlantResult {
  std::string Problem; // why nothing could be computed (in Chinese), or ""
  bool Cancelled = false;
  TReportOptions Options;
  std::vector<TReportRow> Rows;
  std::vector<TUnitConclusion> Units;
};

// The report's options for the sheet: its unit, pollutant and other columns.
TReportOptions PlantReportOptions(const TPlantSheet &sheet);

// Computes every row and rolls the units up, as kestrin-cli report does
// with the same cells; `cancel` stops it between rows, `progress` hears of
// every row done. Runs on any thread.
TPlantResult ComputePlant(const TPlantSheet &sheet, const std::atomic<bool> &cancel,
                          const std::function<void(std::size_t done)> &progress);
