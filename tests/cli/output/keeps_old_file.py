"""`-o OUT` replaces OUT only with a complete output: a write past the
file-size limit, SIGINT or SIGTERM during the run leave the old OUT and no
temporary file, with exit status 2; `-o` naming the input (by its path,
another path, a symbolic or a hard link, or as standard input) is refused
with exit status 2 and the input left as it was.

    python3 keeps_old_file.py [--posix] GOLDEN WORK [RUNNER...] KESTRIN_CLI

--posix adds the cases of the file-size limit, the signals and standard
input (not under Wine). RUNNER runs a cross-built tool, e.g. `scripts/wine-run PREFIX`.
"""

import glob
import os
import resource
import shutil
import signal
import subprocess
import sys
import time

OLD = b"the previous output\n"
BATCH = ["batch", "--keep", "unit,pollutant"]
REPORT = ["report", "--unit", "unit", "--pollutant", "pollutant", "--format", "md"]

# name, arguments ({in} the input, {out} the output), how the run is
# disturbed, expected exit status, and what OUT then holds: a golden file,
# NEW for a document, or None for the old contents. A refusal must leave
# the input as it was.
NEW = "a new document"
CASES = [
    ("batch_writes", BATCH + ["-o", "{out}", "{in}"], None, 1, "keep.expected"),
    ("report_writes", REPORT + ["-o", "{out}", "{in}"], None, 1, NEW),
    ("report_without_rows", ["report", "--unit", "unit", "-o", "{out}", "{header}"], None, 1, None),
    ("batch_file_size_limit", ["batch", "-o", "{out}", "{big}"], "limit", 2, None),
    ("report_file_size_limit", ["report", "--unit", "mode", "-o", "{out}", "{big}"], "limit", 2,
     None),
    ("batch_interrupted", ["batch", "-o", "{out}"], signal.SIGINT, 2, None),
    ("batch_terminated", ["batch", "-o", "{out}"], signal.SIGTERM, 2, None),
    ("report_interrupted", ["report", "--unit", "mode", "-o", "{out}"], signal.SIGINT, 2, None),
    ("batch_onto_input", BATCH + ["-o", "{in}", "{in}"], "refused", 2, None),
    ("report_onto_input", REPORT + ["-o", "{in}", "{in}"], "refused", 2, None),
    ("batch_onto_input_other_path", BATCH + ["-o", "{work}/../{base}/{name}", "{in}"], "refused",
     2, None),
    ("batch_onto_input_symlink", BATCH + ["-o", "{in}.symlink", "{in}"], "refused", 2, None),
    ("report_onto_input_hard_link", REPORT + ["-o", "{in}.link", "{in}"], "refused", 2, None),
    ("batch_onto_standard_input", BATCH + ["-o", "{in}"], "refused stdin", 2, None),
]
# Wine's standard input, redirected from a file, has no volume or file
# index (GetFileInformationByHandle fails on it), so that refusal is
# checked on POSIX only; Windows itself gives both.
POSIX_ONLY = ("limit", signal.SIGINT, signal.SIGTERM, "refused stdin")


def limit_file_size():
    resource.setrlimit(resource.RLIMIT_FSIZE, (20 * 1024, 20 * 1024))


def interrupt(tool, args, out, sig):
    """Sends `sig` once the output has begun (a row answered) while the tool
    waits for more input."""
    process = subprocess.Popen(tool + args, stdin=subprocess.PIPE, stderr=subprocess.PIPE)
    process.stdin.write(b"mode,area,cm,wind,class,qe\ndistance,100,0.25,3.5,I,10\n")
    process.stdin.flush()
    deadline = time.time() + 30
    while time.time() < deadline and not any(
            os.path.getsize(t) > 0 or "report" in args for t in glob.glob(out + ".*.tmp")):
        time.sleep(0.05)
    process.send_signal(sig)
    status = process.wait()
    return status, process.stderr.read().decode()


def run_case(case, tool, golden, work):
    name, args, how, status, expected = case
    os.makedirs(work)
    source = os.path.join(golden, "keep.csv")
    path = os.path.join(work, "in.csv")
    shutil.copy(source, path)
    os.symlink(path, path + ".symlink")
    os.link(path, path + ".link")
    big = os.path.join(work, "big.csv")
    with open(big, "w") as f:
        f.write("mode,area,cm,wind,class,qe\n")
        f.writelines("distance,%d,0.25,3.5,I,10\n" % (100 + i) for i in range(20000))
    header = os.path.join(work, "header.csv")
    with open(header, "w") as f:
        f.write("unit,area,cm,wind,class,qe\n")
    out = os.path.join(work, "out")
    with open(out, "wb") as f:
        f.write(OLD)
    fields = {"in": path, "out": out, "big": big, "header": header, "work": work,
              "base": os.path.basename(work), "name": "in.csv"}
    args = [a.format(**fields) for a in args]
    if isinstance(how, signal.Signals):
        got, errors = interrupt(tool, args, out, how)
    else:
        stdin = open(path, "rb") if how == "refused stdin" else subprocess.DEVNULL
        done = subprocess.run(tool + args, stdin=stdin, capture_output=True,
                              preexec_fn=limit_file_size if how == "limit" else None)
        got, errors = done.returncode, done.stderr.decode()
    problems = []
    if got != status:
        problems.append("exit status %d, expected %d" % (got, status))
    if how and str(how).startswith("refused"):
        target, want = path, open(source, "rb").read()
        if "names the input file" not in errors:
            problems.append("no refusal: %r" % errors)
    else:
        target = out
        want = OLD if expected is None else expected if expected == NEW else open(
            os.path.join(golden, expected), "rb").read()
    held = open(target, "rb").read()
    if held != want and (want != NEW or held == OLD):
        problems.append("%s holds %r..." % (os.path.basename(target), held[:60]))
    if how in ("limit", signal.SIGINT, signal.SIGTERM) and "left as it was" not in errors:
        problems.append("no message that the file was left: %r" % errors)
    leftovers = glob.glob(os.path.join(work, "*.tmp"))
    if leftovers:
        problems.append("temporary files left: %s" % leftovers)
    return ["%s: %s" % (name, p) for p in problems]


def main():
    args = sys.argv[1:]
    posix = args[0] == "--posix"
    if posix:
        args = args[1:]
    golden, work, tool = args[0], args[1], args[2:]
    shutil.rmtree(work, ignore_errors=True)
    failures = []
    for case in CASES:
        if case[2] in POSIX_ONLY and not posix:
            continue
        failures += run_case(case, tool, golden, os.path.join(work, case[0]))
    if failures:
        sys.exit("\n".join(failures))


if __name__ == "__main__":
    main()
