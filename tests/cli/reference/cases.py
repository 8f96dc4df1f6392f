"""Fixed-seed generator of batch rows: everyday problems, band and wind
boundaries, varied number text, and rows that fail.

Every row is a dict from column name to cell text; a missing key is an
empty cell. Mantissas keep at most 19 significant digits, where every
correct reading of number text gives the same value.
"""

import random

import numpy as np

import kestrin_ref as ref

COLUMNS = ["mode", "area", "radius", "cm", "wind", "class", "qe", "distance"]
CLASS_TEXTS = ["I", "II", "III", "\u2160", "\u2161", "\u2162", "ii", "2\u7c7b",
               " \u2162\u7c7b\u3000", "1"]
WIND_EDGES = ["2", "1.999", "4", "4.001", "2.0", "0.2e1", "4e0", "40E-1",
              "1.9999999999999998", "4.000000000000001", "0", "0.5", "10"]
GRADE_EDGES = ["49.9", "50", "50.000000000001", "100", "100.1", "300", "301",
               "999.5", "1000", "1000.5", "1200", "1200.1", "2000", "2000.0000000001"]
BAD_TEXTS = ["abc", "12abc", "1.2.3", "1,5", "1,000", "1 000", "- 5", "5e 3",
             "0x10", "INF", "NAN", "\t1", "   ", "+", "-", "e5", "1e5000",
             "1e4933", "1\"5", "1\n5", "\u00a01"]


def log_uniform(rng, lo, hi):
    return 10 ** rng.uniform(np.log10(lo), np.log10(hi))


def number_text(rng, x):
    """x written in one of several styles a person or a spreadsheet uses."""
    digits = rng.choice([1, 2, 3, 4, 6, 9, 12, 15, 17])
    style = rng.random()
    if style < 0.45:
        text = "%.*g" % (digits, x)
    elif style < 0.6:
        text = ("%.*e" % (digits - 1, x)).replace("e", rng.choice("eE"))
    elif style < 0.7:
        text = repr(float(x))
    elif style < 0.8:
        text = ("%.*f" % (rng.randint(0, 6), x))
    else:
        text = vary(rng, "%.*g" % (digits, x))
    return text


def vary(rng, text):
    """The same number in another accepted spelling."""
    choice = rng.randrange(7)
    if choice == 0:
        return " " * rng.randint(1, 3) + text + " " * rng.randint(0, 2)
    if choice == 1 and text[0].isdigit():
        return "+" + text
    if choice == 2 and text[0].isdigit():
        return "00" + text
    if choice == 3 and "." not in text and "e" not in text:
        return text + "."
    if choice == 4 and text.startswith("0."):
        return text[1:]
    if choice == 5 and "e" not in text and "E" not in text:
        return text + rng.choice(["e0", "E+0", "e", "E-", "e-0"])
    if choice == 6 and "e" not in text and "E" not in text and "." not in text:
        return text + "0e-1"
    return text


def everyday(rng, mode):
    row = {"mode": mode}
    if rng.random() < 0.75:
        row["area"] = number_text(rng, log_uniform(rng, 10, 100000))
    if rng.random() < 0.3:
        row["radius"] = number_text(rng, log_uniform(rng, 2, 200))
    row["cm"] = number_text(rng, log_uniform(rng, 0.01, 10))
    row["wind"] = number_text(rng, rng.uniform(0.5, 10))
    row["class"] = rng.choice(CLASS_TEXTS)
    if mode == "distance":
        row["qe"] = number_text(rng, log_uniform(rng, 0.01, 100))
    else:
        row["distance"] = number_text(rng, log_uniform(rng, 1, 100000))
    return row


def wind_edge(rng):
    row = everyday(rng, rng.choice(["distance", "emission"]))
    row["wind"] = rng.choice(WIND_EDGES)
    return row


def band_edge(rng):
    """Qe on, just below and just above the emission at a band boundary."""
    row = everyday(rng, "distance")
    calc = ref.Calc()
    try:
        for key, setter in (("area", calc.set_area), ("radius", calc.set_radius),
                            ("cm", calc.set_cm), ("wind", calc.set_wind)):
            if key in row:
                setter(row[key])
        calc.select_wind()
        calc.distance_band = rng.choice([0, 1])
        calc.lookup()
        q = calc.emission_at(1000 if calc.distance_band == 0 else 2000)
    except ref.Failure:
        return row
    q = rng.choice([q, np.nextafter(q, 0), np.nextafter(q, np.inf)])
    row["qe"] = repr(float(q))
    return row


def grade_edge(rng):
    row = everyday(rng, rng.choice(["distance", "emission"]))
    row["distance"] = rng.choice(GRADE_EDGES)
    return row


def failing(rng):
    kind = rng.randrange(10)
    row = everyday(rng, "distance" if kind < 7 else "emission")
    if kind == 0:
        row["qe"] = rng.choice(["0", "0.0", "-0", "0e5"])
    elif kind == 1:
        row["cm"] = "0"
        row["qe"] = rng.choice(["0", "5", "1e-3"])
    elif kind == 2:
        row["qe"] = number_text(rng, log_uniform(rng, 1e4, 1e8))
        row["cm"] = number_text(rng, log_uniform(rng, 0.01, 1))
    elif kind == 3:
        row["qe"] = "-" + number_text(rng, log_uniform(rng, 0.01, 100))
    elif kind == 4:
        row["area"] = "-" + number_text(rng, log_uniform(rng, 1, 1000))
    elif kind == 5:
        row[rng.choice(["area", "radius", "cm", "wind", "qe"])] = rng.choice(BAD_TEXTS)
    elif kind == 6:
        row[rng.choice(["area", "cm", "qe"])] = rng.choice(["1e400", "-1e309", "1.8e308", "1e4932"])
    elif kind == 7:
        row["distance"] = "-" + number_text(rng, log_uniform(rng, 1, 1000))
    elif kind == 8:
        row["cm"] = rng.choice(["1e300", "1.7e308", "1e-320"])
    else:
        row["class"] = rng.choice(["IV", "\u2163", "0", "\u7c7bII", "II \u7c7b", "\u2171"])
    return row


def sparse(rng):
    """Any subset of the cells left empty."""
    row = everyday(rng, rng.choice(["distance", "emission"]))
    for key in list(row):
        if key != "mode" and rng.random() < 0.35:
            del row[key]
    return row


KINDS = [(lambda r: everyday(r, "distance"), 40),
         (lambda r: everyday(r, "emission"), 15),
         (wind_edge, 8), (band_edge, 8), (grade_edge, 6), (failing, 15), (sparse, 8)]


def generate(seed, count):
    rng = random.Random(seed)
    makers = [m for m, weight in KINDS for _ in range(weight)]
    return [rng.choice(makers)(rng) for _ in range(count)]
