"""A row piped into `kestrin-cli batch` is answered before the input ends:
the tool must not hold its output until more input (or the end) arrives.

    python3 answers_each_row.py KESTRIN_CLI
"""

import select
import subprocess
import sys

WAIT_SECONDS = 30  # only a tool that holds its output waits this long


def read_line(process):
    ready, _, _ = select.select([process.stdout], [], [], WAIT_SECONDS)
    if not ready:
        sys.exit("no answer while the input stays open")
    return process.stdout.readline().decode()


def main():
    process = subprocess.Popen([sys.argv[1], "batch"], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE)
    process.stdin.write(b"mode,area,cm,wind,class,qe\n")
    process.stdin.flush()
    header = read_line(process)
    if not header.startswith("mode,area,radius,"):
        sys.exit("unexpected header: %r" % header)
    for qe, distance in (("10", "988.084391971187"), ("0.01", "13.099216742119")):
        process.stdin.write(b"distance,100,0.25,3.5,I,%s\r" % qe.encode())
        process.stdin.flush()
        row = read_line(process)
        if row.split(",")[7] != distance:
            sys.exit("unexpected row for Qe %s: %r" % (qe, row))
    process.stdin.close()
    if process.wait() != 0:
        sys.exit("exit status %d" % process.returncode)


if __name__ == "__main__":
    main()
