#!/usr/bin/env python3
"""kestrin-cli envelope and report --plan on the plans make-plans.py writes
with ezdxf: the receptors' distances worked out by hand, the same answer
from DXF 2010, DXF R12 in GBK and GeoJSON, the DXF output read back by
ezdxf, the figures, and unusable input named.

  envelope_cli.py WORKDIR SHEET [RUNNER...] KESTRIN-CLI
"""
import json
import math
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import ezdxf

sys.path.insert(0, str(Path(__file__).parent))
make_plans = __import__("make-plans")

work, sheet, cli = Path(sys.argv[1]), sys.argv[2], sys.argv[3:]
failures = []


def run(*args):
    done = subprocess.run(cli + list(args), capture_output=True)
    return done.returncode, done.stdout, done.stderr.decode("utf-8", "replace")


def check(name, condition, detail=""):
    if not condition:
        failures.append(f"{name}: {detail}")


def quadrant_segments(largest):
    q = 8
    while largest * (1 - math.cos(math.pi / (4 * q))) >= 0.1:
        q += 1
    return q


make_plans.main.__globals__["sys"].argv = ["make-plans.py", str(work)]
make_plans.main()
dxf, gbk, geo = (str(work / name) for name in ("plant.dxf", "plant-r12-gbk.dxf", "plant.geojson"))
given = ["--distance", "一车间=100", "--distance", "二车间=200", "--distance", "三车间=50"]

# 李家村 110 m south of 一车间's side (outside 100 m); 王庄小学 20 m east of
# 二车间 (inside 200 m); 张家 65 m from the tank's centre, 55 m from its rim
# (outside 50 m).
expected = [
    {"receptor": "李家村", "unit": "一车间", "distance_to_boundary": 110, "required": 100, "inside": False},
    {"receptor": "王庄小学", "unit": "二车间", "distance_to_boundary": 20, "required": 200, "inside": True},
    {"receptor": "张家", "unit": "三车间", "distance_to_boundary": 55, "required": 50, "inside": False},
]
for plan, receptors, distances in ((dxf, expected, given), (gbk, expected, given),
                                   (geo, expected[:2], given[:4])):
    status, out, err = run("envelope", "--plan", plan, *distances, "--format", "json")
    check(plan, status == 1 and not err, f"exit {status}, {err}")
    answer = json.loads(out or b"{}")
    check(plan, answer.get("receptors") == receptors and answer.get("compliant") is False, answer)

# 二车间 at 10 m leaves 王庄小学 (20 m) outside: compliant, exit 0.
status, out, err = run("envelope", "--plan", dxf, "--distance", "一车间=100", "--distance", "二车间=10",
                       "--distance", "三车间=50", "--format", "json")
check("compliant", status == 0 and json.loads(out)["compliant"] is True, f"exit {status}, {err}")

# The DXF output: a layer for the envelope and one per unit; 一车间's zone
# has a quarter circle at each of its 4 corners, each of q segments (q for
# the largest arc, 200 m: the least q with 200·(1 − cos(π/4q)) < 0.1, 25),
# so 4·(q + 1) vertices.
status, out, err = run("envelope", "--plan", dxf, *given, "--format", "dxf", "-o", str(work / "zones.dxf"))
check("dxf exit", status == 1, f"exit {status}, {err}")
doc = ezdxf.readfile(work / "zones.dxf")
layers = {layer.dxf.name for layer in doc.layers} - {"0", "Defpoints"}  # ezdxf's own
check("dxf layers", layers == {"卫生防护距离包络线", "卫生防护距离-一车间", "卫生防护距离-二车间",
                               "卫生防护距离-三车间"}, layers)
zone = [e for e in doc.modelspace() if e.dxf.layer == "卫生防护距离-一车间"]
q = quadrant_segments(200)
check("dxf zone", len(zone) == 1 and len(list(zone[0].points())) == 4 * (q + 1),
      [len(list(e.points())) for e in zone])
xs = [p[0] for p in zone[0].points()]
check("dxf coordinates", abs(max(xs) - (make_plans.X + 150)) < 1e-4 and abs(min(xs) - (make_plans.X - 100)) < 1e-4,
      (min(xs), max(xs)))

# The figures: SVG that parses and names every receptor; a PNG at 300 dpi.
status, out, err = run("envelope", "--plan", dxf, *given)
texts = {t.text for t in ElementTree.fromstring(out).iter("{http://www.w3.org/2000/svg}text")}
check("svg", status == 1 and {"李家村", "王庄小学", "张家", "一车间"} <= texts, texts)
status, out, err = run("envelope", "--plan", dxf, *given, "--format", "png")
check("png", status == 1 and out.startswith(b"\x89PNG") and b"pHYs\x00\x00\x2e\x23\x00\x00\x2e\x23" in out,
      f"exit {status}, {err}, {out[:40]}")

# From the sheet, as the report decides the distances (100, 200, 400 m):
# the tank's 400 m zone holds 张家; the report carries the same section.
for args in (["envelope", sheet, "--unit", "单元", "--pollutant", "污染物", "--format", "json"],
             ["report", sheet, "--unit", "单元", "--pollutant", "污染物", "--format", "json"]):
    status, out, err = run(*args, "--plan", dxf)
    answer = json.loads(out or b"{}")
    answer = answer.get("envelope", answer)
    check(args[0] + " sheet", status == 1 and answer.get("units") == [
        {"unit": "一车间", "distance": 100}, {"unit": "二车间", "distance": 200},
        {"unit": "三车间", "distance": 400}] and answer["receptors"][2]["inside"] is True,
          f"exit {status}, {err}, {answer}")
# The section's figure and table numbered after the report's own: tables
# 1–4 come first, and a figure per unit (图 1–3) in HTML, none in Markdown.
# Standing alone, the figure is unnumbered and the table has no caption.
figure, table = "各生产单元的卫生防护距离范围", "各敏感目标至生产单元边界的距离"
report = ["report", sheet, "--unit", "单元", "--pollutant", "污染物", "--plan", dxf]
for args, parts, absent in (
        (report, ["五、卫生防护距离包络线", "是否位于包络线内", f'alt="图 4　{figure}', f'<p align="center" style="text-align:center">图 4　{figure}',
                  f"<b>表 5　{table}</b>"], ["图：", "图 5"]),
        (report + ["--caption-prefix", "5.3-"], [f"图 5.3-4　{figure}", f"<b>表 5.3-5　{table}</b>"], ["图："]),
        (report + ["--format", "md"], [f"\n图 1　{figure}", f"\n表 5　{table}\n\n| 敏感目标"], ["图：", "图 2"]),
        (["envelope", "--plan", dxf, *given, "--format", "html"], [f'alt="图：{figure}', "是否位于包络线内"],
         ["图 1", "表 1", table])):
    status, out, err = run(*args)
    text = out.decode("utf-8", "replace")
    check(" ".join(args[7:] or args[:1]), status == 1 and all(p in text for p in parts)
          and not any(p in text for p in absent),
          f"exit {status}, {err}, {[p for p in parts if p not in text]}, {[p for p in absent if p in text]}")

status, out, err = run(*report, "--format", "md", "-o", str(work / "report.md"))
written = (work / "report.md").read_text("utf-8") if (work / "report.md").exists() else ""
check("report -o", status == 1 and not out and "## 五、卫生防护距离包络线" in written
      and written.index("四、结论") < written.index("五、卫生防护距离包络线"), f"exit {status}, {err}")

# An output naming an input is refused before anything is read or written.
before = Path(dxf).read_bytes()
status, out, err = run("envelope", "--plan", dxf, *given, "-o", dxf)
check("-o the plan", status == 2 and "names an input file" in err and Path(dxf).read_bytes() == before,
      f"exit {status}, {err}")

# Unusable input: exit 2, the message naming the unit or the option.
for args, named in (([*given, "--distance", "四车间=100"], "生产单元“四车间”在平面图中没有轮廓"),
                    (["--distance", "一车间=100"], "生产单元“二车间”（第 2 个 feature）没有卫生防护距离"),
                    (["--distance", "一车间=abc"], "--distance '一车间=abc'")):
    plan = geo if args == ["--distance", "一车间=100"] else dxf
    status, out, err = run("envelope", "--plan", plan, *args, "--format", "json")
    check("unusable " + named, status == 2 and not out and named in err, f"exit {status}, {err}")

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
