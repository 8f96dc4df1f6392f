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

constexpr std::size_t Absent = static_cast<std::size_t>(-1);

// Where each known column sits in the input records.
struct Layout {
  std::size_t Position[InputCount]; // by TColumn
  std::size_t FieldCount = 0;
  std::vector<std::size_t> Keep; // the --keep columns, in the order named
  std::size_t NamedCount = 0;    // columns from here on have no name
};

// A name in a message: 'name'.
std::string Quoted(std::string_view text);

// A header name as it is compared: without surrounding blanks (spaces,
// tabs, no-break and full-width spaces), ASCII in lower case (" Qe " and
// "qe" are one column).
std::string ColumnKey(std::string_view name);

// The input column (TColumn) a ColumnKey names, by its own name or an
// alias, or InputCount: "面积" -> ColArea, "备注" -> InputCount.
std::size_t KnownColumn(std::string_view key);

// Maps the header's names to columns; returns a message when it cannot.
// Names match ColumnKey to ColumnKey; `keep` holds the --keep names.
// Empty names are allowed only at the end of the header.
std::string ReadLayout(const CsvRecord &header, const std::vector<std::string> &keep,
                       Layout &layout);
