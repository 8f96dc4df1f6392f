#include "UCal.h"

#include <cmath>

TKestrin *Calculator = nullptr;

namespace {

const Extended Golden = 0.618L;
const Extended GoldenPlusOne = 1.618L;

// EmissionAt takes the logarithm of L once for both powers, which gives
// RaiseToPower's digits only when no exponent is a whole number.
constexpr bool NoWholeNumber(const double (&table)[3][2]) {
  for (const auto &row : table)
    for (double x : row)
      if (static_cast<long long>(x) == x)
        return false;
  return true;
}
static_assert(NoWholeNumber(TableC) && NoWholeNumber(TableD));

// The smallest multiple of step above L, or L itself when it is one.
Extended RoundUpToStep(Extended L, Extended step) {
  Extended quotient = L / step;
  if (FractionPart(quotient) == 0)
    return L;
  return (WholePart(quotient) + 1) * step;
}

} // namespace

TKestrin::TKestrin() : FTolerance(StoreDouble(RaiseToPower(10, -FPrecision))) {}

// ---- Setters -----------------------------------------------------------------

void TKestrin::SetArea(const std::string &text) {
  FArea = StoreDouble(TextToValue(text));
  FRadius = StoreDouble(CheckedSqrt(CheckedDivide(FArea, Pi)));
}

void TKestrin::SetRadius(const std::string &text) {
  FRadius = StoreDouble(TextToValue(text));
  FArea = StoreDouble(Pi * FRadius * FRadius);
}

void TKestrin::SetCm(const std::string &text) {
  FCm = StoreDouble(TextToValue(text));
}

void TKestrin::SetWindSpeed(const std::string &text) {
  FWindSpeed = StoreDouble(TextToValue(text));
}

void TKestrin::SetSourceClass(std::int32_t index) {
  FSourceClass = index < 0 ? 0 : index > 2 ? 2 : index;
}

void TKestrin::SetQe(const std::string &text) {
  FQe = StoreDouble(TextToValue(text));
}

void TKestrin::SetDistance(const std::string &text) {
  FDistance = StoreDouble(TextToValue(text));
  GradeDistance();
}

// ---- Coefficients and bands ----------------------------------------------------

void TKestrin::SelectWindBand() {
  FWindBand = FWindSpeed < 2 ? 0 : FWindSpeed > 4 ? 2 : 1;
}

void TKestrin::SelectWindFlag() {
  FWindFlag = FWindSpeed >= 2 ? 1 : 0;
}

void TKestrin::LookupCoefficients() {
  FA = TableA[FDistanceBand][FWindBand][FSourceClass];
  FB = TableB[FDistanceBand][FWindFlag];
  FC = TableC[FDistanceBand][FWindFlag];
  FD = TableD[FDistanceBand][FWindFlag];
}

void TKestrin::DistanceBandFromL() {
  FDistanceBand = FDistance <= 1000 ? 0 : FDistance <= 2000 ? 1 : 2;
}

// Tests each band boundary with that band's own coefficients; leaves the
// coefficients as last looked up.
void TKestrin::DistanceBandFromQe() {
  SelectWindBand();
  SelectWindFlag();
  FDistanceBand = 0;
  LookupCoefficients();
  if (EmissionAt(1000) >= FQe)
    return;
  FDistanceBand = 1;
  LookupCoefficients();
  if (EmissionAt(2000) >= FQe)
    return;
  FDistanceBand = 2;
}

// ---- The model -------------------------------------------------------------------

// Q(L) = Cm * sqrt(B*L^C + 0.25*S/pi) * L^D / A, at extended precision,
// rounded to double only at the end. The order of the operations is fixed:
// extended arithmetic is not associative, and only this order (L^C*B, then
// 0.25*S/pi, the root of their sum, then L^D*s/A*Cm) reproduces the
// reference digits to the last one.
double TKestrin::EmissionAt(double L) const {
  // C and D are never whole numbers (checked where the tables are), so for
  // L > 0 RaiseToPower would take both powers as e^(x*ln L): ln L once does.
  Extended powerC, powerD;
  if (L > 0) {
    Extended lnL = CheckedLn(L);
    powerC = PowerFromLn(FC, lnL);
    powerD = PowerFromLn(FD, lnL);
  } else {
    powerC = RaiseToPower(L, FC);
    powerD = RaiseToPower(L, FD);
  }
  Extended p = powerC * FB;
  Extended q = CheckedDivide(0.25L * FArea, Pi);
  Extended s = CheckedSqrt(p + q);
  return StoreDouble(CheckedDivide(powerD * s, FA) * FCm);
}

double TKestrin::GradeDistance() {
  FGradedDistance = GradeOf(FDistance);
  return FGradedDistance;
}

double TKestrin::EmissionAtDistance(double L) const {
  TKestrin at = *this;
  at.FDistance = L;
  return at.CalcEmission();
}

double GradeOf(double distance) {
  Extended L = distance;
  Extended graded;
  if (L < 50)
    graded = 50;
  else if (L <= 100)
    graded = 100;
  else if (L <= 1000)
    graded = RoundUpToStep(L, 100);
  else
    graded = RoundUpToStep(L, 200);
  return StoreDouble(graded);
}

double NextGrade(double graded) {
  return GradeOf(StoreDouble(static_cast<Extended>(graded) + 1));
}

// ---- The two computations --------------------------------------------------------

double TKestrin::CalcDistance() {
  // Step 1: bands and coefficients.
  SelectWindBand();
  SelectWindFlag();
  DistanceBandFromQe();
  LookupCoefficients();
  // Step 2: starting point L, previous estimate b.
  double b = FDistanceBand == 2 ? 2000 : (FDistanceBand + 1) * 1000.0;
  FDistance = StoreDouble(FDistanceBand == 2 ? GoldenPlusOne * b : Golden * b);
  // Step 3: first evaluation.
  FIterations = 1;
  double Q = EmissionAt(FDistance);
  // Step 4: golden-ratio steps until |Q - Qe| / Qe is within the tolerance.
  // The steps shrink geometrically; when they are down to one unit in the
  // last place of L while L is still short of the tolerance, L creeps by an
  // ulp per evaluation and never arrives, and a step that leaves L in place
  // (Cm < 0 can give one) would repeat for ever. The bound ends both.
  while (std::fabs(CheckedDivide(Extended(Q) - FQe, FQe)) > FTolerance) {
    if (FIterations == MaxSearchEvaluations)
      throw ESearchNotConverged(FIterations);
    double L = FDistance;
    double t = StoreDouble(std::fabs(Extended(b) - L));
    b = L;
    Extended next = Q > FQe ? L - Golden * t : L + CheckedDivide(Golden * t * FQe, Q);
    FDistance = StoreDouble(next);
    ++FIterations;
    Q = EmissionAt(FDistance);
  }
  // Step 5: grade.
  GradeDistance();
  return FDistance;
}

double TKestrin::CalcEmission() {
  DistanceBandFromL();
  SelectWindBand();
  SelectWindFlag();
  LookupCoefficients();
  FQe = EmissionAt(FDistance);
  return FQe;
}

// ---- Source class from the window's three choices --------------------------------

std::int32_t SourceClassFromChoices(int other, int three, int qs) {
  if (other == 0)
    return three == 0 ? 0 : 1;
  return qs == 0 ? 1 : 2;
}

// ---- Source class from its text -------------------------------------------------

namespace {

constexpr std::string_view ClassBlanks[] = {" ", "\t", "\u00A0", "\u3000"};
constexpr std::string_view ClassSuffix = "\u7C7B"; // 类

struct ClassSpelling {
  std::string_view Text; // ASCII letters in lower case
  std::int32_t Class;
};

constexpr ClassSpelling ClassSpellings[] = {
    {"i", 0}, {"ii", 1},     {"iii", 2},    {"1", 0},      {"2", 1},
    {"3", 2}, {"\u2160", 0}, {"\u2161", 1}, {"\u2162", 2},
};

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Each pass that trims something shortens the text, so the loop ends.
std::string_view TrimClassBlanks(std::string_view text) {
  bool trimmed = true;
  while (trimmed) {
    trimmed = false;
    for (std::string_view blank : ClassBlanks) {
      if (StartsWith(text, blank)) {
        text.remove_prefix(blank.size());
        trimmed = true;
      }
      if (EndsWith(text, blank)) {
        text.remove_suffix(blank.size());
        trimmed = true;
      }
    }
  }
  return text;
}

} // namespace

std::int32_t SourceClassFromText(std::string_view text) {
  std::string_view numeral = TrimClassBlanks(text);
  if (EndsWith(numeral, ClassSuffix))
    numeral.remove_suffix(ClassSuffix.size());
  std::string folded(numeral);
  for (char &c : folded)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  for (const ClassSpelling &s : ClassSpellings)
    if (folded == s.Text)
      return s.Class;
  throw ESourceClassError(text);
}

TKestrin::TState TKestrin::State() const {
  return {FArea,     FRadius,   FCm,         FWindSpeed, FQe,        FDistance,    FGradedDistance,
          FA,        FB,        FC,          FD,         FTolerance, FSourceClass, FDistanceBand,
          FWindBand, FWindFlag, FIterations, FPrecision};
}

void TKestrin::Restore(const TState &s) {
  FArea = s.Area;
  FRadius = s.Radius;
  FCm = s.Cm;
  FWindSpeed = s.WindSpeed;
  FQe = s.Qe;
  FDistance = s.Distance;
  FGradedDistance = s.GradedDistance;
  FA = s.A;
  FB = s.B;
  FC = s.C;
  FD = s.D;
  FTolerance = s.Tolerance;
  FSourceClass = s.SourceClass;
  FDistanceBand = s.DistanceBand;
  FWindBand = s.WindBand;
  FWindFlag = s.WindFlag;
  FIterations = s.Iterations;
  FPrecision = s.Precision;
}
