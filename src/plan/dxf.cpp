#include "dxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "platform.h"

namespace {

struct TTag {
  int Code = 0;
  std::string Value;
  std::size_t Line = 0;
};

// An entity of the ENTITIES section, a POLYLINE with its VERTEXes.
struct TEntity {
  std::string Type, Layer, Handle;
  std::size_t Line = 0;
  std::vector<TTag> Tags;
  std::vector<TEntity> Vertices;
};

std::string EntityName(const TEntity &e) {
  return e.Type + (e.Handle.empty() ? "" : " " + e.Handle) + "（第 " + std::to_string(e.Line) +
         " 行）";
}

void AppendUtf8(std::string &out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// \U+XXXX, the escape CAD programs write for a character outside the file's
// code page, as the character.
std::string Unescaped(const std::string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned code = 0;
    if (text.compare(i, 3, "\\U+") == 0 && i + 7 <= text.size() &&
        std::from_chars(text.data() + i + 3, text.data() + i + 7, code, 16).ptr ==
            text.data() + i + 7) {
      AppendUtf8(out, code);
      i += 6;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The group-code/value pairs; false with `problem` at the first line that
// is no group code.
bool ReadTags(const std::string &bytes, std::vector<TTag> &tags, std::string &problem) {
  std::size_t at = 0, line = 0;
  auto nextLine = [&](std::string &text) {
    if (at >= bytes.size())
      return false;
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos)
      end = bytes.size();
    text.assign(bytes, at, end - at);
    while (!text.empty() && (text.back() == '\r' || text.back() == ' '))
      text.pop_back();
    at = end + 1;
    ++line;
    return true;
  };
  std::string code, value;
  while (nextLine(code)) {
    const std::size_t codeLine = line;
    const std::size_t first = code.find_first_not_of(' ');
    int number = 0;
    const char *begin = code.data() + (first == std::string::npos ? code.size() : first);
    if (std::from_chars(begin, code.data() + code.size(), number).ptr != code.data() + code.size() ||
        begin == code.data() + code.size()) {
      if (code.empty() && at >= bytes.size())
        break; // a blank last line
      problem = "第 " + std::to_string(codeLine) + " 行不是组码（只读 ASCII DXF）";
      return false;
    }
    if (!nextLine(value))
      value.clear();
    tags.push_back({number, value, codeLine});
  }
  return true;
}

bool Number(const TTag &tag, double &value) {
  const char *begin = tag.Value.data(), *end = begin + tag.Value.size();
  while (begin < end && *begin == ' ')
    ++begin;
  return std::from_chars(begin, end, value).ptr == end && begin < end && std::isfinite(value);
}

// The file's strings as UTF-8: GBK in files before AutoCAD 2007 whose code
// page is ANSI_936, then the \U+XXXX escapes.
bool DecodeStrings(std::vector<TTag> &tags, std::string &problem) {
  std::string version, codePage;
  for (std::size_t i = 0; i + 1 < tags.size(); ++i) {
    if (tags[i].Code == 9 && tags[i].Value == "$ACADVER")
      version = tags[i + 1].Value;
    if (tags[i].Code == 9 && tags[i].Value == "$DWGCODEPAGE")
      codePage = tags[i + 1].Value;
  }
  std::transform(codePage.begin(), codePage.end(), codePage.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; });
  const bool gbk = version < "AC1021" && codePage == "ANSI_936";
  for (TTag &tag : tags) {
    const bool text = tag.Code == 1 || tag.Code == 2 || tag.Code == 3 || tag.Code == 8;
    if (!text)
      continue;
    std::string utf8;
    if (gbk && !Gb18030ToUtf8(tag.Value, utf8)) {
      problem = "第 " + std::to_string(tag.Line + 1) + " 行的文字不是 GBK 编码";
      return false;
    }
    tag.Value = Unescaped(gbk ? utf8 : tag.Value);
  }
  return true;
}

// The ENTITIES section as entities, each POLYLINE holding its VERTEXes.
std::vector<TEntity> Entities(const std::vector<TTag> &tags) {
  std::vector<TEntity> entities;
  bool inEntities = false, inPolyline = false;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    const TTag &tag = tags[i];
    if (tag.Code == 0 && tag.Value == "SECTION" && i + 1 < tags.size())
      inEntities = tags[i + 1].Value == "ENTITIES";
    if (!inEntities)
      continue;
    if (tag.Code == 0) {
      if (tag.Value == "ENDSEC" || tag.Value == "SECTION")
        continue;
      if (tag.Value == "SEQEND") {
        inPolyline = false;
        continue;
      }
      TEntity e;
      e.Type = tag.Value;
      e.Line = tag.Line;
      if (inPolyline && e.Type == "VERTEX") {
        entities.back().Vertices.push_back(e);
        continue;
      }
      inPolyline = e.Type == "POLYLINE";
      entities.push_back(e);
      continue;
    }
    if (entities.empty())
      continue;
    TEntity &e = entities.back().Vertices.empty() ? entities.back() : entities.back().Vertices.back();
    if (tag.Code == 8)
      e.Layer = tag.Value;
    else if (tag.Code == 5)
      e.Handle = tag.Value;
    e.Tags.push_back(tag);
  }
  return entities;
}

// What an entity draws, before it is named.
struct TDrawn {
  const TEntity *Entity = nullptr;
  TShape Shape;
  bool Closed = false, Arcs = false;
  std::vector<std::string> Texts; // texts inside, innermost outline first
};

struct TText {
  std::string Layer, Text;
  TPoint At;
};

// Strips MTEXT's formatting: \P is a line break, {…} groups, \f…; and the
// like set fonts, heights and colours.
std::string PlainMText(const std::string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '{' || c == '}')
      continue;
    if (c != '\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    const char k = text[++i];
    if (k == 'P' || k == '~')
      out += ' ';
    else if (k == '\\' || k == '{' || k == '}')
      out += k;
    else if (std::string("fFHWQTACcpS").find(k) != std::string::npos)
      i = std::min(text.find(';', i), text.size()); // an argument up to ";"
  }
  return TrimmedName(out);
}

// Reads an entity's point, vertices, radius or text; false with `problem`
// for a coordinate that is not a number.
bool ReadEntity(const TEntity &e, TDrawn &d, TText &text, std::string &problem) {
  auto fail = [&](const TTag &tag) {
    problem = EntityName(e) + "：第 " + std::to_string(tag.Line + 1) + " 行不是数";
    return false;
  };
  double flags = 0;
  std::string mtext;
  for (const TTag &tag : e.Tags) {
    double v = 0;
    const bool numeric = tag.Code == 10 || tag.Code == 20 || tag.Code == 40 || tag.Code == 42 ||
                         tag.Code == 70;
    if (numeric && !Number(tag, v))
      return fail(tag);
    if (tag.Code == 10) {
      d.Shape.Outline.Outer.push_back({v, 0});
      text.At.X = v;
    } else if (tag.Code == 20 && !d.Shape.Outline.Outer.empty()) {
      d.Shape.Outline.Outer.back().Y = v;
      text.At.Y = v;
    } else if (tag.Code == 40) {
      d.Shape.Radius = v;
    } else if (tag.Code == 42 && v != 0) {
      d.Arcs = true;
    } else if (tag.Code == 70) {
      flags = v;
    } else if (tag.Code == 1) {
      mtext += tag.Value;
    } else if (tag.Code == 3) {
      mtext.insert(0, tag.Value); // the chunks before the last come first
    }
  }
  if (e.Type == "POLYLINE")
    d.Shape.Outline.Outer.clear(); // its own point only holds the elevation
  for (const TEntity &vertex : e.Vertices) {
    TDrawn point;
    TText unused;
    if (!ReadEntity(vertex, point, unused, problem))
      return false;
    d.Shape.Outline.Outer.insert(d.Shape.Outline.Outer.end(), point.Shape.Outline.Outer.begin(),
                                 point.Shape.Outline.Outer.end());
    d.Arcs |= point.Arcs;
  }
  d.Closed = (static_cast<long>(flags) & 1) != 0;
  text.Text = e.Type == "MTEXT" ? PlainMText(mtext) : TrimmedName(mtext);
  text.Layer = e.Layer;
  return true;
}

bool Inside(const TShape &shape, TPoint p) {
  if (shape.Kind == TShape::Circle)
    return std::hypot(p.X - shape.Outline.Outer[0].X, p.Y - shape.Outline.Outer[0].Y) <
           shape.Radius;
  if (shape.Kind != TShape::Polygon)
    return false;
  // Crossings of a ray to the right: odd inside.
  bool in = false;
  const TRing &r = shape.Outline.Outer;
  for (std::size_t i = 0, j = r.size() - 1; i < r.size(); j = i++)
    if ((r[i].Y > p.Y) != (r[j].Y > p.Y) &&
        p.X < (r[j].X - r[i].X) * (p.Y - r[i].Y) / (r[j].Y - r[i].Y) + r[i].X)
      in = !in;
  return in;
}

double AreaOf(const TShape &shape) {
  if (shape.Kind == TShape::Circle)
    return M_PI * shape.Radius * shape.Radius;
  double twice = 0;
  const TRing &r = shape.Outline.Outer;
  for (std::size_t i = 0, j = r.size() - 1; i < r.size(); j = i++)
    twice += (r[j].X + r[i].X) * (r[j].Y - r[i].Y);
  return std::abs(twice) / 2;
}

// Makes an outline of what the entity drew, if it is one: a closed polyline
// of three or more vertices (a repeated first vertex closes it too), or a
// circle.
bool AsOutline(const TEntity &e, TDrawn &d) {
  TRing &ring = d.Shape.Outline.Outer;
  if (e.Type == "CIRCLE") {
    d.Shape.Kind = TShape::Circle;
    ring.resize(1);
    return d.Shape.Radius > 0;
  }
  if (e.Type != "LWPOLYLINE" && e.Type != "POLYLINE")
    return false;
  if (ring.size() > 1 && ring.front().X == ring.back().X && ring.front().Y == ring.back().Y) {
    ring.pop_back();
    d.Closed = true;
  }
  d.Shape.Kind = TShape::Polygon;
  return d.Closed && ring.size() >= 3;
}

// Gives each text to the smallest outline holding it; false when none does.
bool GiveToInnermost(std::vector<TDrawn> &drawn, const TText &text) {
  TDrawn *best = nullptr;
  for (TDrawn &d : drawn)
    if (Inside(d.Shape, text.At) && (!best || AreaOf(d.Shape) < AreaOf(best->Shape)))
      best = &d;
  if (best)
    best->Texts.push_back(text.Text);
  return best;
}

std::string ArcProblem(const TDrawn &d) {
  return EntityName(*d.Entity) + "含圆弧段，不能读作轮廓；请在 CAD 中把圆弧分段后再导出";
}

} // namespace

bool ReadDxfPlan(const std::string &bytes, const std::vector<std::string> &units,
                 const std::string &receptorLayer, TPlan &plan, std::string &problem) {
  if (bytes.compare(0, 18, "AutoCAD Binary DXF") == 0) {
    problem = "二进制 DXF 不能读取，请另存为 ASCII DXF";
    return false;
  }
  std::vector<TTag> tags;
  if (!ReadTags(bytes, tags, problem) || !DecodeStrings(tags, problem))
    return false;
  const std::vector<TEntity> entities = Entities(tags);
  std::vector<TDrawn> outlines, receptors;
  std::vector<TText> texts;
  for (const TEntity &e : entities) {
    TDrawn d;
    d.Entity = &e;
    TText text;
    if (!ReadEntity(e, d, text, problem))
      return false;
    const bool receptor = e.Layer == receptorLayer;
    if (e.Type == "TEXT" || e.Type == "MTEXT") {
      if (!text.Text.empty())
        texts.push_back(text);
    } else if (receptor && e.Type == "POINT" && !d.Shape.Outline.Outer.empty()) {
      d.Shape.Outline.Outer.resize(1);
      receptors.push_back(d);
    } else if (AsOutline(e, d)) {
      (receptor ? receptors : outlines).push_back(d);
    }
  }
  for (const TText &text : texts) {
    if (text.Layer != receptorLayer) {
      GiveToInnermost(outlines, text);
      continue;
    }
    if (GiveToInnermost(receptors, text))
      continue;
    // A point's label sits beside it: the nearest receptor without a name.
    TDrawn *nearest = nullptr;
    double best = std::numeric_limits<double>::infinity();
    for (TDrawn &d : receptors)
      for (const TPoint &p : d.Shape.Outline.Outer)
        if (d.Texts.empty() && std::hypot(p.X - text.At.X, p.Y - text.At.Y) < best) {
          best = std::hypot(p.X - text.At.X, p.Y - text.At.Y);
          nearest = &d;
        }
    if (nearest)
      nearest->Texts.push_back(text.Text);
  }
  auto known = [&](const std::string &name) {
    return std::find(units.begin(), units.end(), name) != units.end();
  };
  for (const TDrawn &d : outlines) {
    std::vector<std::string> names = d.Texts;
    names.push_back(TrimmedName(d.Entity->Layer));
    const auto name = std::find_if(names.begin(), names.end(), known);
    if (name == names.end())
      continue;
    if (d.Arcs) {
      problem = ArcProblem(d);
      return false;
    }
    plan.Units.push_back({*name, d.Shape, EntityName(*d.Entity)});
  }
  std::size_t unnamed = 0;
  for (const TDrawn &d : receptors) {
    if (d.Arcs) {
      problem = ArcProblem(d);
      return false;
    }
    const std::string name =
        d.Texts.empty() ? "未命名敏感目标 " + std::to_string(++unnamed) : d.Texts.front();
    plan.Receptors.push_back({name, d.Shape, EntityName(*d.Entity)});
  }
  return true;
}

namespace {

// A layer name as DXF allows it: characters it forbids become "_", the
// rest is GBK, the file's code page (\U+XXXX escapes for what GBK lacks).
std::string LayerName(const std::string &text) {
  std::string ascii, gbk;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool forbidden = std::string("<>/\\\":;?*|=`").find(c) != std::string::npos ||
                           static_cast<unsigned char>(c) < 0x20;
    ascii += forbidden ? '_' : c;
  }
  if (Utf8ToGbk(ascii, gbk))
    return gbk;
  std::string escaped;
  for (std::size_t i = 0; i < ascii.size();) {
    const unsigned char c = static_cast<unsigned char>(ascii[i]);
    const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t code = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 7;
    for (int k = 1; k < length && i + k < ascii.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(ascii[i + k]) & 0x3F);
    i += length;
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\U+%04X", code > 0xFFFF ? 0xFFFD : code);
    escaped += code < 0x80 ? std::string(1, static_cast<char>(code)) : std::string(hex);
  }
  return escaped;
}

void Pair(std::string &out, int code, const std::string &value) {
  out += std::to_string(code) + "\n" + value + "\n";
}

std::string Coordinate(double value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 4);
  return std::string(text, r.ptr);
}

void Ring(std::string &out, const std::string &layer, const TRing &ring) {
  Pair(out, 0, "POLYLINE");
  Pair(out, 8, layer);
  Pair(out, 66, "1");
  Pair(out, 10, "0.0");
  Pair(out, 20, "0.0");
  Pair(out, 30, "0.0");
  Pair(out, 70, "1");
  for (const TPoint &p : ring) {
    Pair(out, 0, "VERTEX");
    Pair(out, 8, layer);
    Pair(out, 10, Coordinate(p.X));
    Pair(out, 20, Coordinate(p.Y));
    Pair(out, 30, "0.0");
  }
  Pair(out, 0, "SEQEND");
  Pair(out, 8, layer);
}

} // namespace

std::string DxfOfLayers(const std::vector<TDxfLayer> &layers) {
  std::string out;
  Pair(out, 0, "SECTION");
  Pair(out, 2, "HEADER");
  Pair(out, 9, "$ACADVER");
  Pair(out, 1, "AC1009");
  Pair(out, 9, "$DWGCODEPAGE");
  Pair(out, 3, "ANSI_936");
  Pair(out, 0, "ENDSEC");
  Pair(out, 0, "SECTION");
  Pair(out, 2, "TABLES");
  Pair(out, 0, "TABLE");
  Pair(out, 2, "LTYPE");
  Pair(out, 70, "1");
  Pair(out, 0, "LTYPE");
  Pair(out, 2, "CONTINUOUS");
  Pair(out, 70, "0");
  Pair(out, 3, "Solid line");
  Pair(out, 72, "65");
  Pair(out, 73, "0");
  Pair(out, 40, "0.0");
  Pair(out, 0, "ENDTAB");
  Pair(out, 0, "TABLE");
  Pair(out, 2, "LAYER");
  Pair(out, 70, std::to_string(layers.size()));
  for (const TDxfLayer &layer : layers) {
    Pair(out, 0, "LAYER");
    Pair(out, 2, LayerName(layer.Name));
    Pair(out, 70, "0");
    Pair(out, 62, std::to_string(layer.Colour));
    Pair(out, 6, "CONTINUOUS");
  }
  Pair(out, 0, "ENDTAB");
  Pair(out, 0, "ENDSEC");
  Pair(out, 0, "SECTION");
  Pair(out, 2, "ENTITIES");
  for (const TDxfLayer &layer : layers)
    for (const TPolygon &polygon : layer.Area) {
      Ring(out, LayerName(layer.Name), polygon.Outer);
      for (const TRing &hole : polygon.Holes)
        Ring(out, LayerName(layer.Name), hole);
    }
  Pair(out, 0, "ENDSEC");
  Pair(out, 0, "EOF");
  return out;
}
