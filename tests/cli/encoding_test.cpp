// Input as spreadsheet programs save it: the UTF-8 check, GB18030 decoding
// and its per-file decision, and how header names are compared and matched
// to columns.
#include "encoding.h"
#include "header.h"
#include "platform.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Utf8Case {
  const char *Name;
  std::string Text;
  bool Valid;
};

const Utf8Case Utf8Cases[] = {
    {"Ascii", "distance,10", true},
    {"Chinese", "\xE7\x84\xA6\xE7\x82\x89", true}, // 焦炉
    {"TwoByteLowest", "\xC2\x80", true},
    {"TwoByteHighest", "\xDF\xBF", true},
    {"ThreeByteLowest", "\xE0\xA0\x80", true},
    {"BelowSurrogates", "\xED\x9F\xBF", true},
    {"FourByteLowest", "\xF0\x90\x80\x80", true},
    {"Highest", "\xF4\x8F\xBF\xBF", true},
    {"OverlongTwo", "\xC1\xBF", false},
    {"OverlongThree", "\xE0\x9F\xBF", false},
    {"OverlongFour", "\xF0\x8F\xBF\xBF", false},
    {"Surrogate", "\xED\xA0\x80", false},
    {"AboveHighest", "\xF4\x90\x80\x80", false},
    {"LeadF5", "\xF5\x80\x80\x80", false},
    {"LoneContinuation", "\x80", false},
    {"Truncated", "\xE7\x84", false},
    {"ContinuationMissing",
     "\xE7\x84"
     "a",
     false},
    {"Gbk", "\xBD\xB9\xC2\xAF", false}, // 焦炉 in GBK
};

class Utf8Test : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Test, Valid) {
  EXPECT_EQ(IsValidUtf8(GetParam().Text), GetParam().Valid);
}

INSTANTIATE_TEST_SUITE_P(Encoding, Utf8Test, testing::ValuesIn(Utf8Cases),
                         [](const auto &info) { return std::string(info.param.Name); });

// Records given to one decoder in turn, and what each became: weighed in
// order (until one decides), settled, then decoded, as the batch tool does.
struct DecodeCase {
  const char *Name;
  TEncoding Encoding;
  std::vector<std::vector<std::string>> Records;
  std::vector<std::vector<std::string>> Expected; // the fields, then the problem
  TByteOrderMark Mark = TByteOrderMark::None;
};

const std::string Jiaolu = "\xE7\x84\xA6\xE7\x82\x89"; // 焦炉 in UTF-8
const std::string JiaoluGbk = "\xBD\xB9\xC2\xAF";      // 焦炉 in GB18030
const std::string Mao = "\xE8\x8C\x85";                // 茅, GB18030 C3 A9
const std::string NotGb = "field 2 is not GB18030 text";
const std::string NotUtf8 = "field 2 is not UTF-8 text";
const std::string GbNotUtf8 =
    NotUtf8 + " (it reads as GB18030, the file as a whole as UTF-8; --encoding says which)";
const std::string Utf8NotGb =
    NotGb + " (it reads as UTF-8, the file as a whole as GB18030; --encoding says which)";
const std::string Yi = "\xE4\xB8\x80";    // 一
const std::string YiGbk = "\xD2\xBB";     // 一 in GBK: also UTF-8 (U+04BB)
const std::string ErGbk = "\xB6\xFE";     // 二 in GBK
const std::string Zhong = "\xE4\xB8\xAD"; // 中: in GB18030 a pair and a lone lead byte
const std::string Er = "\xE4\xBA\x8C";    // 二
const std::string Undecidable =
    "cannot tell whether the input is UTF-8 or GB18030 text (it reads as \"λ\" in UTF-8 or "
    "\"位\" in GB18030); say which with --encoding utf-8 or --encoding gb18030";

const DecodeCase DecodeCases[] = {
    {"AsciiUntouched", TEncoding::Auto, {{"mode", "qe"}}, {{"mode", "qe", ""}}},
    {"Utf8Kept", TEncoding::Auto, {{"a", Jiaolu}}, {{"a", Jiaolu, ""}}},
    {"GbkDecoded", TEncoding::Auto, {{"a", JiaoluGbk}}, {{"a", Jiaolu, ""}}},
    {"GbkBeforeOtherFields",
     TEncoding::Auto,
     {{JiaoluGbk, "b", JiaoluGbk}},
     {{Jiaolu, "b", Jiaolu, ""}}},
    {"FourByteToTwo", TEncoding::Gb18030, {{"a", "\x81\x30\x81\x30"}}, {{"a", "\xC2\x80", ""}}},
    {"FourByteToFour",
     TEncoding::Auto,
     {{"a", "\x95\x32\x82\x36"}},
     {{"a", "\xF0\xA0\x80\x80", ""}}},
    // Text in neither encoding is no evidence: UTF-8 is assumed.
    {"InvalidByte", TEncoding::Auto, {{"a", "\xFF"}}, {{"a", "\xFF", NotUtf8}}},
    {"LeadByteAtEnd",
     TEncoding::Auto,
     {{"a", JiaoluGbk + "\xBD"}},
     {{"a", JiaoluGbk + "\xBD", NotUtf8}}},
    {"SaidUtf8",
     TEncoding::Utf8,
     {{"a", JiaoluGbk}},
     {{"a", JiaoluGbk, NotUtf8 + " (it reads as GB18030)"}}},
    {"SaidGb18030Utf8Text",
     TEncoding::Gb18030,
     {{"a", Zhong}},
     {{"a", Zhong, NotGb + " (it reads as UTF-8)"}}},
    {"SaidGb18030", TEncoding::Gb18030, {{"a", "\xC3\xA9"}}, {{"a", Mao, ""}}},
    // The first record that is not ASCII decides for the rest of the file.
    {"DecidedUtf8",
     TEncoding::Auto,
     {{"a", "b"}, {"a", Jiaolu}, {"a", JiaoluGbk}},
     {{"a", "b", ""}, {"a", Jiaolu, ""}, {"a", JiaoluGbk, GbNotUtf8}}},
    // A GBK "一" alone reads as UTF-8 too; the records ahead show it is GBK.
    {"GbkFirstLabelAlsoUtf8",
     TEncoding::Auto,
     {{"a", "b"}, {YiGbk, "x"}, {ErGbk, "y"}},
     {{"a", "b", ""}, {Yi, "x", ""}, {Er, "y", ""}}},
    // A stray byte in the first non-ASCII record does not make a UTF-8 file GB18030.
    {"Utf8StrayByte",
     TEncoding::Auto,
     {{"a", "b"}, {"a", Jiaolu + "\xFF"}, {"a", Jiaolu}},
     {{"a", "b", ""}, {"a", Jiaolu + "\xFF", NotUtf8}, {"a", Jiaolu, ""}}},
    // UTF-8 text after the file was read as GB18030 fails its row.
    {"Utf8AfterGb18030",
     TEncoding::Auto,
     {{"a", JiaoluGbk}, {"a", Zhong}},
     {{"a", Jiaolu, ""}, {"a", Zhong, Utf8NotGb}}},
    {"GbMark", TEncoding::Auto, {{YiGbk, "x"}}, {{Yi, "x", ""}}, TByteOrderMark::Gb18030},
    {"Utf8Mark",
     TEncoding::Auto,
     {{"a", JiaoluGbk}},
     {{"a", JiaoluGbk, NotUtf8 + " (it reads as GB18030)"}},
     TByteOrderMark::Utf8},
    // GBK labels that are valid UTF-8 too (U+04BB U+057E "һվ", U+01E6 "Ǧ",
    // U+043F "п" ...) read as what they are, each on its own.
    {"GbkYiZhan", TEncoding::Auto, {{"\xD2\xBB\xD5\xBE"}}, {{"一站", ""}}},
    {"GbkShiZhan", TEncoding::Auto, {{"\xCA\xAE\xD5\xBE"}}, {{"十站", ""}}},
    {"GbkQian", TEncoding::Auto, {{"\xC7\xA6"}}, {{"铅", ""}}},
    {"GbkXin", TEncoding::Auto, {{"\xD0\xBF"}}, {{"锌", ""}}},
    {"GbkTong", TEncoding::Auto, {{"\xCD\xAD"}}, {{"铜", ""}}},
    {"GbkQuan", TEncoding::Auto, {{"\xC8\xA9"}}, {{"醛", ""}}},
    {"GbkXi", TEncoding::Auto, {{"\xCF\xA9"}}, {{"烯", ""}}},
    // UTF-8 whose bytes are GBK text too (E794 B2E8 8BAF: rare hanzi).
    {"Utf8AlsoGbk", TEncoding::Auto, {{"甲苯"}}, {{"甲苯", ""}}},
    // "位" in GBK is "λ" in UTF-8: both Chinese text, so the next record decides,
    // and without one the input cannot be read.
    {"TieHeldUntilDecided",
     TEncoding::Auto,
     {{"\xCE\xBB"}, {"\xD2\xBB\xD5\xBE"}},
     {{"位", ""}, {"一站", ""}}},
    {"TieUndecidable", TEncoding::Auto, {{"\xCE\xBB"}}, {{"\xCE\xBB", Undecidable}}},
    {"DecidedGb18030",
     TEncoding::Auto,
     {{"a", JiaoluGbk}, {"a", "\xC3\xA9"}},
     {{"a", Jiaolu, ""}, {"a", Mao, ""}}},
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, Records) {
  // Counted as skipped, not passed, where the system lacks the four-byte forms.
  if (std::string(GetParam().Name).rfind("FourByte", 0) == 0 && !Gb18030FourByteForms())
    GTEST_SKIP() << "this system (Wine) has no GB18030 code page, only GBK";
  TRecordDecoder decoder(GetParam().Encoding);
  decoder.UseMark(GetParam().Mark);
  std::vector<CsvRecord> records;
  for (const std::vector<std::string> &fields : GetParam().Records) {
    CsvRecord &record = records.emplace_back();
    for (const std::string &field : fields) {
      record.starts.push_back(static_cast<std::uint32_t>(record.text.size()));
      record.text += field;
    }
    record.count = fields.size();
    decoder.Weigh(record);
  }
  decoder.Settle();
  std::vector<std::vector<std::string>> got;
  for (CsvRecord &record : records) {
    decoder.Decode(record);
    std::vector<std::string> row;
    for (std::size_t i = 0; i < record.count; ++i)
      row.emplace_back(record.Field(i));
    row.push_back(record.problem);
    got.push_back(row);
  }
  EXPECT_EQ(got, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Encoding, DecodeTest, testing::ValuesIn(DecodeCases),
                         [](const auto &info) { return std::string(info.param.Name); });

// Every hanzi of GB2312 as a label, alone and in two-character labels, in
// GBK and in UTF-8: read as itself or refused as undecidable, never as
// other text.
TEST(EncodingDecision, Gb2312LabelsNeverGarbled) {
  std::size_t labels = 0, refused = 0;
  const auto check = [&](const std::string &gbk) {
    std::string utf8;
    ASSERT_TRUE(Gb18030ToUtf8(gbk, utf8));
    for (const std::string &bytes : {gbk, utf8}) {
      CsvRecord record;
      record.text = bytes;
      record.starts = {0};
      record.count = 1;
      TRecordDecoder decoder(TEncoding::Auto);
      decoder.Weigh(record);
      decoder.Decode(record);
      ++labels;
      if (!record.problem.empty())
        ++refused;
      else
        ASSERT_EQ(record.text, utf8) << "read from " << testing::PrintToString(bytes);
    }
  };
  for (int lead = 0xB0; lead <= 0xF7; ++lead)
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail > 0xF9) // the row's unassigned end
        continue;
      const std::string hanzi{static_cast<char>(lead), static_cast<char>(trail)};
      check(hanzi);
      check(hanzi + "\xD5\xBE"); // …站
      check("\xD2\xBB" + hanzi); // 一…
    }
  EXPECT_LT(refused, labels / 1000) << refused << " of " << labels << " refused";
}

struct KeyCase {
  const char *Name;
  const char *Header;
  const char *Key;
};

const KeyCase KeyCases[] = {
    {"Plain", "qe", "qe"},
    {"Upper", "MODE", "mode"},
    {"Mixed", "Distance", "distance"},
    {"Blanks", " \tQe \t", "qe"},
    {"InnerBlankKept", "a B", "a b"},
    {"Empty", "", ""},
    {"BlanksOnly", " \t ", ""},
    {"OtherBytesKept", "Z[\xE8\x8C\x85]@", "z[\xE8\x8C\x85]@"},
    {"FullWidthAndNoBreakBlanks", "\xE3\x80\x80 \xE9\x9D\xA2\xE7\xA7\xAF\xC2\xA0\xE3\x80\x80",
     "\xE9\x9D\xA2\xE7\xA7\xAF"}, // 面积
    {"InnerFullWidthKept",
     "a\xE3\x80\x80"
     "b",
     "a\xE3\x80\x80"
     "b"},
};

class KeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyTest, Key) {
  EXPECT_EQ(ColumnKey(GetParam().Header), GetParam().Key);
}

INSTANTIATE_TEST_SUITE_P(Header, KeyTest, testing::ValuesIn(KeyCases),
                         [](const auto &info) { return std::string(info.param.Name); });

// A header name alone: the column it names (Absent: read past as unused),
// or what the message says.
struct LayoutCase {
  const char *Name;
  const char *Header;
  std::size_t Column;
  const char *Problem = "";
};

const LayoutCase LayoutCases[] = {
    {"AreaFullWidthBrackets", "面积（m2）", ColArea},
    {"AreaSuperscript", "面积(m²)", ColArea},
    {"CmBrackets", "标准浓度限值（mg/m3）", ColCm},
    {"QeAfterBlank", "源强 kg/h", ColQe},
    {"QeBrackets", "Qe (kg/h)", ColQe},
    {"UnitInCapitals", "QE (KG/H)", ColQe},
    {"WindAfterFullWidthBlank", "平均风速　m/s", ColWind},
    {"DistanceSquareBrackets", "L [m]", ColDistance},
    {"ClassWithAnyNote", "类别（Ⅰ/Ⅱ/Ⅲ）", ColClass},
    {"TonnesPerYearRefused", "排放量（t/a）", InputCount,
     "column '排放量（t/a）' gives its unit as 't/a', but 'qe' is read in kg/h"},
    {"SquareKilometresRefused", "面积(km2)", InputCount, "but 'area' is read in m² (m2,"},
    {"UnitWithoutName", "(m2)", InputCount, "unknown column '(m2)'"},
    {"UnknownWithUnit", "温度 (K)", InputCount, "unknown column '温度 (K)'"},
    {"RowNumber", "序号", Absent},
    {"RemarkWithNote", " 备注（说明）", Absent},
    {"UnknownNamesTheAliases", "klass", InputCount,
     "(known: mode or 模式, 计算模式; area or S, 面积, 占地面积;"},
};

class LayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, Column) {
  const LayoutCase &c = GetParam();
  CsvRecord header;
  header.text = c.Header;
  header.starts = {0};
  header.count = 1;
  Layout layout;
  const std::string problem = ReadLayout(header, {}, layout);
  if (*c.Problem) {
    EXPECT_NE(problem.find(c.Problem), std::string::npos) << problem;
    return;
  }
  ASSERT_EQ(problem, "");
  if (c.Column == Absent) {
    EXPECT_EQ(layout.Unused, std::vector<std::size_t>{0});
    return;
  }
  EXPECT_TRUE(layout.Unused.empty());
  for (std::size_t column = 0; column < InputCount; ++column)
    EXPECT_EQ(layout.Position[column], column == c.Column ? 0 : Absent) << column;
}

INSTANTIATE_TEST_SUITE_P(Header, LayoutTest, testing::ValuesIn(LayoutCases),
                         [](const auto &info) { return std::string(info.param.Name); });

} // namespace
