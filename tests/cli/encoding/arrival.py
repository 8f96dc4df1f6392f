"""GBK labels that are valid UTF-8 too (一站 十站 铅 锌 铜 醛 烯 read as UTF-8
are "һվ ʮվ Ǧ п ͭ ȩ ϩ") come out as themselves however the bytes arrive:
from the file, or piped in two parts split at any of several points, and
again with 1,000 ASCII rows before them; in batch and in report.

    python3 arrival.py GBK_CSV [RUNNER...] KESTRIN_CLI

RUNNER runs a cross-built tool, e.g. `scripts/wine-run PREFIX` for the .exe.
"""

import os
import subprocess
import sys
import tempfile
import time

LABELS = ["一站", "十站", "铅", "锌", "铜", "醛", "烯"]
GARBLED = ["һվ", "ʮվ", "Ǧ", "п", "ͭ", "ȩ", "ϩ"]
COMMANDS = {
    "batch": ["batch", "--keep", "unit,pollutant"],
    "report": ["report", "--unit", "unit", "--pollutant", "pollutant", "--format", "md"],
}
ASCII_ROWS = b"".join(b"A%d,VOCs,1200,0.2,2.3,II,0.0766\n" % i for i in range(1000))


def run(tool, args, parts):
    """Exit status and output, the input written in `parts` with a pause
    between them (the tool has read the first before the second comes)."""
    process = subprocess.Popen(tool + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    for i, part in enumerate(parts):
        if i > 0:
            time.sleep(0.5)
        process.stdin.write(part)
        process.stdin.flush()
    process.stdin.close()
    output = process.stdout.read()
    return process.wait(), output


def main():
    source, tool = sys.argv[1], sys.argv[2:]
    with open(source, "rb") as f:
        data = f.read()
    header_end = data.index(b"\n") + 1
    variants = {"": data, " after 1,000 ASCII rows": data[:header_end] + ASCII_ROWS +
                data[header_end:]}
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for variant, text in variants.items():
            path = os.path.join(work, "labels.csv")
            with open(path, "wb") as f:
                f.write(text)
            first = text.index(b"\xD2\xBB")  # the first label, 一
            splits = {"after the header": text.index(b"\n") + 1, "inside 一": first + 1,
                      "after its row": text.index(b"\n", first) + 1}
            for name, args in COMMANDS.items():
                status, expected = run(tool, args + [path], [])
                case = name + variant
                text_out = expected.decode("utf-8")
                if status != 0 or any(label not in text_out for label in LABELS) or any(
                        garbled in text_out for garbled in GARBLED):
                    failures.append("%s from the file: exit %d, labels not as written" %
                                    (case, status))
                for where, at in splits.items():
                    piped = run(tool, args, [text[:at], text[at:]])
                    if piped != (status, expected):
                        failures.append("%s piped in two parts split %s differs from the file" %
                                        (case, where))
    if failures:
        sys.exit("\n".join(failures))


if __name__ == "__main__":
    main()
