// The envelope's figure as PNG at 300 dpi: a bold label comes out bold,
// also in the Chinese fonts that have no bold face of their own.
#include "planpaint.h"
#include "platform.h"

#include <string>

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

// The dark pixels of the image between x0 and x1 (page units).
int Ink(const QImage &image, double x0, double x1, double scale) {
  int ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = int(x0 * scale); x < int(x1 * scale); ++x)
      ink += qGray(image.pixel(x, y)) < 128;
  return ink;
}

} // namespace

TEST(EnvelopePng, BoldLabelsArePaintedBold) {
  static std::string name = "paint_test", option = "-platform", platform = PaintingPlatform();
  static char *argv[] = {name.data(), option.data(), platform.data(), nullptr};
  static int argc = 3;
  QGuiApplication application(argc, argv);
  TDrawing drawing;
  drawing.Width = 200;
  drawing.Height = 30;
  TDrawItem label;
  label.Kind = TDrawItem::Label;
  label.Text = "卫生防护距离";
  label.At = {10, 20};
  drawing.Items.push_back(label);
  label.At = {110, 20};
  label.Bold = true;
  drawing.Items.push_back(label);
  const std::string png = DrawingPng(drawing, 300);
  QImage image;
  ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar *>(png.data()), int(png.size()), "PNG"));
  ASSERT_EQ(image.width(), 625);
  const double scale = 300 / 96.0;
  const int regular = Ink(image, 0, 100, scale), bold = Ink(image, 100, 200, scale);
  EXPECT_GT(regular, 500);
  // Made-up bold thickens the strokes by about half; hinting alone, a tenth or two.
  EXPECT_GT(bold * 10, regular * 14) << "regular " << regular << ", bold " << bold;
}
