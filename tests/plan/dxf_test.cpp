// What the DXF reader makes of the details CAD programs write and of files
// it cannot use; whole plans written by ezdxf are read in envelope_cli.py.
#include <gtest/gtest.h>

#include "dxf.h"

namespace {

// An ASCII DXF of an ENTITIES section holding `entities` (group code and
// value lines).
std::string Dxf(const std::string &entities) {
  return "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

// A closed 10 m square at (x, y) on `layer`, with bulge `bulge` at its first vertex.
std::string Square(const std::string &layer, double x, double y, const std::string &bulge = "0") {
  auto n = [](double v) { return std::to_string(v); };
  return "0\nLWPOLYLINE\n5\n2F\n8\n" + layer + "\n90\n4\n70\n1\n10\n" + n(x) + "\n20\n" + n(y) +
         "\n42\n" + bulge + "\n10\n" + n(x + 10) + "\n20\n" + n(y) + "\n10\n" + n(x + 10) +
         "\n20\n" + n(y + 10) + "\n10\n" + n(x) + "\n20\n" + n(y + 10) + "\n";
}

std::string Text(const std::string &type, const std::string &layer, double x, double y,
                 const std::string &text) {
  return "0\n" + type + "\n8\n" + layer + "\n10\n" + std::to_string(x) + "\n20\n" +
         std::to_string(y) + "\n1\n" + text + "\n";
}

struct TRow {
  const char *Name;
  std::string Bytes;
  const char *Units;     // the unit names read, joined by "|"
  const char *Receptors; // the receptor names read
  const char *Problem;
};

const TRow Rows[] = {
    {"text names the innermost outline",
     Dxf(Square("0", 0, 0) + Text("TEXT", "0", 5, 5, "一车间") + Square("0", -100, -100) +
         Text("TEXT", "0", -95, -95, "厂界")),
     "一车间", "", ""},
    {"layer names an outline without text", Dxf(Square("二车间", 0, 0)), "二车间", "", ""},
    {"MTEXT formatting and escapes",
     Dxf(Square("0", 0, 0) + Text("MTEXT", "0", 5, 5, "{\\fSimHei|b0;\\U+4E00车间}")), "一车间",
     "", ""},
    {"point receptor named by the nearest text",
     Dxf("0\nPOINT\n8\n敏感目标\n10\n50\n20\n50\n" + Text("TEXT", "敏感目标", 53, 52, "李家村")),
     "", "李家村", ""},
    {"receptor polygon named by its text",
     Dxf(Square("敏感目标", 0, 0) + Text("TEXT", "敏感目标", 5, 5, "王庄小学")), "", "王庄小学",
     ""},
    {"binary file", "AutoCAD Binary DXF\r\n\x1a", "", "",
     "二进制 DXF 不能读取，请另存为 ASCII DXF"},
    {"coordinate not a number",
     Dxf("0\nLWPOLYLINE\n5\n30\n8\n0\n70\n1\n10\n1,5\n20\n0\n"), "", "",
     "LWPOLYLINE 30（第 5 行）：第 14 行不是数"},
    {"unit outline with an arc", Dxf(Square("一车间", 0, 0, "0.5")), "", "",
     "LWPOLYLINE 2F（第 5 行）含圆弧段，不能读作轮廓；请在 CAD 中把圆弧分段后再导出"},
    {"not a group code", "0\nSECTION\nSECTION\n", "", "",
     "第 3 行不是组码（只读 ASCII DXF）"},
};

std::string Names(const std::vector<TPlanItem> &items) {
  std::string names;
  for (const TPlanItem &item : items)
    names += (names.empty() ? "" : "|") + item.Name;
  return names;
}

TEST(DxfPlan, ReadsWhatCadProgramsWrite) {
  for (const TRow &row : Rows) {
    SCOPED_TRACE(row.Name);
    TPlan plan;
    std::string problem;
    const bool read = ReadDxfPlan(row.Bytes, {"一车间", "二车间"}, "敏感目标", plan, problem);
    EXPECT_EQ(problem, row.Problem);
    EXPECT_EQ(read, problem.empty());
    EXPECT_EQ(Names(plan.Units), row.Units);
    EXPECT_EQ(Names(plan.Receptors), row.Receptors);
  }
}

} // namespace
