// The batch file's header line: which input column is which, which columns
// the user asked to keep, and which trailing columns have no name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "result.h"

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

// A header name as it is compared: without surrounding blanks, ASCII in
// lower case (" Qe " and "qe" are one column).
std::string ColumnKey(std::string_view name);

// Maps the header's names to columns; returns a message when it cannot.
// Names match ColumnKey to ColumnKey; `keep` holds the --keep names.
// Empty names are allowed only at the end of the header.
std::string ReadLayout(const CsvRecord &header, const std::vector<std::string> &keep,
                       Layout &layout);
