// The per-unit roll-up: the largest graded distance of a unit's pollutants,
// raised one grade when two or more share it; a failed row leaves the unit
// undetermined. Also the next grade.
#include "batch.h"
#include "report.h"
#include "scratch.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using kestrin::test::Contents;
using kestrin::test::Scratch;

struct RollUpCase {
  const char *Name;
  std::vector<const char *> L; // a row each, graded by SetDistance; "fail" for a failed row
  bool Raise;
  bool Determined;
  const char *Distance;
  std::size_t AtLargest;
  // The rows' pollutants; when empty, a different one each.
  std::vector<const char *> Pollutants = {};
  // The pollutant named on more than one row, and those rows (indices in the unit).
  const char *Repeated = nullptr;
  std::vector<std::size_t> RepeatedRows = {};
};

const RollUpCase RollUpCases[] = {
    {"AllAt50", {"30", "49.9", "12"}, true, true, "100", 3},
    {"Mixed200_100_50", {"150.5", "100", "30"}, true, true, "200", 1},
    {"TwoAt100", {"100", "30", "50"}, true, true, "200", 2},
    {"TwoAt1000", {"1000", "1000"}, true, true, "1200", 2},
    {"TwoAt2000", {"2000", "300", "2000"}, true, true, "2200", 2},
    {"TwoAt900", {"800.1", "900"}, true, true, "1000", 2},
    {"One", {"400"}, true, true, "400", 1},
    {"NoRaise", {"30", "30", "30"}, false, true, "50", 3},
    {"FailedRow", {"200", "fail", "30"}, true, false, "0", 0},
    // The raise is for different pollutants: one listed twice decides nothing.
    {"SamePollutantTwice", {"100", "100"}, true, false, "0", 0, {"甲苯", "甲苯"}, "甲苯", {0, 1}},
    {"SamePollutantThrice",
     {"100", "30", "100", "100"},
     true,
     false,
     "0",
     0,
     {"甲苯", "苯", "甲苯", "甲苯"},
     "甲苯",
     {0, 2, 3}},
    {"RepeatedAndFailed", {"fail", "100"}, true, false, "0", 0, {"苯", "苯"}, "苯", {0, 1}},
    {"NoRaiseStillRepeated", {"100", "50"}, false, false, "0", 0, {"苯", "苯"}, "苯", {0, 1}},
    {"SameNamesInOtherUnitsOnly", {"100", "100"}, true, true, "200", 2, {"x", "甲苯"}},
};

class RollUpTest : public testing::TestWithParam<RollUpCase> {
protected:
  void SetUp() override {
    InitNumericEnvironment();
    DecimalMark = '.';
  }
};

TEST_P(RollUpTest, UnitDistance) {
  const RollUpCase &c = GetParam();
  std::vector<TReportRow> rows;
  // A second unit around the first keeps the grouping honest.
  rows.push_back({1, "other", "x", {}, {}, {}});
  rows.back().Calc.SetDistance("1200");
  for (std::size_t i = 0; i < c.L.size(); ++i) {
    const char *L = c.L[i];
    TReportRow row{rows.size() + 1,
                   "unit",
                   c.Pollutants.empty() ? "p" + std::to_string(rows.size()) : c.Pollutants[i],
                   {},
                   {},
                   {}};
    if (std::string(L) == "fail")
      row.Error = "Floating point overflow";
    else
      row.Calc.SetDistance(L);
    rows.push_back(row);
  }
  const std::vector<TUnitConclusion> units = RollUp(rows, c.Raise);
  ASSERT_EQ(units.size(), 2u);
  EXPECT_EQ(units[0].Unit, "other");
  EXPECT_EQ(ValueToText(units[0].Distance), "1200");
  const TUnitConclusion &unit = units[1];
  EXPECT_EQ(unit.Rows.size(), c.L.size());
  EXPECT_EQ(unit.Determined, c.Determined);
  EXPECT_EQ(ValueToText(unit.Distance), c.Distance);
  EXPECT_EQ(unit.Deciding.size(), c.AtLargest);
  EXPECT_EQ(unit.Raised, c.Raise && c.AtLargest >= 2);
  if (!c.Repeated) {
    EXPECT_TRUE(unit.Repeated.empty());
    return;
  }
  ASSERT_EQ(unit.Repeated.size(), 1u);
  EXPECT_EQ(unit.Repeated[0].Pollutant, c.Repeated);
  std::vector<std::size_t> inUnit;
  for (std::size_t row : unit.Repeated[0].Rows)
    inUnit.push_back(row - 1); // after the other unit's row
  EXPECT_EQ(inUnit, c.RepeatedRows);
}

INSTANTIATE_TEST_SUITE_P(UnitReport, RollUpTest, testing::ValuesIn(RollUpCases),
                         [](const auto &info) { return std::string(info.param.Name); });

TEST(UnitReport, NextGrade) {
  InitNumericEnvironment();
  DecimalMark = '.';
  const std::pair<double, const char *> cases[] = {
      {50, "100"}, {100, "200"}, {900, "1000"}, {1000, "1200"}, {2000, "2200"}, {129400, "129600"}};
  for (const auto &[graded, next] : cases)
    EXPECT_EQ(ValueToText(NextGrade(graded)), next) << graded;
}

// The plant as an engineer's spreadsheet saves it (GBK, CRLF, Chinese
// header names, class spellings "Ⅱ类" and "2", a blank row below): the JSON
// report parsed back, its rows and the roll-up of each unit.
TEST(UnitReport, PlantJson) {
  InitNumericEnvironment();
  DecimalMark = '.';
  std::FILE *in = std::fopen(KESTRIN_GOLDEN "/plant-gbk.csv", "rb");
  ASSERT_NE(in, nullptr);
  std::FILE *err = std::tmpfile();
  TReportOptions options;
  options.Unit = "单元";
  options.Pollutant = "污染物";
  options.Format = TReportFormat::Json;
  std::string document;
  EXPECT_EQ(RunReport(in, err, options, document), ExitOk);
  std::fclose(in);
  std::fclose(err);
  const nlohmann::json report = nlohmann::json::parse(document);
  ASSERT_EQ(report["rows"].size(), 9u);
  EXPECT_EQ(report["rows"][0]["line"], 2);
  EXPECT_EQ(report["rows"][0]["unit"], "一车间");
  EXPECT_EQ(report["rows"][1]["pollutant"], "二甲苯");
  EXPECT_EQ(report["rows"][1]["class"], "II"); // spelt "2"
  EXPECT_EQ(report["rows"][6]["distance"], 259.518521721884);
  const struct {
    const char *Unit;
    int Largest, AtLargest, Distance;
    bool Raised;
  } units[] = {
      {"一车间", 50, 3, 100, true}, {"二车间", 200, 1, 200, false}, {"三车间", 300, 2, 400, true}};
  ASSERT_EQ(report["units"].size(), 3u);
  for (std::size_t u = 0; u < 3; ++u) {
    const nlohmann::json &unit = report["units"][u];
    EXPECT_EQ(unit["unit"], units[u].Unit);
    EXPECT_EQ(unit["determined"], true);
    EXPECT_EQ(unit["largest_graded"], units[u].Largest) << u;
    EXPECT_EQ(unit["at_largest"], units[u].AtLargest) << u;
    EXPECT_EQ(unit["distance"], units[u].Distance) << u;
    EXPECT_EQ(unit["raised"], units[u].Raised) << u;
  }
}

std::string Base64Decoded(const std::string &text) {
  const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=')
      break;
    group = group << 6 | static_cast<std::uint32_t>(digits.find(c));
    if ((bits += 6) >= 8)
      out += static_cast<char>(group >> (bits -= 8) & 0xFF);
  }
  return out;
}

// The HTML that word processors open: UTF-8 declared, bordered tables of
// the page's width with their header repeated, units kept whole, the unit
// cell spanning its rows, numbered captions, the formula's sub- and
// superscripts, a figure per unit, the rule and the conclusion stated, a
// failure explained in Chinese, a row at a band edge flagged.
TEST(UnitReport, HtmlForWordProcessors) {
  InitNumericEnvironment();
  DecimalMark = '.';
  std::vector<TReportRow> rows(3);
  for (TReportRow &row : rows) {
    row.Unit = "车间<A>";
    row.Pollutant = "甲\x01苯\xEF\xBF\xBE";
    row.Calc.SetArea("100");
    row.Calc.SetCm("0.25");
    row.Calc.SetWindSpeed("3.5");
    row.Calc.SetQe("10");
    row.Calc.CalcDistance();
  }
  rows[1].Error = "Floating point overflow";
  // At a grade step the graded distance allows a little less than Qe: noted.
  rows[0].Calc.SetArea("5000");
  rows[0].Calc.SetCm("2");
  rows[0].Calc.SetWindSpeed("1.5");
  rows[0].Calc.SetQe("277.372");
  rows[0].Calc.CalcDistance();
  rows[0].Check = CheckGradedDistance(rows[0].Calc);
  // L = 1981.7 m by the L > 2000 m coefficients, graded 2000 m: a band edge.
  rows[2] = rows[0];
  rows[2].Pollutant = "二甲苯";
  rows[1].Pollutant = "苯";
  rows[2].Calc.SetQe("210.5");
  rows[2].Calc.CalcDistance();
  rows[2].Check = CheckGradedDistance(rows[2].Calc);
  TReportOptions options;
  options.Raise = false;
  const std::string html = ReportDocument(rows, options);
  EXPECT_EQ(html.find("2400※"), std::string::npos);
  // The 三线表: no grid; the bottom rule on the cells that reach the bottom
  // (the last unit's spanning cell and the last row's).
  options.TableStyle = TTableStyle::ThreeLine;
  options.CaptionPrefix = "5.3-";
  const std::string threeLine = ReportDocument(rows, options);
  for (const char *part :
       {"<table class=\"three-line\" border=\"0\"", "<b>表 5.3-3　各污染物的卫生防护距离</b>",
        "<td rowspan=\"3\" style=\"border-bottom:1.5pt solid #000\">车间&lt;A&gt;</td>",
        "<td style=\"border-bottom:1.5pt solid #000\">车间&lt;A&gt;</td>", "图 5.3-1　"})
    EXPECT_NE(threeLine.find(part), std::string::npos) << part;
  EXPECT_EQ(threeLine.find("class=\"grid\""), std::string::npos);
  // A label XML cannot hold (a control character, U+FFFE) stays out of
  // the figure's SVG, replaced by U+FFFD: the picture remains well-formed.
  const std::size_t from = html.find("base64,") + 7;
  const std::string svg = Base64Decoded(html.substr(from, html.find('"', from) - from));
  EXPECT_NE(svg.find("甲\xEF\xBF\xBD苯\xEF\xBF\xBD"), std::string::npos);
  EXPECT_EQ(svg.find("\xEF\xBF\xBE"), std::string::npos);
  for (char c : svg)
    EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << int(c);
  for (const char *part :
       {"<meta charset=\"utf-8\">", "<table class=\"grid\" border=\"1\" width=\"100%\"",
        "<thead><tr>", "<td rowspan=\"3\">车间&lt;A&gt;</td>",
        "<td align=\"right\" nowrap>5000</td>",
        "C<sub>m</sub><br><span "
        "style=\"white-space:nowrap\">(\u2060m\u2060g\u2060/\u2060m\u2060³\u2060)</span>",
        "<b>表 3　各污染物的卫生防护距离</b>", "L<sup>C</sup>", "Q<sub>c</sub>",
        "src=\"data:image/svg+xml;base64,", "车间&lt;A&gt;", "本表未按",
        "第 0 行（车间&lt;A&gt; · 苯）计算失败：浮点溢出（数值超出计算范围）（Floating point "
        "overflow）",
        "未确定", "车间&lt;A&gt;的卫生防护距离未确定（第 0 行计算失败）。", "2000※",
        "277.371801366629 kg/h，小于 Qe = 277.372 kg/h", "可能应取下一级差 2600 m"})
    EXPECT_NE(html.find(part), std::string::npos) << part;
}

// Sheets as engineers keep them, through `report --unit 生产单元 --pollutant
// 污染物 --format md` (or `batch --keep 生产单元,污染物`): the exit status,
// parts of the document (none: no document) and of standard error.
struct SheetCase {
  const char *Name;
  std::string Csv;
  int Exit;
  std::vector<std::string> Document;
  std::string Error = {};
  bool Batch = false;
};

const std::string Header = "生产单元,污染物,面积,Cm,风速,类别,源强\n";
const std::string Row = ",100,0.25,3.5,I,0.8\n"; // graded 300 m

// The coating plant as its sheet is kept: row numbers and remarks, units in
// the header names, 生产单元 in merged cells (the text in each merge's first row).
const std::string CoatingPlant =
    "序号,生产单元,污染物,面积（m²）,标准浓度限值（mg/m3）,平均风速(m/s),"
    "类别,源强 kg/h,备注\n"
    "1,涂装车间,甲苯,2400,0.2,2.3,Ⅱ,0.26,喷漆线\n"
    "2,,二甲苯,2400,0.2,2.3,Ⅱ,0.31,\n"
    "3,,非甲烷总烃,2400,2.0,2.3,Ⅱ,1.05,\n"
    "4,焊接车间,颗粒物,1800,0.9,2.3,Ⅱ,0.52,\n"
    "5,,氮氧化物,1800,0.25,2.3,Ⅱ,0.085,\n"
    "6,危废暂存间,非甲烷总烃,120,2.0,2.3,Ⅲ,0.012,\n"
    "7,,氨,120,0.2,2.3,Ⅲ,0.004,\n"
    "8,,硫化氢,120,0.01,2.3,Ⅲ,0.0002,\n"
    "9,污水处理站,氨,600,0.2,2.3,Ⅲ,0.021,\n"
    "10,,硫化氢,600,0.01,2.3,Ⅲ,0.0011,\n";

const SheetCase SheetCases[] = {
    // Blanks a pasted cell carries (ASCII, full-width, no-break, tab) make no new unit.
    {"BlanksAroundLabels",
     Header + "储罐区,甲苯" + Row + "储罐区 ,二甲苯" + Row + "储罐区　,苯" + Row +
         "\xC2\xA0储罐区\t,乙苯 " + Row,
     0,
     {"| 储罐区 | 300 | 甲苯、二甲苯、苯、乙苯 | 4 | 400（提高一级） |"}},
    {"BlanksAroundBatchLabels",
     Header + "储罐区　,\xC2\xA0甲苯 " + Row,
     0,
     {"\n储罐区,甲苯,distance,100,"},
     {},
     true},
    {"UnusedBatchColumns",
     "序号,生产单元,污染物,面积,Cm,风速,类别,源强,备注\n1,储罐区,甲苯,100,0.25,3.5,I,0.8,\n",
     0,
     {"\n储罐区,甲苯,distance,100,"},
     "kestrin-cli: columns not used: 序号, 备注\n",
     true},
    {"SamePollutantTwice",
     Header + "涂装车间,甲苯" + Row + "涂装车间,二甲苯" + Row + "涂装车间,甲苯 " + Row,
     1,
     {"| 涂装车间 | — | — | — | 未确定（甲苯重复：第 2、4 行） |",
      "第 2、4 行（涂装车间）重复填写了污染物甲苯：请将该单元甲苯的总排放量填写为一行；"
      "该单元的卫生防护距离未确定。"},
     "kestrin-cli: unit '涂装车间' lists pollutant '甲苯' on lines 2, 4; enter the unit's total "
     "emission of 甲苯 once\n"},
    {"MergedUnitCells",
     CoatingPlant,
     0,
     {"| 涂装车间 | 100 | 甲苯、二甲苯 | 2 | 200（提高一级） |",
      "| 焊接车间 | 50 | 颗粒物、氮氧化物 | 2 | 100（提高一级） |",
      "| 危废暂存间 | 50 | 非甲烷总烃、氨、硫化氢 | 3 | 100（提高一级） |",
      "| 污水处理站 | 50 | 氨、硫化氢 | 2 | 100（提高一级） |",
      "| 涂装车间 | 非甲烷总烃 | 2400 | 2 | 1.05 |", "未用于计算的列：序号、备注。",
      "\n第 3–4 行的生产单元沿用上一行：涂装车间\n", "\n第 6 行的生产单元沿用上一行：焊接车间\n",
      "\n第 8–9 行的生产单元沿用上一行：危废暂存间\n",
      "\n第 11 行的生产单元沿用上一行：污水处理站\n"}},
    {"EmptyFirstUnit",
     Header + ",甲苯" + Row + ",苯" + Row + "罐区,甲苯" + Row + ",苯" + Row,
     1,
     {"第 2 行（ · 甲苯）计算失败：该行的生产单元为空，且上方没有可沿用的单元（its unit cell is "
      "empty and no row above names a unit",
      "第 3 行（ · 苯）计算失败：该行的生产单元为空",
      "| 罐区 | 300 | 甲苯、苯 | 2 | 400（提高一级） |", "第 5 行的生产单元沿用上一行：罐区"}},
    {"HeaderOnly",
     Header,
     1,
     {},
     "kestrin-cli: the input has no rows below its header; no report\n"},
    {"HeaderAndBlankRows",
     Header + ",,,,,,\n,,,,,,\n",
     1,
     {},
     "kestrin-cli: skipped 2 empty rows\nkestrin-cli: the input has no rows below its header; no "
     "report\n"},
    {"UnitThatDoesNotFit",
     "生产单元,污染物,面积,Cm,风速,类别,排放量（t/a）\n",
     2,
     {},
     "kestrin-cli: column '排放量（t/a）' gives its unit as 't/a', but 'qe' is read in kg/h "
     "(千克/小时, 公斤/小时); convert the column\n"},
};

class SheetTest : public testing::TestWithParam<SheetCase> {
protected:
  void SetUp() override {
    InitNumericEnvironment();
    DecimalMark = '.';
  }
};

TEST_P(SheetTest, Report) {
  const SheetCase &c = GetParam();
  const std::string name = std::string("Sheet_") + c.Name;
  std::FILE *in = Scratch(name + "_in"), *out = Scratch(name + "_out"),
            *err = Scratch(name + "_err");
  ASSERT_TRUE(in && out && err);
  std::fputs(c.Csv.c_str(), in);
  std::rewind(in);
  std::string document;
  if (c.Batch) {
    BatchOptions options;
    options.Keep = {"生产单元", "污染物"};
    EXPECT_EQ(RunBatch(in, out, err, options), c.Exit);
  } else {
    TReportOptions options;
    options.Unit = "生产单元";
    options.Pollutant = "污染物";
    options.Format = TReportFormat::Markdown;
    EXPECT_EQ(RunReport(in, err, options, document), c.Exit);
  }
  Contents(in, name + "_in");
  if (c.Batch)
    document = Contents(out, name + "_out");
  else
    Contents(out, name + "_out");
  EXPECT_EQ(Contents(err, name + "_err"), c.Error);
  if (c.Document.empty()) {
    EXPECT_EQ(document, "");
  }
  for (const std::string &part : c.Document)
    EXPECT_NE(document.find(part), std::string::npos) << part << "\n" << document;
}

INSTANTIATE_TEST_SUITE_P(UnitReport, SheetTest, testing::ValuesIn(SheetCases),
                         [](const auto &info) { return std::string(info.param.Name); });

} // namespace
