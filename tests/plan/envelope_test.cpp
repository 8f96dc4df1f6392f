// The envelope's geometry against values worked out by hand: zones round at
// corners, concave outlines, merged zones, circles, receptor polygons and
// projected coordinates, and the plans that cannot be used.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry.h"

namespace {

TShape Square(double x, double y, double side) {
  TShape s;
  s.Kind = TShape::Polygon;
  s.Outline.Outer = {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
  return s;
}

TShape At(double x, double y) {
  TShape s;
  s.Outline.Outer = {{x, y}};
  return s;
}

TShape Circle(double x, double y, double radius) {
  TShape s = At(x, y);
  s.Kind = TShape::Circle;
  s.Radius = radius;
  return s;
}

TShape Rectangle(double x0, double y0, double x1, double y1) {
  TShape s;
  s.Kind = TShape::Polygon;
  s.Outline.Outer = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
  return s;
}

TShape LShape() {
  TShape s;
  s.Kind = TShape::Polygon;
  s.Outline.Outer = {{0, 0}, {100, 0}, {100, 40}, {40, 40}, {40, 100}, {0, 100}};
  return s;
}

struct TExpected {
  const char *Receptor, *Unit;
  double Distance, Required;
  bool Inside;
};

struct TCaseRow {
  const char *Name;
  std::vector<TPlanItem> Units;
  std::vector<TUnitDistance> Distances;
  std::vector<TPlanItem> Receptors;
  std::vector<TExpected> Expected;
  std::size_t EnvelopePolygons;
};

const double X0 = 500123.45, Y0 = 4000321.67; // a projected grid's magnitudes

const TCaseRow Cases[] = {
    // 50 m × 50 m at 100 m: 90 m and 110 m from a side; 72·√2 = 101.82 m
    // from the corner diagonally, outside although a mitred offset (its
    // corner 100·√2 = 141.4 m out) would hold it.
    {"square",
     {{"车间", Square(0, 0, 50), "a"}},
     {{"车间", true, 100}},
     {{"side 90", At(50 + 90, 25), "p"},
      {"side 110", At(50 + 110, 25), "p"},
      {"corner", At(50 + 72, 50 + 72), "p"}},
     {{"side 90", "车间", 90, 100, true},
      {"side 110", "车间", 110, 100, false},
      {"corner", "车间", 72 * std::sqrt(2.0), 100, false}},
     1},
    // Zones of 100 m and 200 m around squares 70 m apart overlap: one
    // envelope. Halfway, 35 m from each, the 200 m zone comes nearer.
    {"two units overlap",
     {{"A", Square(0, 0, 50), "a"}, {"B", Square(120, 0, 50), "b"}},
     {{"A", true, 100}, {"B", true, 200}},
     {{"between", At(85, 25), "p"}, {"far west", At(-150, 25), "p"}},
     {{"between", "B", 35, 200, true}, {"far west", "A", 150, 100, false}},
     1},
    // The notch of an L (arms 40 m wide, 100 m long): (80, 80) is 40 m from
    // both inner sides, (95, 95) 55 m; a hull would put both at 0 m.
    {"L-shaped unit",
     {{"L", LShape(), "a"}},
     {{"L", true, 50}},
     {{"notch", At(80, 80), "p"}, {"notch corner", At(95, 95), "p"}},
     {{"notch", "L", 40, 50, true}, {"notch corner", "L", 55, 50, false}},
     1},
    // A round tank of radius 10 m at 50 m: (0, 55) is 45 m from its rim;
    // (36, 48) is √(36² + 48²) − 10 = 50 m, on the zone's edge, not inside.
    {"round tank",
     {{"罐", Circle(0, 0, 10), "a"}},
     {{"罐", true, 50}},
     {{"near", At(0, 55), "p"}, {"on edge", At(36, 48), "p"}},
     {{"near", "罐", 45, 50, true}, {"on edge", "罐", 50, 50, false}},
     1},
    // A village from 140 m to 200 m east of the square's west side: its
    // nearest point is 90 m from the east side, so it is inside although
    // most of it lies outside.
    {"receptor polygon crossing",
     {{"车间", Square(0, 0, 50), "a"}},
     {{"车间", true, 100}},
     {{"村庄", Rectangle(140, 0, 200, 50), "p"}},
     {{"村庄", "车间", 90, 100, true}},
     1},
    // At X ≈ 500,000, Y ≈ 4,000,000 centimetres count: 99.99 m is inside,
    // 100.01 m outside.
    {"projected coordinates",
     {{"车间", Square(X0, Y0, 50), "a"}},
     {{"车间", true, 100}},
     {{"in", At(X0 + 50 + 99.99, Y0 + 25), "p"}, {"out", At(X0 - 100.01, Y0 + 25), "p"}},
     {{"in", "车间", (X0 + 50 + 99.99) - (X0 + 50), 100, true},
      {"out", "车间", X0 - (X0 - 100.01), 100, false}},
     1},
};

// Test names, not the rows' bytes.
void PrintTo(const TCaseRow &row, std::ostream *out) {
  *out << row.Name;
}

class EnvelopeGeometry : public testing::TestWithParam<TCaseRow> {};

TEST_P(EnvelopeGeometry, ReceptorsAndEnvelope) {
  const TCaseRow &c = GetParam();
  TEnvelope envelope;
  std::string problem;
  ASSERT_TRUE(MakeEnvelope({c.Units, c.Receptors}, c.Distances, envelope, problem)) << problem;
  ASSERT_EQ(envelope.Receptors.size(), c.Expected.size());
  bool compliant = true;
  for (std::size_t i = 0; i < c.Expected.size(); ++i) {
    const TReceptorResult &r = envelope.Receptors[i];
    const TExpected &e = c.Expected[i];
    SCOPED_TRACE(e.Receptor);
    EXPECT_EQ(r.Receptor, e.Receptor);
    EXPECT_EQ(r.Unit, e.Unit);
    EXPECT_NEAR(r.Distance, e.Distance, 1e-9);
    EXPECT_EQ(r.Required, e.Required);
    EXPECT_EQ(r.Inside, e.Inside);
    compliant &= !e.Inside;
  }
  EXPECT_EQ(envelope.Compliant, compliant);
  EXPECT_EQ(envelope.Envelope.size(), c.EnvelopePolygons);
}

INSTANTIATE_TEST_SUITE_P(Plans, EnvelopeGeometry, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<TCaseRow> &info) {
                           std::string name = info.param.Name;
                           for (char &ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch)))
                               ch = '_';
                           return name;
                         });

// The distance from a point to the square [x, x + side] × [y, y + side].
double FromSquare(TPoint p, double x, double y, double side) {
  const double dx = std::max({x - p.X, 0.0, p.X - (x + side)});
  const double dy = std::max({y - p.Y, 0.0, p.Y - (y + side)});
  return std::hypot(dx, dy);
}

// The drawn zone: its vertices on the true offset, its chords less than
// 0.1 m inside it, also at a projected grid's magnitudes.
TEST(EnvelopeZone, ArcsWithinATenthOfAMetre) {
  for (const TPoint origin : {TPoint{0, 0}, TPoint{X0, Y0}}) {
    TEnvelope envelope;
    std::string problem;
    ASSERT_TRUE(MakeEnvelope({{{"车间", Square(origin.X, origin.Y, 50), "a"}}, {}},
                             {{"车间", true, 100}}, envelope, problem));
    EXPECT_EQ(envelope.QuadrantSegments, 18);
    const TRing &ring = envelope.Envelope.at(0).Outer;
    ASSERT_GT(ring.size(), 4 * 18u);
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const TPoint a = ring[i], b = ring[(i + 1) % ring.size()];
      EXPECT_NEAR(FromSquare(a, origin.X, origin.Y, 50), 100, 1e-6);
      EXPECT_GT(FromSquare({(a.X + b.X) / 2, (a.Y + b.Y) / 2}, origin.X, origin.Y, 50), 99.9);
    }
  }
}

// q is the least count with d·(1 − cos(π/(4q))) < 0.1: for 100 m, q = 17
// strays 0.1067 m and q = 18 0.0952 m; for 2000 m, q = 78 strays 0.1014 m
// and q = 79 0.0988 m.
TEST(EnvelopeZone, QuadrantSegments) {
  EXPECT_EQ(QuadrantSegmentsFor(100), 18);
  EXPECT_EQ(QuadrantSegmentsFor(2000), 79);
  EXPECT_EQ(QuadrantSegmentsFor(1), 8);
}

struct TBadRow {
  const char *Name;
  std::vector<TPlanItem> Units;
  std::vector<TUnitDistance> Distances;
  const char *Message;
};

const TBadRow BadPlans[] = {
    {"distance without outline",
     {{"A", Square(0, 0, 50), "LWPOLYLINE 2F"}},
     {{"A", true, 100}, {"B", true, 100}},
     "生产单元“B”在平面图中没有轮廓"},
    {"outline without distance",
     {{"A", Square(0, 0, 50), "LWPOLYLINE 2F"}, {"B", Square(100, 0, 50), "LWPOLYLINE 30"}},
     {{"A", true, 100}},
     "平面图中的生产单元“B”（LWPOLYLINE 30）没有卫生防护距离"},
    {"undetermined unit",
     {{"A", Square(0, 0, 50), "a"}},
     {{"A", false, 0}},
     "生产单元“A”的卫生防护距离未确定，包络线无法确定"},
    {"self-intersecting outline",
     {{"A", Rectangle(0, 0, 50, 50), "LWPOLYLINE 2F"}},
     {{"A", true, 100}},
     "生产单元“A”的轮廓（LWPOLYLINE 2F）不是有效的多边形（自相交？）"},
};

TEST(EnvelopeInput, UnusablePlansNameTheUnit) {
  for (TBadRow row : BadPlans) {
    SCOPED_TRACE(row.Name);
    if (std::string(row.Name) == "self-intersecting outline")
      std::swap(row.Units[0].Shape.Outline.Outer[2], row.Units[0].Shape.Outline.Outer[3]);
    TEnvelope envelope;
    std::string problem;
    EXPECT_FALSE(MakeEnvelope({row.Units, {}}, row.Distances, envelope, problem));
    EXPECT_EQ(problem, row.Message);
  }
}

} // namespace
