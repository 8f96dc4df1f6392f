#!/usr/bin/env python3
"""Writes the site plans the envelope tests read, with ezdxf (python3-ezdxf),
so no DXF file of unknown origin is kept in the repository:

  plant.dxf          AutoCAD 2010 (UTF-8): LWPOLYLINE, POLYLINE, CIRCLE,
                     TEXT and MTEXT, the fence as a closed outline that is
                     no unit, receptors on the layer 敏感目标
  plant-r12-gbk.dxf  the same plan as AutoCAD R12 in code page ANSI_936
                     (GBK), as old drawings are
  plant.geojson      the same units and receptors for GIS users (the tank's
                     circle as a 10 m point receptor is not GeoJSON: it is
                     left out there, with the fence)

At a projected grid's magnitudes (X ≈ 500,000, Y ≈ 4,000,000):
  一车间  a 50 m square, named by the TEXT inside it
  二车间  a 60 m × 40 m POLYLINE on the layer 二车间, no text
  三车间  a round tank, radius 10 m, named by the (MTEXT) text inside it
  厂界    the fence around them: a closed outline whose text names no unit
  李家村  a POINT 110 m south of 一车间, its TEXT beside it
  王庄小学 a polygon 20 m east of 二车间, its TEXT inside it
  张家    a POINT 65 m north of the tank's centre, its (MTEXT) text beside it

  python3 make-plans.py OUTDIR
"""
import json
import sys
from pathlib import Path

import ezdxf

X, Y = 500000.0, 4000000.0
RECEPTORS = "敏感目标"


def square(x0, y0, x1, y1):
    return [(X + x0, Y + y0), (X + x1, Y + y0), (X + x1, Y + y1), (X + x0, Y + y1)]


def text(msp, words, x, y, layer, mtext):
    if mtext:
        msp.add_mtext(words, dxfattribs={"layer": layer, "insert": (X + x, Y + y), "char_height": 3})
    else:
        msp.add_text(words, dxfattribs={"layer": layer, "insert": (X + x, Y + y), "height": 3})


def draw(doc, modern):
    msp = doc.modelspace()
    for layer in ("二车间", RECEPTORS, "厂区"):
        doc.layers.add(layer)
    outline = msp.add_lwpolyline if modern else msp.add_polyline2d
    outline(square(0, 0, 50, 50), close=True, dxfattribs={"layer": "厂区"})
    text(msp, "一车间", 20, 25, "厂区", False)
    msp.add_polyline2d(square(300, 0, 360, 40), close=True, dxfattribs={"layer": "二车间"})
    msp.add_circle((X + 150, Y + 300), 10, dxfattribs={"layer": "厂区"})
    text(msp, "{\\fSimHei|b0;三车间}" if modern else "三车间", 147, 300, "厂区", modern)
    outline(square(-50, -50, 400, 350), close=True, dxfattribs={"layer": "厂区"})
    text(msp, "厂界", -40, -40, "厂区", False)
    msp.add_point((X + 25, Y - 110), dxfattribs={"layer": RECEPTORS})
    text(msp, "李家村", 28, -108, RECEPTORS, False)
    outline(square(380, 0, 440, 40), close=True, dxfattribs={"layer": RECEPTORS})
    text(msp, "王庄小学", 395, 20, RECEPTORS, False)
    msp.add_point((X + 150, Y + 365), dxfattribs={"layer": RECEPTORS})
    text(msp, "张家", 153, 367, RECEPTORS, modern)


def feature(properties, kind, coordinates):
    return {"type": "Feature", "properties": properties,
            "geometry": {"type": kind, "coordinates": coordinates}}


def polygon(points):
    return [[list(p) for p in points + points[:1]]]


def geojson():
    return {"type": "FeatureCollection", "features": [
        feature({"unit": "一车间"}, "Polygon", polygon(square(0, 0, 50, 50))),
        feature({"unit": " 二车间 "}, "Polygon", polygon(square(300, 0, 360, 40))),
        feature({"name": "厂界"}, "Polygon", polygon(square(-50, -50, 400, 350))),
        feature({"receptor": "李家村"}, "Point", [X + 25, Y - 110]),
        feature({"receptor": "王庄小学"}, "Polygon", polygon(square(380, 0, 440, 40))),
    ]}


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    modern = ezdxf.new("R2010")
    draw(modern, True)
    modern.saveas(out / "plant.dxf")
    old = ezdxf.new("R12")
    old.encoding = "gbk"
    draw(old, False)
    old.saveas(out / "plant-r12-gbk.dxf")
    (out / "plant.geojson").write_text(json.dumps(geojson(), ensure_ascii=False), encoding="utf-8")


if __name__ == "__main__":
    main()
