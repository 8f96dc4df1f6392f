// The health-protection-distance calculator: the emission model
//   Q(L) = Cm * (B*L^C + 0.25*S/pi)^0.5 * L^D / A
// its coefficient tables, the distance search and the emission calculation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "numtext.h"

// The coefficient tables of the model, as data.
// A[distance band][wind band][source class]
inline constexpr double TableA[3][3][3] = {
    {{400, 400, 400}, {700, 470, 350}, {530, 350, 260}},
    {{400, 400, 400}, {700, 470, 350}, {530, 350, 260}},
    {{80, 80, 80}, {380, 250, 190}, {290, 190, 140}},
};
// B, C, D[distance band][wind flag]
inline constexpr double TableB[3][2] = {{0.01, 0.021}, {0.015, 0.036}, {0.015, 0.036}};
inline constexpr double TableC[3][2] = {{1.85, 1.85}, {1.79, 1.77}, {1.79, 1.77}};
inline constexpr double TableD[3][2] = {{0.78, 0.84}, {0.78, 0.84}, {0.57, 0.76}};

class TKestrin {
public:
  // Evaluations after which CalcDistance gives up with ESearchNotConverged.
  // Converging searches need at most about 290 (850,000 random problems, S
  // up to 10^12 m^2, Cm down to 10^-6, Qe 10^-6..10^6, V 0..20); a search
  // still short of the tolerance by then is creeping an ulp at a time and
  // would never arrive. 1000 evaluations take about a quarter millisecond.
  static constexpr std::int32_t MaxSearchEvaluations = 1000;

  TKestrin();
  virtual ~TKestrin() = default;

  // Setters taking number text; a failing conversion changes nothing.
  void SetArea(const std::string &text);   // also FRadius = sqrt(S/pi)
  void SetRadius(const std::string &text); // also FArea = (pi*r)*r
  void SetCm(const std::string &text);
  void SetWindSpeed(const std::string &text);
  void SetSourceClass(std::int32_t index); // clamped to 0..2
  void SetQe(const std::string &text);
  void SetDistance(const std::string &text); // also grades it

  std::string AreaText() const { return ValueToText(FArea); }
  std::string RadiusText() const { return ValueToText(FRadius); }
  std::string QeText() const { return ValueToText(FQe); }
  std::string DistanceText() const { return ValueToText(FDistance); }
  std::string GradedDistanceText() const { return ValueToText(FGradedDistance); }

  double CalcDistance();
  double CalcEmission();

  double EmissionAt(double L) const;
  void LookupCoefficients();
  void SelectWindBand();
  void SelectWindFlag();
  void DistanceBandFromQe();
  void DistanceBandFromL();
  double GradeDistance();
  // The model's emission at L with the coefficients of L's own distance
  // band, as CalcEmission gives it for FDistance = L; changes nothing.
  double EmissionAtDistance(double L) const;

  // Every field as plain values, so a calculation can be kept in a file
  // and restored bit for bit (the plant report keeps its rows so).
  struct TState {
    double Area, Radius, Cm, WindSpeed, Qe, Distance, GradedDistance, A, B, C, D, Tolerance;
    std::int32_t SourceClass, DistanceBand, WindBand, WindFlag, Iterations, Precision;
  };
  TState State() const;
  void Restore(const TState &state);

  double Area() const { return FArea; }
  double Radius() const { return FRadius; }
  double Cm() const { return FCm; }
  double WindSpeed() const { return FWindSpeed; }
  std::int32_t SourceClass() const { return FSourceClass; }
  double Qe() const { return FQe; }
  double Distance() const { return FDistance; }
  double GradedDistance() const { return FGradedDistance; }
  double A() const { return FA; }
  double B() const { return FB; }
  double C() const { return FC; }
  double D() const { return FD; }
  std::int32_t DistanceBand() const { return FDistanceBand; }
  std::int32_t WindBand() const { return FWindBand; }
  std::int32_t WindFlag() const { return FWindFlag; }
  std::int32_t Iterations() const { return FIterations; }
  std::int32_t Precision() const { return FPrecision; }
  double Tolerance() const { return FTolerance; }

private:
  double FArea = 0;
  double FRadius = 0;
  double FCm = 0;
  double FWindSpeed = 0;
  std::int32_t FSourceClass = 0;
  double FQe = 0;
  double FDistance = 0;
  double FGradedDistance = 0;
  double FA = 0, FB = 0, FC = 0, FD = 0;
  std::int32_t FDistanceBand = 0;
  std::int32_t FWindBand = 0;
  std::int32_t FWindFlag = 0;
  std::int32_t FIterations = 0;
  std::int32_t FPrecision = 5;
  double FTolerance = 0;
};

// A distance rounded up to the graded steps: below 50 m 50 m, up to 100 m
// 100 m, up to 1000 m the next 100 m, above that the next 200 m.
double GradeOf(double distance);
// The graded step above a graded distance: 50 -> 100, 100 -> 200, 1000 ->
// 1200, 2000 -> 2200.
double NextGrade(double graded);

// The program's single calculator, created at start-up before any window.
extern TKestrin *Calculator;

// Source class from the three choice groups of the main window:
//   other 0 ("有" stacks): three 0 -> class 0 (I), three 1 -> class 1 (II)
//   other 1 ("无" stacks): qs 0 (acute) -> class 1 (II), qs 1 (chronic) -> class 2 (III)
// The group that does not apply is ignored.
std::int32_t SourceClassFromChoices(int other, int three, int qs);

// A source-class text that is none of the spellings SourceClassFromText takes.
class ESourceClassError : public Exception {
public:
  explicit ESourceClassError(std::string_view text)
      : Exception("'" + std::string(text) + "' is not a valid source class") {}
  const char *ClassName() const override { return "ESourceClassError"; }
};

// Source class from its text as typed, pasted or written in a batch file
// (UTF-8): after trimming blanks (space, tab, no-break space, ideographic
// space), I/II/III in either case, Ⅰ/Ⅱ/Ⅲ or 1/2/3, each optionally followed
// by 类. Examples: "II" -> 1, " iii类\u3000" -> 2, "2类" -> 1, "Ⅰ" -> 0.
// Anything else ("", "IV", "类Ⅱ", "II 类", "ⅰ") throws ESourceClassError
// quoting the text as given.
std::int32_t SourceClassFromText(std::string_view text);
