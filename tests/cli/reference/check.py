"""Runs `kestrin-cli batch` on generated rows and compares every field of its
output with the independent model in kestrin_ref.

    python3 check.py [--cases N] [--seed S] [--work DIR] [RUNNER...] KESTRIN_CLI

RUNNER runs a cross-built tool, e.g. `scripts/wine-run PREFIX` for the .exe.

Exits 0 when every row agrees, 1 otherwise (listing the first differences).
"""

import argparse
import csv
import io
import os
import random
import subprocess
import sys

import cases
import kestrin_ref as ref

OUTPUT_COLUMNS = ["mode", "area", "radius", "cm", "wind", "class", "qe", "distance",
                  "graded", "a", "b", "c", "d", "distance_band", "wind_band",
                  "wind_flag", "iterations", "error"]
CLASS_NUMERALS = {"i": 0, "ii": 1, "iii": 2, "1": 0, "2": 1, "3": 2,
                  "\u2160": 0, "\u2161": 1, "\u2162": 2}


def class_index(text):
    """The class a cell names, or None: blanks trimmed, an optional 类,
    ASCII letters in either case."""
    text = text.strip(" \t\u00a0\u3000")
    if text.endswith("\u7c7b"):
        text = text[:-1]
    return CLASS_NUMERALS.get(text.lower() if text.isascii() else text)


def cell_text(rng, text):
    """A cell as a spreadsheet might write it: quoted when it must be, and
    sometimes when it need not be."""
    if any(c in text for c in ',"\r\n') or rng.random() < 0.1:
        return '"' + text.replace('"', '""') + '"'
    return text


def write_input(path, rows, seed):
    rng = random.Random(seed + 1)
    columns = cases.COLUMNS[:]
    rng.shuffle(columns)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(",".join(columns) + "\n")
        for row in rows:
            f.write(",".join(cell_text(rng, row.get(c, "")) for c in columns) + "\n")


def expected_row(row):
    """Each output field as the set of texts it may be."""
    calc = ref.Calc()
    error = ""
    # An empty cell of a required input still reaches its setter, as "".
    distance = row["mode"] == "distance"
    required = {"area": not row.get("radius"), "radius": False, "cm": True,
                "wind": True, "class": True, "qe": distance, "distance": not distance}
    try:
        for key, setter in (("area", calc.set_area), ("radius", calc.set_radius),
                            ("cm", calc.set_cm), ("wind", calc.set_wind)):
            if row.get(key) or required[key]:
                setter(row.get(key, ""))
        if row.get("class") or required["class"]:
            index = class_index(row.get("class", ""))
            if index is None:
                raise ref.Failure("'%s' is not a valid source class" % row.get("class", ""))
            calc.set_class(index)
        if row.get("qe") or required["qe"]:
            calc.set_qe(row.get("qe", ""))
        if row.get("distance") or required["distance"]:
            calc.set_distance(row.get("distance", ""))
        if row["mode"] == "distance":
            calc.calc_distance()
        else:
            calc.calc_emission()
    except ref.Failure as failure:
        error = failure.message
    texts = ref.value_to_texts
    count = ref.count_to_text
    return [{row["mode"]}, texts(calc.area), texts(calc.radius), texts(calc.cm),
            texts(calc.wind), {["I", "II", "III"][calc.source_class]}, texts(calc.qe),
            texts(calc.distance), texts(calc.graded), texts(calc.a), texts(calc.b),
            texts(calc.c), texts(calc.d), {count(calc.distance_band)},
            {count(calc.wind_band)}, {count(calc.wind_flag)}, {count(calc.iterations)},
            {error}]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", nargs="+", help="[RUNNER...] KESTRIN_CLI")
    parser.add_argument("--cases", type=int, default=5000)
    parser.add_argument("--seed", type=int, default=20240611)
    parser.add_argument("--work", default=".")
    args = parser.parse_args()

    rows = cases.generate(args.seed, args.cases)
    path = os.path.join(args.work, "reference-input.csv")
    write_input(path, rows, args.seed)
    run = subprocess.run(args.command + ["batch", path], capture_output=True)
    output = list(csv.reader(io.StringIO(run.stdout.decode("utf-8"), newline="")))

    problems = []
    if output[:1] != [OUTPUT_COLUMNS]:
        problems.append("header: %r" % (output[:1],))
    if len(output) != len(rows) + 1:
        problems.append("%d output rows for %d input rows" % (len(output) - 1, len(rows)))
    failures = 0
    for n, (row, got) in enumerate(zip(rows, output[1:]), start=1):
        want = expected_row(row)
        failures += "" not in want[-1]
        if len(got) != len(want):
            problems.append("row %d: %d fields: %r" % (n, len(got), got))
            continue
        for name, g, w in zip(OUTPUT_COLUMNS, got, want):
            if g not in w:
                problems.append("row %d %s: kestrin-cli %r, reference %s; input %r"
                                % (n, name, g, " or ".join(map(repr, sorted(w))), row))
    want_status = 1 if failures else 0
    if run.returncode != want_status:
        problems.append("exit status %d, expected %d" % (run.returncode, want_status))
    if run.stderr:
        problems.append("standard error: %r" % run.stderr[:500])

    print("%d rows (%d failing by design) compared field by field" % (len(rows), failures))
    for p in problems[:30]:
        print(p)
    if problems:
        print("%d differences" % len(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
