#include "csv.h"
#include "tabtext.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace {

// What the reader made of one record: its fields, or its problem.
struct Parsed {
  std::vector<std::string> Fields;
  std::string Problem;
  bool operator==(const Parsed &o) const { return Fields == o.Fields && Problem == o.Problem; }
};

std::ostream &operator<<(std::ostream &os, const Parsed &p) {
  os << "[";
  for (const std::string &f : p.Fields)
    os << "<" << f << ">";
  return os << "] " << p.Problem;
}

std::FILE *FileWith(const std::string &bytes) {
  std::FILE *f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

std::vector<Parsed> ReadAll(const std::string &bytes) {
  std::FILE *f = FileWith(bytes);
  CsvReader reader(f);
  CsvRecord record;
  std::vector<Parsed> out;
  while (reader.Next(record)) {
    Parsed p;
    for (std::size_t i = 0; i < record.count; ++i)
      p.Fields.emplace_back(record.Field(i));
    p.Problem = record.problem;
    out.push_back(p);
  }
  EXPECT_FALSE(reader.ReadFailed());
  std::fclose(f);
  return out;
}

Parsed Ok(std::vector<std::string> fields) {
  return {std::move(fields), ""};
}

struct ReaderCase {
  const char *Name;
  std::string Input;
  std::vector<Parsed> Expected;
};

const std::string Unclosed = "a quoted field is not closed";
const std::string QuoteInside = "a double quote inside an unquoted field";
const std::string AfterQuote = "text after the closing double quote of a field";

const ReaderCase ReaderCases[] = {
    {"plain", "a,b\nc,d\n", {Ok({"a", "b"}), Ok({"c", "d"})}},
    {"no_final_newline", "a,b", {Ok({"a", "b"})}},
    {"crlf", "a,b\r\nc\r\n", {Ok({"a", "b"}), Ok({"c"})}},
    {"bom", "\xEF\xBB\xBFmode,qe\n", {Ok({"mode", "qe"})}},
    {"gb18030_bom", std::string("\x84\x31\x95\x33mode,qe\n"), {Ok({"mode", "qe"})}},
    {"bom_only_at_start",
     "a\n\xEF\xBB\xBF"
     "b\n",
     {Ok({"a"}), Ok({"\xEF\xBB\xBF"
                     "b"})}},
    {"blank_lines_skipped", "a\n\n\r\nb\n\n", {Ok({"a"}), Ok({"b"})}},
    {"empty_fields", ",\n,,x\n", {Ok({"", ""}), Ok({"", "", "x"})}},
    {"quoted_empty_is_a_record", "\"\"\n", {Ok({""})}},
    {"quoted_comma", "\"a,b\",c\n", {Ok({"a,b", "c"})}},
    {"doubled_quote", "\"say \"\"hi\"\"\"\n", {Ok({"say \"hi\""})}},
    {"line_break_in_quotes", "\"1\n2\",x\n", {Ok({"1\n2", "x"})}},
    {"crlf_kept_in_quotes", "\"1\r\n2\"\r\n", {Ok({"1\r\n2"})}},
    {"cr_line_ends", "a,b\rc\r", {Ok({"a", "b"}), Ok({"c"})}},
    {"cr_kept_in_quotes", "\"1\r2\"\rx\n", {Ok({"1\r2"}), Ok({"x"})}},
    {"spaces_kept", " a , b \n", {Ok({" a ", " b "})}},
    {"quote_inside_unquoted", "a\"b,c\nd\n", {{{"a\"b", "c"}, QuoteInside}, Ok({"d"})}},
    {"text_after_closing_quote", "\"a\"b,c\nd\n", {{{"ab", "c"}, AfterQuote}, Ok({"d"})}},
    {"unclosed_quote", "x,\"abc\n", {{{"x", "abc\n"}, Unclosed}}},
    {"empty_input", "", {}},
};

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, Records) {
  EXPECT_EQ(ReadAll(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Csv, ReaderTest, testing::ValuesIn(ReaderCases),
                         [](const testing::TestParamInfo<ReaderCase> &info) {
                           return info.param.Name;
                         });

// The line each record starts on, and the byte-order mark seen.
TEST(CsvReader, LinesAndMarks) {
  const std::tuple<const char *, std::string, std::vector<std::size_t>, TByteOrderMark> cases[] = {
      {"lf", "a\nb\n", {1, 2}, TByteOrderMark::None},
      {"crlf_and_blank_lines", "a\r\n\r\n\r\nb\r\n", {1, 4}, TByteOrderMark::None},
      {"cr", "a\rb\r\rc", {1, 2, 4}, TByteOrderMark::None},
      {"breaks_in_quotes", "\"1\r\n2\n3\",x\ny\n", {1, 4}, TByteOrderMark::None},
      {"utf8_bom",
       "\xEF\xBB\xBF"
       "a\nb\n",
       {1, 2},
       TByteOrderMark::Utf8},
      {"gb18030_bom",
       "\x84\x31\x95\x33"
       "a\n",
       {1},
       TByteOrderMark::Gb18030},
      {"utf16_kept",
       "\xFF\xFE"
       "a",
       {1},
       TByteOrderMark::Utf16},
  };
  for (const auto &[name, input, lines, mark] : cases) {
    std::FILE *f = FileWith(input);
    CsvReader reader(f);
    CsvRecord record;
    std::vector<std::size_t> got;
    while (reader.Next(record))
      got.push_back(reader.Line());
    EXPECT_EQ(got, lines) << name;
    EXPECT_EQ(reader.Mark(), mark) << name;
    std::fclose(f);
  }
}

// A CRLF or a quoted field split across two refills of the reader's
// buffer must read as if it were not: the split is placed at every
// power-of-two boundary below the record limit, whatever the buffer's size.
TEST(CsvReader, RecordsAcrossBufferRefills) {
  for (std::size_t boundary = 1 << 10; boundary < CsvReader::MaxRecordBytes; boundary <<= 1) {
    SCOPED_TRACE(boundary);
    std::string filler(boundary - 3, 'x');
    std::vector<Parsed> crlf = ReadAll(filler + ",\r\n" + "next\r\n");
    EXPECT_EQ(crlf, (std::vector<Parsed>{Ok({filler, ""}), Ok({"next"})}));
    std::vector<Parsed> quoted = ReadAll(filler + ",\"a\"\"b\",c\n");
    EXPECT_EQ(quoted, (std::vector<Parsed>{Ok({filler, "a\"b", "c"})}));
  }
}

// Memory must not grow with a record: an overlong one becomes a problem row
// and reading stops there, so an endless line ends too. A record of exactly
// the limit is read whole.
TEST(CsvReader, OverlongRecordsAreReportedNotHeld) {
  const std::size_t limit = CsvReader::MaxRecordBytes;
  struct Row {
    const char *name;
    std::string input;
    bool stopped;
  } rows[] = {
      {"long field", std::string(limit + 1, 'x') + "\nnext\n", true},
      {"many commas", std::string(limit + 1, ',') + "\nnext\n", true},
      {"long quoted field", "\"" + std::string(limit, 'x') + "\"\nnext\n", true},
      {"exactly the limit", std::string(limit, 'x') + "\r\nnext\n", false},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    std::FILE *f = FileWith(row.input);
    CsvReader reader(f);
    CsvRecord record;
    ASSERT_TRUE(reader.Next(record));
    EXPECT_EQ(record.problem, row.stopped ? "record longer than 1048576 bytes" : "");
    EXPECT_LE(record.text.size(), limit);
    EXPECT_LE(record.count, limit + 1);
    EXPECT_EQ(reader.Stopped(), row.stopped);
    EXPECT_EQ(reader.Next(record), !row.stopped);
    std::fclose(f);
  }
}

// The memory held is that of the longest record, not of every field
// position ever used: ragged rows with a long field one column further each
// time keep the record's text at one field's size.
TEST(CsvReader, RaggedRowsDoNotPileUp) {
  std::string input;
  const std::string longField(1000, 'x');
  for (int row = 0; row < 50; ++row)
    input += std::string(row, ',') + longField + "\n";
  std::FILE *f = FileWith(input);
  CsvReader reader(f);
  CsvRecord record;
  std::size_t most = 0;
  while (reader.Next(record))
    most = std::max(most, record.text.capacity());
  EXPECT_LT(most, 2 * longField.size());
  std::fclose(f);
}

std::string Written(const std::vector<std::vector<std::string>> &rows) {
  std::FILE *f = std::tmpfile();
  {
    CsvWriter writer(f);
    for (const auto &row : rows) {
      for (const std::string &field : row)
        writer.Field(field);
      writer.EndRow();
    }
  }
  std::rewind(f);
  std::string out;
  char buf[256];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
    out.append(buf, n);
  std::fclose(f);
  return out;
}

TEST(CsvWriter, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(Written({{"plain", "a,b", "say \"hi\"", "line\nbreak", "cr\r", "", " sp "}}),
            "plain,\"a,b\",\"say \"\"hi\"\"\",\"line\nbreak\",\"cr\r\",, sp \n");
}

TEST(CsvWriter, WhatItWritesReadsBack) {
  const std::vector<std::vector<std::string>> rows = {
      {"'1,5' is not a valid floating point value", "x"},
      {"\"", "\"\"", ",", "\r\n", "\n\n"},
      {"", ""},
  };
  std::vector<Parsed> back = ReadAll(Written(rows));
  ASSERT_EQ(back.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(back[i], Ok(rows[i]));
}

} // namespace

namespace {

// Tab-separated text as a copied range: each record's fields and line.
struct TabCase {
  const char *Name;
  std::string Input;
  std::vector<std::pair<std::vector<std::string>, std::size_t>> Expected;
};

const TabCase TabCases[] = {
    {"crlf_rows", "a\tb\r\nc\td\r\n", {{{"a", "b"}, 1}, {{"c", "d"}, 2}}},
    {"lf_and_cr_rows", "a\nb\rc", {{{"a"}, 1}, {{"b"}, 2}, {{"c"}, 3}}},
    {"empty_lines_skipped", "\r\na\r\n\r\n", {{{"a"}, 2}}},
    {"empty_cells_kept", "\t\tx\n", {{{"", "", "x"}, 1}}},
    {"quoted_line_break", "\"x\r\ny\"\t1\nz\n", {{{"x\r\ny", "1"}, 1}, {{"z"}, 3}}},
    {"quoted_tab_and_quote", "\"a\tb \"\"c\"\"\"\n", {{{"a\tb \"c\""}, 1}}},
    {"leading_quote_taken_as_is", "\"5\" pipe\t1", {{{"\"5\" pipe", "1"}, 1}}},
    {"unclosed_quote_taken_as_is", "\"ab\tc", {{{"\"ab", "c"}, 1}}},
};

class TabTextTest : public testing::TestWithParam<TabCase> {};

TEST_P(TabTextTest, Records) {
  std::vector<std::pair<std::vector<std::string>, std::size_t>> got;
  for (const auto &[record, line] : TabTextRecords(GetParam().Input)) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.count; ++i)
      fields.emplace_back(record.Field(i));
    got.emplace_back(fields, line);
  }
  EXPECT_EQ(got, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Tab, TabTextTest, testing::ValuesIn(TabCases),
                         [](const testing::TestParamInfo<TabCase> &info) {
                           return info.param.Name;
                         });

TEST(Utf16ToUtf8, MarksPairsAndMalformedText) {
  const struct {
    std::string Bytes;
    bool Ok;
    std::string Text;
  } cases[] = {
      {{"\xFF\xFE" "a\0\x66\x8F", 6}, true, "a\xE8\xBD\xA6"},  // a车, little-endian
      {{"\xFE\xFF\0a\x8F\x66", 6}, true, "a\xE8\xBD\xA6"},     // big-endian
      {{"\xFF\xFE\x3D\xD8\x00\xDE", 6}, true, "\xF0\x9F\x98\x80"}, // a surrogate pair
      {{"\xFF\xFE\x3D\xD8", 4}, false, ""},                    // a lone high surrogate
      {{"\xFF\xFE\x00\xDE", 4}, false, ""},                    // a lone low surrogate
      {{"\xFF\xFE" "a", 3}, false, ""},                          // an odd length
      {{"a\0b\0", 4}, false, ""},                                // no mark
  };
  for (const auto &c : cases) {
    std::string out;
    EXPECT_EQ(Utf16ToUtf8(c.Bytes, out), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(out, c.Text);
    }
  }
}

} // namespace
