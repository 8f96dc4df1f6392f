// The record: its lines in Markdown and HTML for given inputs, and the
// graded-distance check: what 计算源强 gives at the graded distance, whether
// that holds Qe, the next step, and a check that fails.
#include "record.h"

#include "document.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct CheckCase {
  const char *Name;
  const char *Area, *Cm, *Wind;
  int SourceClass;
  const char *Qe;
  const char *Graded, *AllowedQe;
  bool Holds;
  const char *NextStep; // "0" when it holds
};

// Searches that end within the tolerance just below a grade step allow a
// little less than Qe there (found by asking for the step's own emission
// raised by a few millionths).
const CheckCase CheckCases[] = {
    {"Defaults", "100", "0.25", "3.5", 0, "10", "1000", "10.2137072395667", true, "0"},
    {"StepAt2000", "100", "0.25", "3.5", 0, "33.5227251707739", "2000", "33.5226916480823", false,
     "2200"},
    {"StepAt2400", "5000", "2", "1.5", 0, "277.372", "2400", "277.371801366629", false, "2600"},
    {"SmallDistance", "100", "0.25", "3.5", 0, "0.01", "50", "0.0582068811910718", true, "0"},
};

class GradeCheckTest : public testing::TestWithParam<CheckCase> {
protected:
  void SetUp() override {
    InitNumericEnvironment();
    DecimalMark = '.';
  }
};

TEST_P(GradeCheckTest, AllowedAtGradedDistance) {
  const CheckCase &c = GetParam();
  TKestrin k;
  k.SetArea(c.Area);
  k.SetCm(c.Cm);
  k.SetWindSpeed(c.Wind);
  k.SetSourceClass(c.SourceClass);
  k.SetQe(c.Qe);
  k.CalcDistance();
  const TGradeCheck check = CheckGradedDistance(k);
  EXPECT_TRUE(check.Done);
  EXPECT_EQ(k.GradedDistanceText(), c.Graded);
  EXPECT_EQ(ValueToText(check.AllowedQe), c.AllowedQe);
  EXPECT_EQ(check.Holds, c.Holds);
  EXPECT_EQ(ValueToText(check.NextStep), c.NextStep);
  EXPECT_EQ(GradeCheckNote(k, check).empty(), c.Holds);
  // The calculator checked is left as it was.
  EXPECT_EQ(k.QeText(), c.Qe);
}

INSTANTIATE_TEST_SUITE_P(Record, GradeCheckTest, testing::ValuesIn(CheckCases),
                         [](const auto &info) { return std::string(info.param.Name); });

struct RenderCase {
  const char *Name;
  TDirection Direction;
  const char *Wind;
  int SourceClass;
  std::optional<TClassChoices> Choices;
  const char *Given;                       // Qe for a distance, L for an emission
  std::vector<std::string> Markdown, Html; // whole lines each must hold
};

const RenderCase RenderCases[] = {
    {"DistanceDefaults",
     TDirection::Distance,
     "3.5",
     0,
     std::nullopt,
     "10",
     {"计算日期：2025年12月9日；计算程序：Kestrin 卫生防护距离 1.0。",
      "| 工业企业有害气体无组织排放强度 | Qe | 10 | kg/h |", "Ⅰ类（直接给定）。",
      "风速分档：2 ≤ V ≤ 4 m/s（V = 3.5 m/s；B、C、D 按 V ≥ 2 m/s 取值）。",
      "| 卫生防护距离(公式计算值) L | 988.084391971187 | m |",
      "| 卫生防护距离(级差确定值) L | 1000 | m |", "| 迭代次数 | 23 |  |",
      "| 相对容差 | 1E-5 |  |"},
     {"<tr><td>卫生防护距离(公式计算值) L</td><td>988.084391971187</td><td>m</td></tr>",
      "<p>Ⅰ类（直接给定）。</p>", "<h1>卫生防护距离计算书</h1>"}},
    {"EmissionWithStacksWithinAThird",
     TDirection::Emission,
     "3.5",
     1,
     TClassChoices{0, 1, 0},
     "1500",
     {"| 工业企业卫生防护距离 | L | 1500 | m |",
      "Ⅱ类。依据：排放同种有害气体的共存的排气筒：有；排气筒的污染物排放量：小于等于规定的1/3。",
      "距离分档：1000 < L ≤ 2000 m（按 L = 1500 m 确定）。",
      "| L = 1500 m 处允许的无组织排放强度 Qe | 30.3994335983537 | kg/h |",
      "| 卫生防护距离(级差确定值) L | 1600 | m |"},
     {"<p>距离分档：1000 &lt; L ≤ 2000 m（按 L = 1500 m 确定）。</p>",
      "<tr><td>L = 1500 m 处允许的无组织排放强度 Qe</td><td>30.3994335983537</td><td>kg/h</td></tr>"}},
    {"LowWindChronic",
     TDirection::Emission,
     "1.5",
     2,
     TClassChoices{1, 0, 1},
     "500",
     {"Ⅲ类。依据：排放同种有害气体的共存的排气筒：无；无组织排放的有害气体的允许浓度：按慢性反应指标确定。",
      "风速分档：V < 2 m/s（V = 1.5 m/s；B、C、D 按 V < 2 m/s 取值）。",
      "距离分档：L ≤ 1000 m（按 L = 500 m 确定）。"},
     {"<p>风速分档：V &lt; 2 m/s（V = 1.5 m/s；B、C、D 按 V &lt; 2 m/s 取值）。</p>",
      "<p>距离分档：L ≤ 1000 m（按 L = 500 m 确定）。</p>"}},
};

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

class RenderTest : public testing::TestWithParam<RenderCase> {
protected:
  void SetUp() override {
    InitNumericEnvironment();
    DecimalMark = '.';
  }
};

TEST_P(RenderTest, Lines) {
  const RenderCase &c = GetParam();
  TKestrin k;
  k.SetArea("100");
  k.SetCm("0.25");
  k.SetWindSpeed(c.Wind);
  k.SetSourceClass(c.SourceClass);
  if (c.Direction == TDirection::Distance) {
    k.SetQe(c.Given);
    k.CalcDistance();
  } else {
    k.SetDistance(c.Given);
    k.CalcEmission();
  }
  const TCalcRecord record = MakeRecord(k, c.Direction, c.Choices, {2025, 12, 9});
  const std::vector<std::string> markdown = Lines(RecordMarkdown(record));
  const std::vector<std::string> html = Lines(RecordHtml(record));
  for (const std::string &line : c.Markdown)
    EXPECT_NE(std::find(markdown.begin(), markdown.end(), line), markdown.end()) << line;
  for (const std::string &line : c.Html)
    EXPECT_NE(std::find(html.begin(), html.end(), line), html.end()) << line;
  // Nothing but the escapes reaches the HTML unescaped.
  for (const std::string &line : html)
    EXPECT_EQ(line.find(" < "), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(Record, RenderTest, testing::ValuesIn(RenderCases),
                         [](const auto &info) { return std::string(info.param.Name); });

// A check that fails does not fail the computation it checks; the note says why.
TEST(Record, FailingCheckIsNoted) {
  InitNumericEnvironment();
  DecimalMark = '.';
  TKestrin k;
  k.SetArea("1e300");
  k.SetCm("1e300");
  k.SetDistance("10");
  const TGradeCheck check = CheckGradedDistance(k);
  EXPECT_FALSE(check.Done);
  EXPECT_EQ(check.Message, "Floating point overflow");
  EXPECT_EQ(GradeCheckNote(k, check),
            "注意：级差确定值 50 m 处允许的排放强度无法计算（Floating point overflow）。");
}

} // namespace

// A record quotes a given input so that it reads back to the same double.
TEST(Record, QuotedInput) {
  InitNumericEnvironment();
  DecimalMark = '.';
  const std::pair<const char *, const char *> cases[] = {
      {"1e2", "100"},
      {"5.64189583547756", "5.64189583547756"},
      {"0.250", "0.25"},
      {"111.12469893271061", "111.12469893271061"}, // 15 digits would read back otherwise
      {"1.7976931348623157e308", "1.7976931348623157e308"}, // 15 digits overflow
  };
  for (const auto &[given, quoted] : cases)
    EXPECT_EQ(QuotedInput(given), quoted) << given;
}

// Any text a user's sheet holds comes out of a document as that text: the
// Markdown renders it back, the HTML (and the SVG inside it) stays XML.
TEST(Document, TextsAreEscaped) {
  const std::pair<const char *, const char *> markdown[] = {
      {"甲苯*", "甲苯\\*"},
      {"<script>", "\\<script>"},
      {"L < 50 m", "L < 50 m"}, // not a tag
      {"a_b `c` [d] e|f ~g~ h\\i", "a\\_b \\`c\\` \\[d\\] e\\|f \\~g\\~ h\\\\i"},
      {"&amp; & b", "\\&amp; & b"},
      {"# 标题", "\\# 标题"},
      {"车间\n# 伪造的标题", "车间 # 伪造的标题"},
      {"1. 车间", "1\\. 车间"},
      {"0.25", "0.25"},
      {"- a", "\\- a"},
  };
  for (const auto &[text, escaped] : markdown)
    EXPECT_EQ(MarkdownText(text), escaped) << text;
  const std::pair<std::string, const char *> html[] = {
      {"a<b>&\"c\"", "a&lt;b&gt;&amp;&quot;c&quot;"},
      {std::string("x\0y", 3), "x\xEF\xBF\xBDy"},
      {"x\x01y\x1Fz\tw\n", "x\xEF\xBF\xBDy\xEF\xBF\xBDz\tw\n"},
      {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xEF\xBF", "\xEF\xBF"}, // cut short: nothing to replace
  };
  for (const auto &[text, escaped] : html)
    EXPECT_EQ(HtmlEscaped(text), escaped) << text;
}
