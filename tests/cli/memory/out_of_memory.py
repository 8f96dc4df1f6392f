"""Under any limit on its address space (ulimit -v) every command either
gives the answer it gives without one, or ends with exit status 2 and
"kestrin-cli: out of memory" as its last words: never an abort, a crash or
another message.

    python3 out_of_memory.py KESTRIN_CLI WORK_DIR

For each command the limits tried run from the least at which the tool
starts at all (`--version` answers or runs out of memory) to a little above
the least at which the command gives its answer, found by bisection; every
limit tried is checked.
"""

import os
import random
import resource
import subprocess
import sys

OUT_OF_MEMORY = b"kestrin-cli: out of memory\n"
STEP = 128 << 10  # bisection stops at this resolution
SPREAD = 6       # limits tried evenly between the two ends, besides the bisection's


def write_inputs(work):
    """A plant of 1,000 rows with Chinese labels, in UTF-8 and in GBK."""
    rng = random.Random(20)
    lines = ["生产单元,污染物,面积（m2）,Cm,风速,类别,源强 kg/h"]
    for i in range(1000):
        lines.append("车间%d,污染物%d,%d,%.2f,%.1f,%s,%.4f" % (
            i // 4, i, rng.randint(100, 9000), rng.choice([0.2, 0.5, 2]),
            rng.uniform(1, 5), rng.choice(["Ⅰ", "Ⅱ", "Ⅲ"]), rng.uniform(0.001, 3)))
    text = "\n".join(lines) + "\n"
    paths = {}
    for name, encoding in (("utf8", "utf-8"), ("gbk", "gbk")):
        paths[name] = os.path.join(work, "plant-%s.csv" % name)
        with open(paths[name], "wb") as f:
            f.write(text.encode(encoding))
    return paths


def commands(paths):
    single = ["--area", "100", "--cm", "0.25", "--wind", "3.5", "--class", "I"]
    report = ["report", "--unit", "生产单元", "--pollutant", "污染物"]
    keep = ["batch", "--keep", "生产单元,污染物"]
    return {
        "help": ["--help"],
        "distance": ["distance"] + single + ["--qe", "10"],
        "distance_json": ["distance"] + single + ["--qe", "10", "--format", "json"],
        "emission_record": ["emission"] + single + ["--distance", "1500", "--format", "record"],
        "batch_csv": keep + [paths["utf8"]],
        "batch_json_gbk": keep + ["--format", "json", paths["gbk"]],
        "batch_record": keep + ["--format", "record", paths["utf8"]],
        "report_html": report + [paths["utf8"]],
        "report_md_gbk": report + ["--format", "md", paths["gbk"]],
        "report_json": report + ["--format", "json", paths["utf8"]],
    }


def run(cli, args, limit):
    def set_limit():
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    p = subprocess.run([cli] + args, preexec_fn=set_limit if limit else None,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    return p.returncode, p.stdout, p.stderr


class Checker:
    def __init__(self, cli, name, args):
        self.cli, self.name, self.args = cli, name, args
        self.answer = run(cli, args, None)
        if self.answer[0] not in (0, 1):
            sys.exit("%s: exit %d without a limit: %r" % (name, self.answer[0], self.answer[2]))
        self.tried = 0

    def answers(self, limit):
        """Whether the command gives its answer under `limit`; fails the test
        when it ends in any other way than running out of memory."""
        self.tried += 1
        result = run(self.cli, self.args, limit)
        if result == self.answer:
            return True
        status, _, err = result
        if status == 2 and err.endswith(OUT_OF_MEMORY):
            return False
        sys.exit("%s under ulimit -v %d: exit %d, standard error %r" % (
            self.name, limit // 1024, status, err[-300:]))


def least(answers, low, high):
    """The least limit in (low, high] at which answers() holds, to STEP."""
    while high - low > STEP:
        middle = (low + high) // 2 // 4096 * 4096
        if answers(middle):
            high = middle
        else:
            low = middle
    return high


def main():
    cli, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    todo = commands(write_inputs(work))
    # The least limit at which the program starts at all: below it the
    # loader, not the program, gives up.
    def starts_at(limit):
        status, _, err = run(cli, ["--version"], limit)
        return status == 0 or (status == 2 and err == OUT_OF_MEMORY)
    starts = least(starts_at, 1 << 20, 1 << 30)
    for name, args in todo.items():
        checker = Checker(cli, name, args)
        enough = least(checker.answers, starts, 1 << 30)
        top = enough + (enough - starts) // 4
        for i in range(SPREAD + 1):
            checker.answers((starts + (top - starts) * i // SPREAD) // 4096 * 4096)
        print("%-16s starts at %6d KiB, answers from %7d KiB (%d limits tried)" % (
            name, starts >> 10, enough >> 10, checker.tried))


if __name__ == "__main__":
    main()
