"""An independent model of the calculator and its number text.

Written from the description of the model alone, in a different style from
the C++ core: numpy's longdouble (the x87 80-bit format on x86-64) for the
arithmetic, e^x correctly rounded from mpmath (the C library's expl differs
between systems in the last bit, so the core has its own), failures found by
inspecting each result the way a status flag would, exact rationals for
decimal digits, and a regular expression for the number grammar. Only the "." decimal mark is modelled, as the batch tool
always uses it.
"""

import re
from fractions import Fraction

import numpy as np
from mpmath import mp

LD = np.longdouble
if np.finfo(LD).nmant != 63:
    raise SystemExit("kestrin_ref needs an 80-bit long double (x86-64)")
# Conditions are judged from the results below, never from numpy's warnings.
np.seterr(all="ignore")

INVALID = "Invalid floating point operation"
ZERO_DIVIDE = "Floating point division by zero"
OVERFLOW = "Floating point overflow"
MAX_EVALUATIONS = 1000
NOT_CONVERGED = ("Distance search did not converge: no distance met the "
                 "tolerance within %d evaluations" % MAX_EVALUATIONS)

MAX_DOUBLE = np.finfo(np.float64).max
TINY_EXTENDED = np.finfo(LD).tiny


class Failure(Exception):
    """A failure with the message the calculator would carry."""

    def __init__(self, message):
        super().__init__(message)
        self.message = message


def convert_error(text):
    return Failure("'%s' is not a valid floating point value" % text)


# ---- Exact conversions ------------------------------------------------------

def to_extended(fr):
    """The extended value nearest to the rational fr (ties to even)."""
    if fr == 0:
        return LD(0)
    sign = -1 if fr < 0 else 1
    fr = abs(fr)
    e = fr.numerator.bit_length() - fr.denominator.bit_length() - 64
    while True:
        scaled = fr / (Fraction(2) ** e)
        if scaled >= 2 ** 64:
            e += 1
        elif scaled < 2 ** 63:
            e -= 1
        else:
            break
    e = max(e, -16445)  # subnormal extended values keep a coarser grid
    mant = round(fr / (Fraction(2) ** e))  # Python rounds halves to even
    hi, lo = divmod(mant, 2 ** 32)
    value = LD(hi) * LD(2 ** 32) + LD(lo)
    return LD(sign) * np.ldexp(value, e)


def exact(x):
    return Fraction(*LD(x).as_integer_ratio())


PI = to_extended(Fraction(314159265358979323846, 10 ** 20))
K0618 = LD(618) / LD(1000)
K1618 = LD(1618) / LD(1000)


# ---- Checked arithmetic: compute, then look at what came out ---------------

def _check(result, operands, zero_divisor=False):
    if np.isnan(result):
        raise Failure(INVALID)
    if np.isinf(result) and all(np.isfinite(o) for o in operands):
        raise Failure(ZERO_DIVIDE if zero_divisor else OVERFLOW)
    return result


def add(a, b):
    return _check(LD(a) + LD(b), (a, b))


def sub(a, b):
    return _check(LD(a) - LD(b), (a, b))


def mul(a, b):
    return _check(LD(a) * LD(b), (a, b))


def div(a, b):
    return _check(LD(a) / LD(b), (a, b), zero_divisor=(b == 0))


def sqrt(a):
    return _check(np.sqrt(LD(a)), (a,))


def ln(a):
    return _check(np.log(LD(a)), (a,), zero_divisor=(a == 0))


def exp(a):
    x = LD(a)
    if not np.isfinite(x) or not -11400 < x < 11357:
        # e^x is 0 or beyond the range (or x is not a number).
        return _check(np.exp(x), (a,))
    with mp.workprec(192):
        num, den = x.as_integer_ratio()
        y = mp.exp(mp.mpf(num) / den)
    return _check(to_extended(Fraction(int(y.man)) * Fraction(2) ** int(y.exp)), (a,))


def store(x):
    """Round to double, failing where the rounded magnitude leaves the range."""
    if np.isnan(x):
        raise Failure(INVALID)
    d = float(np.float64(LD(x)))
    if np.isinf(d):
        raise Failure(OVERFLOW)
    return d


def raise_to_power(base, exponent):
    base, exponent = LD(base), LD(exponent)
    if exponent == 0:
        return LD(1)
    if base == 0 and exponent > 0:
        return LD(0)
    if np.trunc(exponent) == exponent and abs(exponent) <= 2147483647:
        n = int(abs(exponent))
        result, x = LD(1), base
        while n:
            if n & 1:
                result = mul(result, x)
            n >>= 1
            if n:
                x = mul(x, x)
        return div(1, result) if exponent < 0 else result
    return exp(mul(exponent, ln(base)))


# ---- Number text --------------------------------------------------------------

def value_to_texts(value):
    """Every text the conversion may give: the 18 digits may come from the
    product rounded to extended precision or from exact decimal rounding;
    the two differ in rare ties only."""
    return {value_to_text(value, False), value_to_text(value, True)}


def value_to_text(value, exact_digits=False):
    v = LD(value)
    if np.isnan(v):
        return "NAN"
    if np.isinf(v):
        return "INF" if v > 0 else "-INF"
    if v == 0 or abs(v) < TINY_EXTENDED:
        return "0"
    m = abs(exact(v))
    e = decimal_exponent(m)
    # 18 digits: v * 10^(18-E) rounded to an integer, ties to even.
    rounding = (lambda x: x) if exact_digits else (lambda x: exact(to_extended(x)))
    n = round(rounding(m * Fraction(10) ** (18 - e)))
    if n >= 10 ** 18:
        n = round(rounding(Fraction(n, 10)))
        e += 1
    digits = str(n)
    if digits[15] >= "5":
        kept = str(int(digits[:15]) + 1)
        if len(kept) > 15:
            kept, e = "1", e + 1
    else:
        kept = digits[:15]
    kept = kept.rstrip("0")
    if e > 15 or e < -3:
        text = kept[0] + ("." + kept[1:] if len(kept) > 1 else "")
        text += "E" + str(e - 1)
    elif e >= 1:
        text = kept[:e].ljust(e, "0")
        if len(kept) > e:
            text += "." + kept[e:]
    else:
        text = "0." + "0" * -e + kept
    return "-" + text if v < 0 else text


def decimal_exponent(m):
    """The E with 10^(E-1) <= m < 10^E, for a positive rational m."""
    bits = m.numerator.bit_length() - m.denominator.bit_length()
    e = int(bits * 0.30102999566398120) + 1
    while Fraction(10) ** (e - 1) > m:
        e -= 1
    while Fraction(10) ** e <= m:
        e += 1
    return e


_MANTISSA = re.compile(r" *([+-]?)([0-9]*)(\.([0-9]*))?")
_TAIL = re.compile(r" *\Z")


def text_to_value(text):
    m = _MANTISSA.match(text)
    whole, frac = m.group(2), m.group(4) or ""
    if not whole and m.group(3) is None:
        raise convert_error(text)
    pos = m.end()
    exponent = 0
    if pos < len(text) and text[pos] in "eE":
        pos += 1
        negative = pos < len(text) and text[pos] == "-"
        if pos < len(text) and text[pos] in "+-":
            pos += 1
        while pos < len(text) and text[pos].isascii() and text[pos].isdigit():
            exponent = exponent * 10 + int(text[pos])
            pos += 1
            if exponent >= 500:
                break
        exponent = -exponent if negative else exponent
    if not _TAIL.match(text, pos):
        raise convert_error(text)
    acc = LD(0)
    for d in whole + frac:
        acc = acc * LD(10) + LD(int(d))
    if not np.isfinite(acc):
        raise convert_error(text)
    value = scale_by_ten(acc, exponent - len(frac))
    if not np.isfinite(value):
        raise convert_error(text)
    return -value if m.group(1) == "-" else value


def scale_by_ten(acc, k):
    if acc == 0:
        return LD(0)
    if k <= -5120:
        return LD(0)
    return to_extended(exact(acc) * Fraction(10) ** k)


def count_to_text(n):
    return str(int(n))


# ---- The calculator -----------------------------------------------------------

TABLE_A = [
    [[400, 400, 400], [700, 470, 350], [530, 350, 260]],
    [[400, 400, 400], [700, 470, 350], [530, 350, 260]],
    [[80, 80, 80], [380, 250, 190], [290, 190, 140]],
]
TABLE_B = [[0.01, 0.021], [0.015, 0.036], [0.015, 0.036]]
TABLE_C = [[1.85, 1.85], [1.79, 1.77], [1.79, 1.77]]
TABLE_D = [[0.78, 0.84], [0.78, 0.84], [0.57, 0.76]]


class Calc:
    def __init__(self):
        self.area = self.radius = self.cm = self.wind = 0.0
        self.source_class = 0
        self.qe = self.distance = self.graded = 0.0
        self.a = self.b = self.c = self.d = 0.0
        self.distance_band = self.wind_band = self.wind_flag = 0
        self.iterations = 0
        self.tolerance = store(raise_to_power(10, -5))

    # setters
    def set_area(self, text):
        self.area = store(text_to_value(text))
        self.radius = store(sqrt(div(self.area, PI)))

    def set_radius(self, text):
        self.radius = store(text_to_value(text))
        self.area = store(mul(mul(PI, self.radius), self.radius))

    def set_cm(self, text):
        self.cm = store(text_to_value(text))

    def set_wind(self, text):
        self.wind = store(text_to_value(text))

    def set_class(self, index):
        self.source_class = min(max(index, 0), 2)

    def set_qe(self, text):
        self.qe = store(text_to_value(text))

    def set_distance(self, text):
        self.distance = store(text_to_value(text))
        self.graded = self.grade()

    # model
    def select_wind(self):
        v = self.wind
        self.wind_band = 0 if v < 2 else (2 if v > 4 else 1)
        self.wind_flag = 1 if v >= 2 else 0

    def lookup(self):
        band, flag = self.distance_band, self.wind_flag
        self.a = float(TABLE_A[band][self.wind_band][self.source_class])
        self.b = TABLE_B[band][flag]
        self.c = TABLE_C[band][flag]
        self.d = TABLE_D[band][flag]

    def emission_at(self, L):
        p = mul(raise_to_power(L, self.c), self.b)
        q = div(mul(LD(1) / LD(4), self.area), PI)
        s = sqrt(add(p, q))
        return store(mul(div(mul(raise_to_power(L, self.d), s), self.a), self.cm))

    def band_from_qe(self):
        self.select_wind()
        for band, edge in ((0, 1000), (1, 2000)):
            self.distance_band = band
            self.lookup()
            if self.emission_at(edge) >= self.qe:
                return
        self.distance_band = 2

    def calc_distance(self):
        self.select_wind()
        self.band_from_qe()
        self.lookup()
        band = self.distance_band
        if band < 2:
            b = float((band + 1) * 1000)
            L = store(mul(K0618, b))
        else:
            b = 2000.0
            L = store(mul(K1618, 2000))
        self.distance = L
        self.iterations = 1
        q = self.emission_at(L)
        while abs(div(sub(q, self.qe), self.qe)) > self.tolerance:
            if self.iterations == MAX_EVALUATIONS:
                raise Failure(NOT_CONVERGED)
            t = store(abs(sub(b, L)))
            b = L
            if q > self.qe:
                L = store(sub(L, mul(K0618, t)))
            else:
                L = store(add(L, div(mul(mul(K0618, t), self.qe), q)))
            self.distance = L
            self.iterations += 1
            q = self.emission_at(L)
        self.graded = self.grade()
        return self.distance

    def calc_emission(self):
        L = self.distance
        self.distance_band = 0 if L <= 1000 else (1 if L <= 2000 else 2)
        self.select_wind()
        self.lookup()
        self.qe = self.emission_at(L)
        return self.qe

    def grade(self):
        L = self.distance
        if L < 50:
            return 50.0
        if L <= 100:
            return 100.0
        step = 100 if L <= 1000 else 200
        q = div(L, step)
        whole = np.trunc(q)
        if q - whole == 0:
            return store(L)
        return store(mul(add(whole, 1), step))
