// The graded-distance check of the record: what 计算源强 gives at the graded
// distance, whether that holds Qe, the next step, and a check that fails.
#include "record.h"

#include <string>
#include <utility>

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
  };
  for (const auto &[given, quoted] : cases)
    EXPECT_EQ(QuotedInput(given), quoted) << given;
}
