// Workbooks (.xlsx, Office Open XML): the cells of one worksheet as
// records, read with libzip and Qt's XML reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tabtext.h"

// The first four bytes of every zip archive, an .xlsx among them.
constexpr std::string_view ZipSignature = {"PK\x03\x04", 4};

// Reads the worksheet named `sheet` (the first when empty) of the workbook
// held in `bytes`: a record per row that holds a cell, its line the row's
// number, all of a width (the last column holding a value). Shared and
// inline strings give their text, numbers the shortest text that reads back
// to the same double ("0.1"), TRUE/FALSE, errors as shown ("#DIV/0!"); a
// merged range keeps its value in its first cell, the others are empty.
// Each part is read up to a fixed size, so a small archive that unpacks to
// gigabytes is refused. False with `problem` when the workbook cannot be read.
bool XlsxRecords(std::string_view bytes, const std::string &sheet, TSheetRecords &records,
                 std::string &problem);

// The names of the workbook's sheets, in its order; false with `problem`
// when the workbook cannot be read.
bool XlsxSheetNames(std::string_view bytes, std::vector<std::string> &names, std::string &problem);
