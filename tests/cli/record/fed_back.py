"""Every record kestrin-cli writes states the inputs it computed with: fed
back through kestrin-cli, they give the record's own figures.

    python3 fed_back.py BATCH_FILE [RUNNER...] KESTRIN_CLI

The records come from `distance`/`emission --format record` (S or r given,
the class given or derived from the choices) and from `batch --format
record` of BATCH_FILE, a section per row. (The window's records are fed
back by its own test.)
"""

import re
import subprocess
import sys

SIZE = ["--area", "100", "--cm", "0.25", "--wind", "3.5"]
COMMANDS = [
    ["distance"] + SIZE + ["--class", "I", "--qe", "10"],
    ["distance", "--radius", "111.12469893271061", "--cm", "0.25", "--wind", "3.5",
     "--class", "i类", "--qe", "10"],
    ["distance", "--area", "39773", "--cm", "10", "--wind", "9.7", "--stacks", "no",
     "--basis", "acute", "--qe", "24.2544"],
    ["distance", "--area", "5000", "--cm", "2", "--wind", "1.5", "--stacks", "no",
     "--basis", "chronic", "--qe", "277.372"],
    ["emission"] + SIZE + ["--stacks", "yes", "--share", "within", "--distance", "1500"],
    ["emission", "--radius", "5.641895835477563", "--cm", "2", "--wind", "1.5",
     "--class", "3", "--distance", "2500"],
]


def run(cli, args):
    result = subprocess.run(cli + args, stdout=subprocess.PIPE, check=True)
    return result.stdout.decode("utf-8")


def stated(record, symbol):
    match = re.search(r"^\| [^|]* \| %s \| ([^|]*) \|" % re.escape(symbol), record, re.M)
    if not match:
        sys.exit("no %s in the record:\n%s" % (symbol, record))
    return match.group(1)


def stated_inputs(record):
    distance = "计算内容：由无组织排放强度" in record
    radius = "（由 r 求得" in record
    source_class = re.search(r"污染源构成类别\n\n(.)类", record).group(1)
    return ["distance" if distance else "emission",
            "--radius" if radius else "--area", stated(record, "r" if radius else "S"),
            "--cm", stated(record, "Cm"), "--wind", stated(record, "V"),
            "--class", source_class,
            "--qe" if distance else "--distance", stated(record, "Qe" if distance else "L"),
            "--format", "record"]


def figures(record):
    """From the coefficients on; headings of any level (a batch section's
    are one level down)."""
    return re.sub(r"^#+ ", "", record[record.index("三、计算系数"):], flags=re.M)


def main():
    batch_file, cli = sys.argv[1], sys.argv[2:]
    records = [run(cli, args + ["--format", "record"]) for args in COMMANDS]
    sections = run(cli, ["batch", "--format", "record", "--keep", "单元,污染物", batch_file])
    records += ["# " + s for s in ("\n" + sections).split("\n# ")[1:]]
    if len(records) != len(COMMANDS) + 9:
        sys.exit("expected %d records, found %d" % (len(COMMANDS) + 9, len(records)))
    for record in records:
        again = run(cli, stated_inputs(record))
        if figures(again) != figures(record):
            sys.exit("fed back, the record's inputs give other figures:\n%s\n%s"
                     % (record, again))


if __name__ == "__main__":
    main()
