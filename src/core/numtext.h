// Number text, the numeric environment and the failure classes.
//
// Every quantity is stored as a double; arithmetic runs on Extended (the
// 80-bit x87 format with a 64-bit significand) and is rounded to double only
// where a value is stored. Failures are detected by explicit checks in the few
// operations that can fail (CheckedDivide, CheckedSqrt, RaiseToPower,
// StoreDouble) and thrown as the classes below; nothing else is thrown.
#pragma once

#include <cfloat>
#include <cstdint>
#include <string>

using Extended = long double;
static_assert(LDBL_MANT_DIG == 64,
              "Kestrin needs the 80-bit x87 long double (64-bit significand): with any other "
              "format its results differ in the last digits. MSVC's long double is a plain "
              "double; build with GCC or clang (MinGW-w64 on Windows).");

// Decimal separator of number text: one character from the user's locale
// (LC_NUMERIC; on Windows the user's regional format), "." when the locale
// has none or a multi-byte one.
extern char DecimalMark;

// Reads DecimalMark again from the user's current locale (start-up and
// whenever the desktop announces a settings change).
void ReadDecimalMark();

// The locale's decimal separator as DecimalMark would take it; exposed so a
// test can feed it a locale by name ("" means the user's): a POSIX name
// ("de_DE.UTF-8") on Linux, a Windows one ("de-DE") on Windows.
char DecimalMarkOfLocale(const char *localeName);

// Resets the floating-point environment: round to nearest, 64-bit
// significand, all status flags clear. Run at start-up and after a failure.
void InitNumericEnvironment();

// Pi at extended precision, for the area-radius pair and the model.
constexpr Extended Pi = 3.14159265358979323846L;

// ---- Failure classes ------------------------------------------------------

class Exception {
public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  virtual ~Exception() = default;
  const std::string &Message() const { return FMessage; }
  virtual const char *ClassName() const { return "Exception"; }

private:
  std::string FMessage;
};

class EConvertError : public Exception {
public:
  using Exception::Exception;
  const char *ClassName() const override { return "EConvertError"; }
};

class EExternal : public Exception {
public:
  using Exception::Exception;
  const char *ClassName() const override { return "EExternal"; }
};

class EMathError : public EExternal {
public:
  using EExternal::EExternal;
  const char *ClassName() const override { return "EMathError"; }
};

class EInvalidOp : public EMathError {
public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
  const char *ClassName() const override { return "EInvalidOp"; }
};

class EZeroDivide : public EMathError {
public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
  const char *ClassName() const override { return "EZeroDivide"; }
};

class EOverflow : public EMathError {
public:
  EOverflow() : EMathError("Floating point overflow") {}
  const char *ClassName() const override { return "EOverflow"; }
};

// The distance search ended without meeting its tolerance (see CalcDistance).
class ESearchNotConverged : public Exception {
public:
  explicit ESearchNotConverged(std::int32_t evaluations)
      : Exception("Distance search did not converge: no distance met the tolerance within " +
                  std::to_string(evaluations) + " evaluations") {}
  const char *ClassName() const override { return "ESearchNotConverged"; }
};

// Runs action; a failure ends it there, the numeric environment is reset for
// the next computation, and the failure goes to report. True when action
// succeeded. The one place where failures are caught.
template <typename Action, typename Report> bool CatchFailure(Action &&action, Report &&report) {
  try {
    action();
    return true;
  } catch (const Exception &failure) {
    InitNumericEnvironment();
    report(failure);
    return false;
  }
}

// ---- Number text ----------------------------------------------------------

// General format, 15 significant digits, rounded half up on the magnitude;
// scientific form from 1E15 up and below 0.0001. Never fails. Examples
// (DecimalMark "."):
//   0 -> "0"   -0 -> "0"   0.1+0.2 -> "0.3"   2/3 -> "0.666666666666667"
//   1e-4 -> "0.0001"   1e-5 -> "1E-5"   0.000012345 -> "1.2345E-5"
//   999999999999999 -> "999999999999999"   1e15 -> "1E15"
//   1234567890123445 -> "1.23456789012345E15"   99.99999999999999 -> "100"
//   +inf -> "INF"   -inf -> "-INF"   NaN -> "NAN"
// With DecimalMark ",": 1.5 -> "1,5".
std::string ValueToText(Extended value);

// The one fixed-decimals form of a document's tables: ValueToText's digits
// (15 significant, half up), rounded half up again to `decimals` places
// (clamped to 0..15), so a table never contradicts the 15-digit figure the
// record or the JSON quotes; fewer places where more would pass 15
// significant digits. INF, NAN and values from 1E15 up as ValueToText.
// Examples (DecimalMark "."), (value, decimals):
//   (988.084391971187, 2) -> "988.08"   (2.675, 2) -> "2.68" (its 15 digits
//   are 2.675, though the double lies just below)   (0.5, 2) -> "0.50"
//   (13.5, 0) -> "14"   (99.995, 2) -> "100.00"   (0.004, 2) -> "0.00"
//   (129347.098449617, 15) -> "129347.098449617"   (1e15, 2) -> "1E15"
std::string FixedText(Extended value, int decimals);

// Strict grammar: spaces, optional sign, digits with at most one DecimalMark
// (at least one digit or the mark), optional exponent (E/e, optional sign,
// digits; reading stops once the exponent reaches 500), spaces, end.
// Examples (DecimalMark "."):
//   "  7  " -> 7   "." -> 0   "-." -> -0   "5." -> 5   "1e" -> 1   "1E-" -> 1
//   "1e4932" -> 1e4932   "1e0500" -> 1e500
// Rejected with EConvertError "'<text>' is not a valid floating point value":
//   ""  "+"  "e5"  "1,5"  "- 5"  "0x10"  "INF"  "1e4933"  "1e5000"  "\t1"
Extended TextToValue(const std::string &text);

// Plain decimal digits, "-" for a negative number: -2147483648 -> "-2147483648".
std::string CountToText(std::int32_t n);

// ---- Checked arithmetic ---------------------------------------------------

// Base^Exponent: exponent 0 gives 1; 0^positive gives 0; integral exponents
// up to 2^31-1 by repeated squaring (negative bases allowed); otherwise
// e^(Exponent*ln Base). Fails with EInvalidOp (negative base, non-integral
// exponent), EZeroDivide (zero base, negative exponent) or EOverflow.
Extended RaiseToPower(Extended base, Extended exponent);

Extended WholePart(Extended x);    // truncation toward zero: -3.7 -> -3
Extended FractionPart(Extended x); // x - WholePart(x): -3.75 -> -0.75

// ln x: EInvalidOp for x < 0, EZeroDivide for x = 0.
Extended CheckedLn(Extended x);
// e^(exponent * lnBase), RaiseToPower's last step for a base whose logarithm
// is known: EOverflow beyond the extended range.
Extended PowerFromLn(Extended exponent, Extended lnBase);

// a / b: EZeroDivide for nonzero/0, EInvalidOp for 0/0.
Extended CheckedDivide(Extended a, Extended b);
// sqrt(x): EInvalidOp for x < 0.
Extended CheckedSqrt(Extended x);
// Rounds to double: EOverflow when the magnitude exceeds the double range,
// EInvalidOp for a NaN. Values below the double range become 0 or subnormal.
double StoreDouble(Extended x);
