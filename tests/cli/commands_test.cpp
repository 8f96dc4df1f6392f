// The single-calculation commands on the inputs that broke them: each input
// at the largest finite doubles and holding a byte that is not UTF-8, in
// every output format. A status of 0 or 1, never an exception, and output
// that reads back in its format.
#include "commands.h"
#include "report.h"
#include "scratch.h"

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using kestrin::test::Contents;
using kestrin::test::Scratch;

struct ExtremeCase {
  std::string Name;
  TDirection Direction;
  TOutputFormat Format;
  TColumn Input;
  std::string Text;
};

std::vector<ExtremeCase> ExtremeCases() {
  const struct {
    const char *Name;
    const char *Text;
  } values[] = {{"Largest", "1.7976931348623157e308"},
                {"LowestNegative", "-1.7976931348623157e308"},
                {"ByteFF", "\xff"},
                {"DigitsAndByteFF", "1\xff"}};
  const char *const formats[] = {"Text", "Json", "Record"};
  std::vector<ExtremeCase> cases;
  for (TDirection direction : {TDirection::Distance, TDirection::Emission})
    for (int format = 0; format < 3; ++format)
      for (TColumn input : {ColArea, ColRadius, ColCm, ColWind, ColClass, ColQe, ColDistance})
        for (const auto &value : values)
          if ((input == ColQe) == (direction == TDirection::Distance) || input < ColQe)
            cases.push_back({std::string(DirectionName(direction)) + "_" + formats[format] + "_" +
                                 std::string(ResultFields[input].Name) + "_" + value.Name,
                             direction, static_cast<TOutputFormat>(format), input, value.Text});
  return cases;
}

class ExtremeTest : public testing::TestWithParam<ExtremeCase> {
protected:
  void SetUp() override {
    InitNumericEnvironment();
    DecimalMark = '.';
  }
};

TEST_P(ExtremeTest, ExitsZeroOrOneWithOutputThatParses) {
  const ExtremeCase &c = GetParam();
  std::string texts[InputCount] = {"", "100", "", "0.25", "3.5", "I", "10", "1500"};
  texts[c.Input] = c.Text;
  CalcInputs in;
  in.Area = c.Input == ColRadius ? nullptr : &texts[ColArea];
  in.Radius = c.Input == ColRadius ? &texts[ColRadius] : nullptr;
  in.Cm = &texts[ColCm];
  in.WindSpeed = &texts[ColWind];
  in.SourceClass = &texts[ColClass];
  (c.Direction == TDirection::Distance ? in.Qe : in.Distance) =
      &texts[c.Direction == TDirection::Distance ? ColQe : ColDistance];
  std::FILE *out = Scratch(c.Name + "_out");
  std::FILE *err = Scratch(c.Name + "_err");
  ASSERT_TRUE(out && err);
  const int status = RunSingleCase(c.Direction, in, std::nullopt, c.Format, out, err);
  const std::string output = Contents(out, c.Name + "_out"),
                    message = Contents(err, c.Name + "_err");
  ASSERT_TRUE(status == ExitOk || status == ExitFailure) << status;
  EXPECT_EQ(status == ExitFailure, std::regex_match(message, std::regex("kestrin-cli: .+\n")))
      << message;
  switch (c.Format) {
  case TOutputFormat::Json: {
    const auto json = nlohmann::json::parse(output, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << output;
    EXPECT_EQ(json["error"].is_null(), status == ExitOk) << output;
    EXPECT_EQ(json["mode"], DirectionName(c.Direction));
    break;
  }
  case TOutputFormat::Text:
    // "label         = value unit", a line each; nothing after a failure.
    EXPECT_TRUE(std::regex_match(
        output, std::regex(status == ExitOk ? "([A-Za-z ]{13} = \\S[^\n]*\n){9,10}" : "")))
        << output;
    break;
  case TOutputFormat::Record:
    EXPECT_EQ(output.rfind("# 卫生防护距离计算书\n", 0) == 0, status == ExitOk) << output;
    EXPECT_EQ(output.empty(), status == ExitFailure);
    break;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, ExtremeTest, testing::ValuesIn(ExtremeCases()),
                         [](const auto &info) { return info.param.Name; });

// The report's JSON of a unit whose area is the largest double parses too.
TEST(Commands, ReportJsonAtTheLargestDouble) {
  InitNumericEnvironment();
  DecimalMark = '.';
  std::FILE *in = Scratch("ReportJsonAtTheLargestDouble_in");
  ASSERT_TRUE(in);
  std::fputs("unit,mode,area,cm,wind,class,qe\n"
             "A,distance,1.7976931348623157e308,0.25,3.5,I,10\n"
             "B,distance,100,0.25,3.5,I,10\n",
             in);
  std::rewind(in);
  std::FILE *err = Scratch("ReportJsonAtTheLargestDouble_err");
  ASSERT_TRUE(err);
  TReportOptions options;
  options.Unit = "unit";
  options.Format = TReportFormat::Json;
  std::string document;
  EXPECT_EQ(RunReport(in, err, options, document), ExitFailure);
  Contents(in, "ReportJsonAtTheLargestDouble_in");
  Contents(err, "ReportJsonAtTheLargestDouble_err");
  EXPECT_FALSE(nlohmann::json::parse(document, nullptr, false).is_discarded()) << document;
}

// Running out of memory (a long record, say) ends the tool with exit 2 and a
// message, never an abort.
TEST(Commands, OutOfMemoryIsExitTwoWithAMessage) {
  std::FILE *err = Scratch("OutOfMemory_err");
  ASSERT_TRUE(err);
  EXPECT_EQ(RunGuarded(err, []() -> int { throw std::bad_alloc(); }), ExitUsage);
  EXPECT_EQ(Contents(err, "OutOfMemory_err"), "kestrin-cli: out of memory\n");
}

} // namespace
