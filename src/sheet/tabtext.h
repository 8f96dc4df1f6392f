// Sheets that arrive whole rather than as a CSV stream: a range copied from
// a spreadsheet (tab-separated Unicode text), the same text saved as a file
// ("Unicode text", UTF-16), and workbooks (xlsx.h). Their records are UTF-8.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "csv.h"

// Records with the line (or the spreadsheet's row) each came from.
using TSheetRecords = std::deque<std::pair<CsvRecord, std::size_t>>;

// Tab-separated text as spreadsheet programs copy a range: a tab between
// cells, CRLF, LF or CR between rows, empty lines skipped. A cell holding a
// line break, a tab or a double quote comes in double quotes with "" for a
// quote; a cell that only starts with a quote is taken as it stands:
//   "a\tb\r\nc\td\r\n"      -> [a, b] [c, d]
//   "\"x\r\ny\"\t1\n"        -> [x\r\ny, 1]
//   "\"5\" pipe\t1"          -> ["5" pipe, 1]
TSheetRecords TabTextRecords(std::string_view text);

// UTF-16 text with its byte-order mark (FF FE little-endian, FE FF
// big-endian) as UTF-8, without the mark; false for anything else (no mark,
// an odd length, a lone surrogate).
bool Utf16ToUtf8(std::string_view bytes, std::string &out);
