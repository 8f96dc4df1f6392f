// The batch file's header line: which input column is which, which columns
// the user asked to keep, and which trailing columns have no name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "result.h"

// Header names besides the columns' own, as engineers write them; they
// match as any name does, ColumnKey to ColumnKey ("S" is "s").
struct THeaderAlias {
  std::string_view Name, Column;
};
constexpr THeaderAlias HeaderAliases[] = {
    {"模式", "mode"},        {"计算模式", "mode"},
    {"S", "area"},           {"面积", "area"},
    {"占地面积", "area"},    {"r", "radius"},
    {"半径", "radius"},      {"等效半径", "radius"},
    {"浓度限值", "cm"},      {"标准浓度限值", "cm"},
    {"V", "wind"},           {"风速", "wind"},
    {"平均风速", "wind"},    {"类别", "class"},
    {"污染源类别", "class"}, {"Qc", "qe"},
    {"排放速率", "qe"},      {"源强", "qe"},
    {"排放量", "qe"},        {"L", "distance"},
    {"距离", "distance"},    {"卫生防护距离", "distance"},
};

// The units an input column's header name may give after the name, in
// brackets or after a blank (面积（m²）, 源强 kg/h), as ColumnKey spells
// them. A numeric column whose name gives any other unit (排放量（t/a）)
// is refused: its numbers would be read in the wrong unit.
struct TColumnUnit {
  TColumn Column;
  std::string_view Spelling;
};
constexpr TColumnUnit ColumnUnits[] = {
    {ColArea, "m²"},     {ColArea, "m2"},      {ColArea, "m^2"},     {ColArea, "㎡"},
    {ColArea, "平方米"}, {ColRadius, "m"},     {ColRadius, "米"},    {ColCm, "mg/m³"},
    {ColCm, "mg/m3"},    {ColCm, "mg/m^3"},    {ColWind, "m/s"},     {ColWind, "米/秒"},
    {ColQe, "kg/h"},     {ColQe, "千克/小时"}, {ColQe, "公斤/小时"}, {ColDistance, "m"},
    {ColDistance, "米"},
};

// Columns engineers keep beside the inputs that no calculation uses (a row
// number, a remark): read past, and named in the report's notes. Matched
// by ColumnKey, with or without a bracketed addition (备注（单位）).
constexpr std::string_view UnusedColumns[] = {"序号",    "编号", "备注", "说明", "备考",
                                              "注",      "no",   "no.",  "#",    "remark",
                                              "remarks", "note", "notes"};

constexpr std::size_t Absent = static_cast<std::size_t>(-1);

// Where each known column sits in the input records.
struct Layout {
  std::size_t Position[InputCount]; // by TColumn
  std::size_t FieldCount = 0;
  std::vector<std::size_t> Keep;   // the --keep columns, in the order named
  std::vector<std::size_t> Unused; // columns of UnusedColumns, read past
  std::size_t NamedCount = 0;      // columns from here on have no name
};

// A name in a message: 'name'.
std::string Quoted(std::string_view text);

// A cell's text without the blanks a spreadsheet cell may carry around it
// (spaces, tabs, no-break and full-width spaces): what a label is.
std::string_view TrimBlanks(std::string_view text);

// A header name as it is compared: TrimBlanks, ASCII in lower case (" Qe "
// and "qe" are one column).
std::string ColumnKey(std::string_view name);

// What ReadLayout makes of a header name: the input column (TColumn) it
// names, by its own name or an alias, a fitting unit after it allowed, or
// InputCount ("面积（m²）" -> ColArea, "备注" -> InputCount); and whether it
// is one of UnusedColumns, read past.
std::size_t HeaderColumn(std::string_view name);
bool IsUnusedColumn(std::string_view name);

// Maps the header's names to columns; returns a message when it cannot.
// Names match ColumnKey to ColumnKey, a unit after the name allowed (see
// ColumnUnits); `keep` holds the --keep names, which any column may have.
// UnusedColumns are read past. Empty names are allowed only at the end of
// the header.
std::string ReadLayout(const CsvRecord &header, const std::vector<std::string> &keep,
                       Layout &layout);
