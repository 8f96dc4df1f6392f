#include "csv.h"

#include <cstdio>
#include <string>
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

Parsed Ok(std::vector<std::string> fields) { return {std::move(fields), ""}; }

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
    {"bom_only_at_start", "a\n\xEF\xBB\xBF" "b\n", {Ok({"a"}), Ok({"\xEF\xBB\xBF" "b"})}},
    {"blank_lines_skipped", "a\n\n\r\nb\n\n", {Ok({"a"}), Ok({"b"})}},
    {"empty_fields", ",\n,,x\n", {Ok({"", ""}), Ok({"", "", "x"})}},
    {"quoted_empty_is_a_record", "\"\"\n", {Ok({""})}},
    {"quoted_comma", "\"a,b\",c\n", {Ok({"a,b", "c"})}},
    {"doubled_quote", "\"say \"\"hi\"\"\"\n", {Ok({"say \"hi\""})}},
    {"line_break_in_quotes", "\"1\n2\",x\n", {Ok({"1\n2", "x"})}},
    {"crlf_kept_in_quotes", "\"1\r\n2\"\r\n", {Ok({"1\r\n2"})}},
    {"lone_cr_is_text", "a\rb\n", {Ok({"a\rb"})}},
    {"spaces_kept", " a , b \n", {Ok({" a ", " b "})}},
    {"quote_inside_unquoted", "a\"b,c\nd\n", {{{"a\"b", "c"}, QuoteInside}, Ok({"d"})}},
    {"text_after_closing_quote", "\"a\"b,c\nd\n", {{{"ab", "c"}, AfterQuote}, Ok({"d"})}},
    {"unclosed_quote", "x,\"abc\n", {{{"x", "abc\n"}, Unclosed}}},
    {"empty_input", "", {}},
};

class ReaderTest : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, Records) { EXPECT_EQ(ReadAll(GetParam().Input), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(Csv, ReaderTest, testing::ValuesIn(ReaderCases),
                         [](const testing::TestParamInfo<ReaderCase> &info) { return info.param.Name; });

// The reader refills its buffer every 64 KiB; a CRLF or a quoted field split
// across two fills must read as if it were not.
TEST(CsvReader, RecordsAcrossBufferRefills) {
  const std::size_t bufferSize = 1 << 16;
  std::string filler(bufferSize - 3, 'x');
  std::vector<Parsed> crlf = ReadAll(filler + ",\r\n" + "next\r\n");
  EXPECT_EQ(crlf, (std::vector<Parsed>{Ok({filler, ""}), Ok({"next"})}));
  std::vector<Parsed> quoted = ReadAll(filler + ",\"a\"\"b\",c\n");
  EXPECT_EQ(quoted, (std::vector<Parsed>{Ok({filler, "a\"b", "c"})}));
}

// Memory must not grow with a record: an overlong one becomes a problem row,
// and the record after it is read normally.
TEST(CsvReader, OverlongRecordsAreReportedNotHeld) {
  std::string longField(CsvReader::MaxRecordBytes + 10, 'x');
  std::string manyCommas(CsvReader::MaxRecordBytes + 10, ',');
  std::FILE *f = FileWith(longField + "\n" + manyCommas + "\nnext\n");
  CsvReader reader(f);
  CsvRecord record;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(reader.Next(record));
    EXPECT_EQ(record.problem, "record longer than 1048576 bytes");
    EXPECT_LE(record.count, CsvReader::MaxRecordBytes + 1);
    std::size_t held = 0;
    for (std::size_t j = 0; j < record.count; ++j)
      held += record.fields[j].size();
    EXPECT_LE(held, CsvReader::MaxRecordBytes);
  }
  ASSERT_TRUE(reader.Next(record));
  EXPECT_EQ(record.problem, "");
  EXPECT_EQ(record.count, 1u);
  EXPECT_EQ(record.Field(0), "next");
  EXPECT_FALSE(reader.Next(record));
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
