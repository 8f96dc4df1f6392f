#include "numtext.h"

#include "exponential.h"

#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

char DecimalMark = '.';

// ---- Numeric environment and locale ----------------------------------------

void InitNumericEnvironment() {
  // The default environment is round-to-nearest with a 64-bit x87
  // significand and every condition masked: failures are found by explicit
  // checks, never by traps.
  std::fesetenv(FE_DFL_ENV);
  std::feclearexcept(FE_ALL_EXCEPT);
}

// The one platform-specific piece: the locale's decimal separator, read
// without touching the process locale; "." unless it is one ASCII character.
#ifdef _WIN32
// localeName is a Windows locale name such as "de-DE"; "" is the user's.
char DecimalMarkOfLocale(const char *localeName) {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  for (std::size_t i = 0; localeName[i] != '\0'; ++i) {
    if (i + 1 == LOCALE_NAME_MAX_LENGTH)
      return '.';
    name[i] = static_cast<unsigned char>(localeName[i]);
  }
  wchar_t mark[4];
  int n =
      GetLocaleInfoEx(name[0] != L'\0' ? name : LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, mark, 4);
  // n counts the terminating NUL: one character gives 2.
  return n == 2 && mark[0] > 0 && mark[0] < 0x80 ? static_cast<char>(mark[0]) : '.';
}
#else
// localeName is a POSIX locale name such as "de_DE.UTF-8"; "" is the user's.
char DecimalMarkOfLocale(const char *localeName) {
  locale_t loc = newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr))
    return '.';
  const char *radix = nl_langinfo_l(RADIXCHAR, loc);
  char mark = (radix != nullptr && radix[0] != '\0' && radix[1] == '\0') ? radix[0] : '.';
  freelocale(loc);
  return mark;
}
#endif

void ReadDecimalMark() {
  DecimalMark = DecimalMarkOfLocale("");
}

// ---- Checked arithmetic ------------------------------------------------------

Extended CheckedDivide(Extended a, Extended b) {
  if (std::isnan(a) || std::isnan(b))
    throw EInvalidOp();
  if (b == 0) {
    if (a == 0)
      throw EInvalidOp();
    throw EZeroDivide();
  }
  if (std::isinf(a) && std::isinf(b))
    throw EInvalidOp();
  return a / b;
}

Extended CheckedSqrt(Extended x) {
  if (std::isnan(x) || x < 0)
    throw EInvalidOp();
  return std::sqrt(x);
}

double StoreDouble(Extended x) {
  if (std::isnan(x))
    throw EInvalidOp();
  double d = static_cast<double>(x);
  if (std::isinf(d))
    throw EOverflow();
  return d;
}

namespace {

Extended CheckedMultiply(Extended a, Extended b) {
  Extended r = a * b;
  if (std::isinf(r) && !std::isinf(a) && !std::isinf(b))
    throw EOverflow();
  if (std::isnan(r))
    throw EInvalidOp();
  return r;
}

// Step 3 of RaiseToPower: repeated squaring, lowest bit first.
Extended IntegerPower(Extended base, Extended exponent) {
  auto n = static_cast<unsigned long>(std::fabs(exponent));
  Extended r = 1;
  Extended x = base;
  while (n != 0) {
    if (n & 1u)
      r = CheckedMultiply(r, x);
    n >>= 1;
    if (n != 0)
      x = CheckedMultiply(x, x);
  }
  return exponent < 0 ? CheckedDivide(1, r) : r;
}

} // namespace

Extended CheckedLn(Extended x) {
  if (std::isnan(x) || x < 0)
    throw EInvalidOp();
  if (x == 0)
    throw EZeroDivide();
  return std::log(x);
}

Extended PowerFromLn(Extended exponent, Extended lnBase) {
  Extended r = Exponential(CheckedMultiply(exponent, lnBase));
  if (std::isinf(r))
    throw EOverflow();
  return r;
}

Extended RaiseToPower(Extended base, Extended exponent) {
  if (std::isnan(base) || std::isnan(exponent))
    throw EInvalidOp();
  if (exponent == 0)
    return 1;
  if (base == 0 && exponent > 0)
    return 0;
  if (std::trunc(exponent) == exponent && std::fabs(exponent) <= INT32_MAX)
    return IntegerPower(base, exponent);
  return PowerFromLn(exponent, CheckedLn(base));
}

Extended WholePart(Extended x) {
  return std::trunc(x);
}

Extended FractionPart(Extended x) {
  return x - std::trunc(x);
}

// ---- ValueToText ---------------------------------------------------------------

namespace {

// Digits d1..dn (1 to 15, no trailing zero) and exponent E with
// |v| ~ 0.d1d2...dn * 10^E, after half-up rounding to 15 digits.
struct Digits {
  char d[20];
  int n;
  int E;
};

Digits SignificantDigits(Extended v) {
  // Step 1: 18 significant digits, exactly rounded (ties to even). Most
  // values are doubles, which to_chars converts far faster than printf.
  char buf[48];
  auto asDouble = static_cast<double>(v);
  if (static_cast<Extended>(asDouble) == v)
    *std::to_chars(buf, buf + sizeof buf - 1, asDouble, std::chars_format::scientific, 17).ptr =
        '\0';
  else
    std::snprintf(buf, sizeof buf, "%.17Le", v);
  // Both write the magnitude (v is never negative here) as
  //   d.ddddddddddddddddde[+-]X      d at [0], the point at [1] (whatever
  //   0 1 2             19 20       the C locale makes it), 17 digits at
  // [2..18], 'e' at [19] and the signed exponent X of d.ddd * 10^X from [20].
  // The 18 digits are [0] and [2..18]; as 0.ddd * 10^E, E is X + 1.
  Digits r{};
  char raw[18];
  raw[0] = buf[0];
  std::memcpy(raw + 1, buf + 2, 17);
  r.E = std::atoi(buf + 20) + 1;
  // Step 2: half up by the 16th digit, carrying leftwards.
  int n = 15;
  if (raw[15] >= '5') {
    int i = 14;
    while (i >= 0 && raw[i] == '9') {
      raw[i] = '0';
      --i;
    }
    if (i < 0) {
      raw[0] = '1';
      n = 1;
      ++r.E;
    } else {
      ++raw[i];
    }
  }
  // Step 3: drop trailing zeros.
  while (n > 1 && raw[n - 1] == '0')
    --n;
  std::memcpy(r.d, raw, static_cast<size_t>(n));
  r.n = n;
  return r;
}

// The writers below fill a caller's buffer; the longest text,
// "-1.23456789012346E-4951", has 23 characters.
char *WriteFixed(char *p, const Digits &g) {
  if (g.E >= 1) {
    for (int i = 0; i < g.E; ++i)
      *p++ = i < g.n ? g.d[i] : '0';
    if (g.n > g.E) {
      *p++ = DecimalMark;
      p = std::copy(g.d + g.E, g.d + g.n, p);
    }
  } else {
    *p++ = '0';
    *p++ = DecimalMark;
    p = std::fill_n(p, -g.E, '0');
    p = std::copy(g.d, g.d + g.n, p);
  }
  return p;
}

char *WriteScientific(char *p, const Digits &g, char *end) {
  *p++ = g.d[0];
  if (g.n > 1) {
    *p++ = DecimalMark;
    p = std::copy(g.d + 1, g.d + g.n, p);
  }
  *p++ = 'E';
  return std::to_chars(p, end, g.E - 1).ptr;
}

} // namespace

std::string ValueToText(Extended value) {
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value > 0 ? "INF" : "-INF";
  Extended v = std::fabs(value);
  if (v < LDBL_MIN)
    return "0";
  Digits g = SignificantDigits(v);
  char buf[32];
  char *p = buf;
  if (std::signbit(value))
    *p++ = '-';
  p = g.E > 15 || g.E < -3 ? WriteScientific(p, g, buf + sizeof buf) : WriteFixed(p, g);
  return std::string(buf, p);
}

std::string FixedText(Extended value, int decimals) {
  if (std::isnan(value) || std::isinf(value))
    return ValueToText(value);
  const Extended v = std::fabs(value);
  const Digits g = v < LDBL_MIN ? Digits{{'0'}, 1, 0} : SignificantDigits(v);
  if (g.E > 15)
    return ValueToText(value);
  const int places = std::min(std::clamp(decimals, 0, 15), 15 - std::max(g.E, 0));
  // Step 1: the digits of round(v * 10^places), v = 0.d1d2...dn * 10^E.
  const int keep = g.E + places;
  std::string n;
  for (int i = 0; i < keep; ++i)
    n += i < g.n ? g.d[i] : '0';
  // Step 2: half up by the first digit dropped, carrying leftwards.
  if (keep >= 0 && keep < g.n && g.d[keep] >= '5') {
    int i = keep - 1;
    while (i >= 0 && n[static_cast<std::size_t>(i)] == '9')
      n[static_cast<std::size_t>(i--)] = '0';
    if (i < 0)
      n.insert(n.begin(), '1');
    else
      ++n[static_cast<std::size_t>(i)];
  }
  // Step 3: the point before the last `places` digits; a sign only on a
  // value that did not round to zero.
  const auto width = static_cast<std::size_t>(places) + 1;
  if (n.size() < width)
    n.insert(0, width - n.size(), '0');
  const bool negative = std::signbit(value) && n.find_first_not_of('0') != std::string::npos;
  if (places > 0)
    n.insert(n.size() - static_cast<std::size_t>(places), 1, DecimalMark);
  return negative ? "-" + n : n;
}

// ---- TextToValue -----------------------------------------------------------------

namespace {

[[noreturn]] void Reject(const std::string &text) {
  throw EConvertError("'" + text + "' is not a valid floating point value");
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Exactly rounded value of the digit string times 10^scale; +inf when beyond
// the extended range.
Extended ScaledDigits(const std::string &digits, long scale) {
  // Fast path: up to 19 digits fit the 64-bit significand and 10^27 is exact
  // in it, so one rounded multiplication or division is already exact-rounded.
  if (digits.size() <= 19 && scale >= -27 && scale <= 27) {
    std::uint64_t mantissa = 0;
    for (char c : digits)
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    Extended power = 1;
    for (long i = scale < 0 ? -scale : scale; i > 0; --i)
      power *= 10;
    auto a = static_cast<Extended>(mantissa);
    return scale < 0 ? a / power : a * power;
  }
  // Otherwise strtold; its text has no decimal mark, so the process locale
  // plays no part.
  std::string s = digits.empty() ? std::string("0") : digits;
  s += 'e';
  s += std::to_string(scale);
  int savedErrno = errno;
  Extended r = std::strtold(s.c_str(), nullptr);
  errno = savedErrno;
  return r;
}

} // namespace

Extended TextToValue(const std::string &text) {
  const char *p = text.c_str();
  const char *end = p + text.size();
  // Steps 1-2: spaces, optional sign.
  while (p < end && *p == ' ')
    ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-'))
    negative = *p++ == '-';
  // Steps 3-5: integer digits, optional mark and fraction digits.
  std::string digits;
  const char *mantissaStart = p;
  while (p < end && IsDigit(*p))
    digits += *p++;
  long fractionDigits = 0;
  if (p < end && *p == DecimalMark) {
    ++p;
    while (p < end && IsDigit(*p)) {
      digits += *p++;
      ++fractionDigits;
    }
  }
  if (p == mantissaStart)
    Reject(text);
  // Step 6: exponent; reading stops once it reaches 500.
  long exponent = 0;
  if (p < end && (*p == 'E' || *p == 'e')) {
    ++p;
    bool expNegative = false;
    if (p < end && (*p == '+' || *p == '-'))
      expNegative = *p++ == '-';
    while (p < end && IsDigit(*p) && exponent < 500)
      exponent = exponent * 10 + (*p++ - '0');
    if (expNegative)
      exponent = -exponent;
  }
  // Steps 7-8: trailing spaces, then the end (a NUL inside the text is not the end).
  while (p < end && *p == ' ')
    ++p;
  if (p != end)
    Reject(text);

  // The mantissa is one integer; once it leaves the extended range the text
  // is rejected whatever the exponent.
  std::size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos)
    return negative ? -0.0L : 0.0L;
  digits.erase(0, firstNonZero);
  if (digits.size() > LDBL_MAX_10_EXP && std::isinf(ScaledDigits(digits, 0)))
    Reject(text);
  long scale = exponent - fractionDigits;
  if (scale <= -5120)
    return negative ? -0.0L : 0.0L;
  Extended value = ScaledDigits(digits, scale);
  if (std::isinf(value))
    Reject(text);
  return negative ? -value : value;
}

// ---- CountToText -------------------------------------------------------------------

std::string CountToText(std::int32_t n) {
  return std::to_string(n);
}
