#!/usr/bin/env python3
"""The plant report's figures, whatever the labels hold.

Runs `kestrin-cli report` (HTML) on a plant whose labels hold what a pasted
cell can (a control character, U+FFFE, XML's specials, a long name, two
pollutants with the same curve, a failed row) and checks that every figure
is well-formed XML, shows every pollutant in full with its own mark, and is
numbered, its caption naming the failed pollutant as missing (and how many
pollutants past the twelve drawn it leaves out).

Usage: parse_figures.py [emulator...] kestrin-cli
"""
import base64
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

LONG = "非甲烷总烃（以碳计，含苯系物及其他挥发性有机物）"
ROWS = [
    ("涂装车间\x01", "甲苯\ufffe", "2000,0.2,2.3,II,0.5"),
    ("涂装车间\x01", "二甲苯<&>", "2000,0.2,2.3,II,0.5"),  # the same curve
    ("涂装车间\x01", LONG, "2000,2,2.3,II,0.8"),
    ("储罐区", "苯", "1200,1,2.3,I,0.265"),
    ("储罐区", "氨", "1200,1,2.3,I,-1"),  # fails
] + [("大厂", "气体%d" % i, "1200,1,2.3,I,%g" % (0.1 + i / 10)) for i in range(13)]


def main():
    command = sys.argv[1:]
    sheet = "unit,pollutant,area,cm,wind,class,qe\n" + "".join(
        '"%s","%s",%s\n' % (u, p, rest) for u, p, rest in ROWS)
    run = subprocess.run(command + ["report", "--unit", "unit", "--pollutant", "pollutant",
                                    "--caption-prefix", "5.3-"],
                         input=sheet.encode("utf-8"), capture_output=True, check=False)
    html = run.stdout.decode("utf-8")
    failures = []
    pictures = re.findall(r'src="data:image/svg\+xml;base64,([^"]*)"', html)
    if len(pictures) != 3:
        failures.append("%d figures, expected 3 (exit %d: %s)" % (len(pictures), run.returncode,
                                                                   run.stderr.decode()))
    texts = []
    for i, picture in enumerate(pictures):
        try:
            root = ET.fromstring(base64.b64decode(picture))
        except ET.ParseError as e:
            failures.append("figure %d is not XML: %s" % (i + 1, e))
            continue
        ns = "{http://www.w3.org/2000/svg}"
        texts.append("".join(t.text or "" for t in root.iter(ns + "text")))
        marks = [ET.tostring(m) for m in root.iter() if m.tag in (ns + "circle", ns + "polygon")]
        if len(set(marks)) != len(marks):
            failures.append("figure %d repeats a mark" % (i + 1))
    if texts:
        for name in ("甲苯\ufffd", "二甲苯<&>", LONG):
            if name not in texts[0]:
                failures.append("the legend lacks %r" % name)
    for caption in ("图 5.3-1　涂装车间\ufffd 各污染物", "图 5.3-2　储罐区 各污染物", "氨计算失败，图中缺",
                    "图 5.3-3　大厂", "另有 1 种污染物未绘出"):
        if caption not in html.replace("&lt;", "<").replace("&amp;", "&"):
            failures.append("no caption %r" % caption)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
