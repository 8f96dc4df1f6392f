// The calculator: the worked examples to the digit, the failures and what
// they leave behind, bands, grading and the setters' invariants.
#include "UCal.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Inputs {
  const char *area = "100";
  const char *cm = "0.25";
  const char *wind = "3.5";
  int sourceClass = 0;
  const char *qe = "10";
};

void Feed(TKestrin &k, const Inputs &in) {
  k.SetArea(in.area);
  k.SetCm(in.cm);
  k.SetWindSpeed(in.wind);
  k.SetSourceClass(in.sourceClass);
  k.SetQe(in.qe);
}

// A row's inputs, for the trace of a failing row.
std::string Describe(const Inputs &in) {
  return std::string("S ") + in.area + " Cm " + in.cm + " V " + in.wind + " class " +
         std::to_string(in.sourceClass) + " Qe " + in.qe;
}

std::string Coefficients(const TKestrin &k) {
  return ValueToText(k.A()) + " " + ValueToText(k.B()) + " " + ValueToText(k.C()) + " " +
         ValueToText(k.D());
}

std::string Bands(const TKestrin &k) {
  return CountToText(k.DistanceBand()) + "," + CountToText(k.WindBand()) + "," +
         CountToText(k.WindFlag());
}

class Calc : public ::testing::Test {
protected:
  void SetUp() override {
    InitNumericEnvironment();
    DecimalMark = '.';
  }
};

TEST_F(Calc, DistanceWorkedExamples) {
  struct Row {
    Inputs in;
    const char *bands, *coefficients, *distance, *graded;
    int iterations;
  } rows[] = {
      {{}, "0,1,1", "700 0.021 1.85 0.84", "988.084391971187", "1000", 23},
      {{"100", "0.25", "1", 1, "2"}, "0,0,0", "400 0.01 1.85 0.78", "437.526272507651", "500", 24},
      {{"100", "0.25", "3.5", 2, "40"}, "1,1,1", "350 0.036 1.77 0.84", "1482.40845952551", "1600",
       22},
      {{"100", "0.25", "5", 0, "100"}, "2,2,1", "290 0.036 1.77 0.76", "3292.27805548391", "3400",
       21},
      {{"100", "0.25", "1", 2, "50"}, "2,0,0", "80 0.015 1.79 0.57", "3105.68427581764", "3200",
       22},
      {{"100", "0.25", "3.5", 0, "0.01"}, "0,1,1", "700 0.021 1.85 0.84", "13.099216742119", "50",
       31},
      {{"100", "0.25", "3.5", 0, "32000"}, "2,1,1", "380 0.036 1.77 0.76", "129347.098449617",
       "129400", 26},
      // Emission at 1000 m with band-0 coefficients equals Qe exactly: band 0, never re-banded.
      {{"100", "0.25", "3.5", 0, "10.213707239566746"}, "0,1,1", "700 0.021 1.85 0.84",
       "1000.00018045571", "1200", 20},
      {{"0", "0.25", "3.5", 0, "10"}, "0,1,1", "700 0.021 1.85 0.84", "988.392347011128", "1000",
       26},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(Describe(row.in));
    TKestrin k;
    Feed(k, row.in);
    EXPECT_EQ(ValueToText(k.CalcDistance()), row.distance) << "Qe " << row.in.qe;
    EXPECT_EQ(k.DistanceText(), row.distance);
    EXPECT_EQ(k.GradedDistanceText(), row.graded) << "Qe " << row.in.qe;
    EXPECT_EQ(k.Iterations(), row.iterations) << "Qe " << row.in.qe;
    EXPECT_EQ(Bands(k), row.bands) << "Qe " << row.in.qe;
    EXPECT_EQ(Coefficients(k), row.coefficients) << "Qe " << row.in.qe;
  }
}

TEST_F(Calc, StartUpRadiusGivesTheSameDistance) {
  TKestrin k;
  Feed(k, {});
  k.SetRadius("5.64189583547756");
  k.CalcDistance();
  EXPECT_EQ(k.DistanceText(), "988.084391971187");
  EXPECT_EQ(k.Iterations(), 23);
}

const char *const NotConverged =
    "Distance search did not converge: no distance met the tolerance within 1000 evaluations";

TEST_F(Calc, DistanceFailures) {
  struct Row {
    Inputs in;
    const char *message;
    const char *distance; // FDistance after the failure
    int iterations;
  } rows[] = {
      {{"100", "0.25", "3.5", 0, "32200"}, "Invalid floating point operation",
       "-102662476.245907", 14},
      {{"100", "0.25", "3.5", 0, "0"}, "Floating point division by zero", "618", 1},
      {{"100", "0", "3.5", 0, "0"}, "Invalid floating point operation", "618", 1},
      {{"100", "0", "3.5", 0, "10"}, "Floating point division by zero", "3236", 1},
      // Negative Qe: every step is downward; L dips below zero at the 80th evaluation.
      {{"100", "0.25", "3.5", 0, "-1"}, "Invalid floating point operation",
       "-5.04896540106025E-15", 80},
      // Steps that shrink to an ulp of L short of the tolerance: the bound ends them.
      {{"223922000000", "0.000696339", "1.81", 0, "251.752"}, NotConverged, "12067.2735276357",
       1000},
      {{"4.76495e7", "0.001102", "1.23", 2, "5.2303"}, NotConverged, "9914.02478244207", 1000},
      {{"93570000", "4.5", "0", 2, "35356"}, NotConverged, "13184.4560063275", 1000},
      // Cm < 0 with V > 4: a step leaves L where it was.
      {{"100", "-0.25", "5", 0, "10"}, NotConverged, "3151.84647243317", 1000},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(Describe(row.in));
    TKestrin k;
    Feed(k, row.in);
    k.SetDistance("301"); // a graded value the failure must leave alone
    std::string message;
    try {
      k.CalcDistance();
    } catch (const Exception &e) {
      message = e.Message();
    }
    InitNumericEnvironment();
    EXPECT_EQ(message, row.message) << "Qe " << row.in.qe << " Cm " << row.in.cm;
    EXPECT_EQ(k.DistanceText(), row.distance) << "Qe " << row.in.qe;
    EXPECT_EQ(k.Iterations(), row.iterations) << "Qe " << row.in.qe;
    EXPECT_EQ(k.GradedDistanceText(), "400") << "Qe " << row.in.qe;
  }
}

// Wide random problems: every search ends, by a result or a failure, within
// the bound, and the sample reaches both the bound and ordinary results.
TEST_F(Calc, EverySearchEnds) {
  std::mt19937_64 rng(20261209);
  auto logUniform = [&rng](double lo, double hi) {
    return std::pow(10.0, std::uniform_real_distribution<double>(std::log10(lo),
                                                                 std::log10(hi))(rng));
  };
  auto text = [](double x) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", x);
    return std::string(buf);
  };
  int results = 0, bounded = 0;
  for (int i = 0; i < 20000; ++i) {
    TKestrin k;
    k.SetArea(text(logUniform(1, 1e12)));
    k.SetCm(text(logUniform(1e-6, 100)));
    k.SetWindSpeed(text(std::uniform_real_distribution<double>(0, 20)(rng)));
    k.SetSourceClass(static_cast<int>(rng() % 3));
    k.SetQe(text(logUniform(1e-6, 1e6)));
    SCOPED_TRACE("S " + k.AreaText() + " Cm " + ValueToText(k.Cm()) + " V " +
                 ValueToText(k.WindSpeed()) + " Qe " + k.QeText());
    try {
      k.CalcDistance();
      ++results;
    } catch (const ESearchNotConverged &) {
      ++bounded;
      EXPECT_EQ(k.Iterations(), TKestrin::MaxSearchEvaluations);
    } catch (const Exception &) {
      InitNumericEnvironment();
    }
    ASSERT_LE(k.Iterations(), TKestrin::MaxSearchEvaluations);
  }
  EXPECT_GT(results, 15000);
  EXPECT_GT(bounded, 0);
}

TEST_F(Calc, EmissionWorkedExamples) {
  struct Row {
    const char *distance, *bands, *coefficients, *qe, *graded;
  } rows[] = {
      {"100", "0,1,1", "700 0.021 1.85 0.84", "0.181877399717569", "100"},
      {"1500", "1,1,1", "700 0.036 1.77 0.84", "20.4110482731803", "1600"},
      {"0", "0,1,1", "700 0.021 1.85 0.84", "0", "50"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(std::string("L ") + row.distance);
    TKestrin k;
    Feed(k, {});
    k.CalcDistance();
    k.SetDistance(row.distance);
    EXPECT_EQ(ValueToText(k.CalcEmission()), row.qe) << "L " << row.distance;
    EXPECT_EQ(k.QeText(), row.qe);
    EXPECT_EQ(k.GradedDistanceText(), row.graded) << "L " << row.distance;
    EXPECT_EQ(Bands(k), row.bands) << "L " << row.distance;
    EXPECT_EQ(Coefficients(k), row.coefficients) << "L " << row.distance;
    EXPECT_EQ(k.Iterations(), 23) << "the last search's count stays";
    EXPECT_EQ(k.DistanceText(), row.distance) << "the emission uses L as set";
  }
}

TEST_F(Calc, GradeDistance) {
  struct Row {
    const char *distance, *graded;
  } rows[] = {
      {"49.9", "50"},     {"0", "50"},        {"50", "100"},    {"100", "100"},
      {"100.1", "200"},   {"300", "300"},     {"301", "400"},   {"320", "400"},
      {"999.5", "1000"},  {"1000", "1000"},   {"1000.5", "1200"}, {"1200", "1200"},
      {"1200.1", "1400"}, {"129347.098449617", "129400"},
  };
  for (const Row &row : rows) {
    TKestrin k;
    k.SetDistance(row.distance);
    EXPECT_EQ(k.GradedDistanceText(), row.graded) << "L " << row.distance;
  }
}

TEST_F(Calc, WindBandAndFlag) {
  struct Row {
    const char *wind;
    int band, flag;
  } rows[] = {{"0", 0, 0}, {"1.999", 0, 0}, {"2", 1, 1}, {"3.5", 1, 1},
              {"4", 1, 1}, {"4.001", 2, 1}, {"10", 2, 1}};
  for (const Row &row : rows) {
    SCOPED_TRACE(std::string("V ") + row.wind);
    TKestrin k;
    k.SetWindSpeed(row.wind);
    k.SelectWindBand();
    k.SelectWindFlag();
    EXPECT_EQ(k.WindBand(), row.band) << "V " << row.wind;
    EXPECT_EQ(k.WindFlag(), row.flag) << "V " << row.wind;
  }
}

TEST_F(Calc, DistanceBandFromL) {
  struct Row {
    const char *distance;
    int band;
  } rows[] = {{"0", 0}, {"1000", 0}, {"1000.001", 1}, {"2000", 1}, {"2000.001", 2}};
  for (const Row &row : rows) {
    TKestrin k;
    k.SetDistance(row.distance);
    k.DistanceBandFromL();
    EXPECT_EQ(k.DistanceBand(), row.band) << "L " << row.distance;
  }
}

TEST_F(Calc, SourceClassIsClamped) {
  struct Row {
    int index, sourceClass;
  } rows[] = {{-1, 0}, {INT32_MIN, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 2}, {INT32_MAX, 2}};
  for (const Row &row : rows) {
    TKestrin k;
    k.SetSourceClass(row.index);
    EXPECT_EQ(k.SourceClass(), row.sourceClass) << "index " << row.index;
  }
}

TEST_F(Calc, SourceClassFromChoices) {
  struct Row {
    int other, three, qs, sourceClass;
  } rows[] = {
      {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 1}, {0, 1, 1, 1},
      {1, 0, 0, 1}, {1, 1, 0, 1}, {1, 0, 1, 2}, {1, 1, 1, 2},
  };
  for (const Row &row : rows)
    EXPECT_EQ(SourceClassFromChoices(row.other, row.three, row.qs), row.sourceClass)
        << row.other << row.three << row.qs;
}

TEST_F(Calc, SourceClassFromText) {
  struct Row {
    const char *text;
    int sourceClass; // -1: rejected
  } rows[] = {
      {"I", 0},  {"II", 1},  {"III", 2},  {"i", 0},  {"ii", 1},  {"iIi", 2},
      {"1", 0},  {"2", 1},   {"3", 2},    {"\u2160", 0}, {"\u2161", 1}, {"\u2162", 2},
      {"I\u7C7B", 0}, {"\u2161\u7C7B", 1}, {"3\u7C7B", 2}, {"ii\u7C7B", 1},
      {" II", 1}, {"II\t", 1}, {"\u00A0\u2161", 1}, {"\u3000\u3000III\u7C7B\u3000 ", 2},
      {"\t \u00A0\u30002 ", 1},
      // Not a class, or not a spelling that is taken.
      {"", -1}, {" ", -1}, {"\u3000", -1}, {"\u7C7B", -1}, {"IV", -1}, {"\u2163", -1},
      {"0", -1}, {"4", -1}, {"IIII", -1}, {"\u7C7B\u2163", -1}, {"\u7C7BII", -1},
      {"II \u7C7B", -1}, {"II\u7C7B\u7C7B", -1}, {"I I", -1}, {"\u2171", -1},
      {"\uFF12", -1}, {"II\n", -1}, {"\u2161\u2161", -1}, {"1.0", -1}, {"+1", -1},
  };
  for (const Row &row : rows) {
    if (row.sourceClass >= 0) {
      EXPECT_EQ(SourceClassFromText(row.text), row.sourceClass) << "'" << row.text << "'";
      continue;
    }
    try {
      SourceClassFromText(row.text);
      ADD_FAILURE() << "'" << row.text << "' was taken";
    } catch (const ESourceClassError &e) {
      EXPECT_EQ(e.Message(), "'" + std::string(row.text) + "' is not a valid source class");
    }
  }
}

TEST_F(Calc, AreaAndRadiusKeepInStep) {
  TKestrin k;
  EXPECT_EQ(k.Tolerance(), 0.00001);
  k.SetArea("100");
  EXPECT_EQ(k.RadiusText(), "5.64189583547756");
  k.SetRadius("10");
  EXPECT_EQ(k.AreaText(), "314.159265358979");
  k.SetArea(k.AreaText());
  EXPECT_EQ(k.RadiusText(), "9.99999999999999");
  k.SetRadius("-10"); // a negative radius still gives a positive area
  EXPECT_EQ(k.AreaText(), "314.159265358979");
}

TEST_F(Calc, FailingSettersChangeNothingOrOnlyWhatWasStored) {
  TKestrin k;
  Feed(k, {});
  struct Row {
    const char *name;
    void (*run)(TKestrin &);
    const char *message;
  } rows[] = {
      {"text", [](TKestrin &c) { c.SetCm("abc"); }, "'abc' is not a valid floating point value"},
      {"empty", [](TKestrin &c) { c.SetQe(""); }, "'' is not a valid floating point value"},
      {"1e400", [](TKestrin &c) { c.SetWindSpeed("1e400"); }, "Floating point overflow"},
      {"1e400 distance", [](TKestrin &c) { c.SetDistance("1e400"); }, "Floating point overflow"},
  };
  for (const Row &row : rows) {
    std::string message;
    try {
      row.run(k);
    } catch (const Exception &e) {
      message = e.Message();
    }
    EXPECT_EQ(message, row.message) << row.name;
  }
  EXPECT_EQ(k.Cm(), 0.25);
  EXPECT_EQ(k.Qe(), 10);
  EXPECT_EQ(k.WindSpeed(), 3.5);
  EXPECT_EQ(k.Distance(), 0);

  // A negative area is stored; taking its root for the radius then fails.
  std::string message;
  try {
    k.SetArea("-4");
  } catch (const EInvalidOp &e) {
    message = e.Message();
  }
  InitNumericEnvironment();
  EXPECT_EQ(message, "Invalid floating point operation");
  EXPECT_EQ(k.Area(), -4);
  EXPECT_EQ(k.RadiusText(), "5.64189583547756");
}

TEST_F(Calc, EmissionAtEdges) {
  TKestrin k;
  Feed(k, {});
  k.CalcDistance();
  EXPECT_EQ(k.EmissionAt(0), 0);
  EXPECT_THROW(k.EmissionAt(-1), EInvalidOp);
  InitNumericEnvironment();
}

TEST_F(Calc, SetDistanceGradesAndEmissionLeavesItAlone) {
  TKestrin k;
  Feed(k, {});
  k.SetDistance("300");
  EXPECT_EQ(k.GradedDistanceText(), "300");
  k.SetDistance("301");
  EXPECT_EQ(k.GradedDistanceText(), "400");
  k.CalcEmission();
  EXPECT_EQ(k.DistanceText(), "301");
  EXPECT_EQ(k.GradedDistanceText(), "400");
  EXPECT_EQ(k.Iterations(), 0);
}

TEST_F(Calc, StartingPointThatMeetsTheToleranceCountsOne) {
  // Qe chosen as the model's own emission at the band-0 start of 618 m.
  TKestrin k;
  Feed(k, {});
  k.CalcDistance();
  k.SetDistance("618");
  k.CalcEmission();
  k.SetQe(k.QeText());
  k.CalcDistance();
  EXPECT_EQ(k.Iterations(), 1);
  EXPECT_EQ(k.DistanceText(), "618");
}

} // namespace
