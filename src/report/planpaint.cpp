#include "planpaint.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace {

QColor Colour(const std::string &name, double opacity) {
  if (name == "none")
    return Qt::transparent;
  QColor colour(QString::fromStdString(name));
  colour.setAlphaF(static_cast<float>(opacity));
  return colour;
}

void PaintPath(QPainter &p, const TDrawItem &item) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const TRing &ring : item.Rings) {
    for (std::size_t i = 0; i < ring.size(); ++i)
      i ? path.lineTo(ring[i].X, ring[i].Y) : path.moveTo(ring[i].X, ring[i].Y);
    if (item.Closed)
      path.closeSubpath();
  }
  QPen pen(Colour(item.Stroke, 1), item.StrokeWidth);
  pen.setJoinStyle(Qt::RoundJoin);
  p.setPen(item.Stroke == "none" ? QPen(Qt::NoPen) : pen);
  p.setBrush(item.Fill == "none" ? QBrush(Qt::NoBrush) : QBrush(Colour(item.Fill, item.FillOpacity)));
  p.drawPath(path);
}

// In the image's own pixels, not through the painter's scale: Linux's
// FreeType engine loses the bold it makes up for a font with no bold face
// (the Chinese ones) in text drawn scaled, which Windows keeps.
void PaintText(QPainter &p, const TDrawItem &item, int dpi) {
  QStringList families;
  for (const char *const *font = FigureFonts; *font; ++font)
    families << QString::fromUtf8(*font);
  QFont font;
  font.setFamilies(families);
  font.setPointSizeF(item.Size * 72.0 / 96.0); // item.Size pixels at 96 dpi
  font.setBold(item.Bold);
  p.save();
  p.resetTransform();
  p.setFont(font);
  p.setPen(Qt::black);
  const QString text = QString::fromStdString(item.Text);
  const double width = QFontMetricsF(font, p.device()).horizontalAdvance(text);
  const double scale = dpi / 96.0;
  p.drawText(QPointF(item.At.X * scale - (item.Anchor + 1) * width / 2, item.At.Y * scale), text);
  p.restore();
}

} // namespace

QImage DrawingImage(const TDrawing &drawing, int dpi) {
  const double scale = dpi / 96.0;
  QImage image(static_cast<int>(drawing.Width * scale + 0.5),
               static_cast<int>(drawing.Height * scale + 0.5), QImage::Format_RGB32);
  if (image.isNull())
    return image;
  image.fill(Qt::white);
  const int perMetre = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(perMetre);
  image.setDotsPerMeterY(perMetre);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    for (const TDrawItem &item : drawing.Items)
      item.Kind == TDrawItem::Label ? PaintText(p, item, dpi) : PaintPath(p, item);
  }
  return image;
}

std::string DrawingPng(const TDrawing &drawing, int dpi) {
  const QImage image = DrawingImage(drawing, dpi);
  if (image.isNull())
    return {};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG"))
    return {};
  return bytes.toStdString();
}
