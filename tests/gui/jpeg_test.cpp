// The splash picture and its libjpeg decoder: the resource itself, agreement
// with a second decoder, and bad data giving an empty picture, never an abort.
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTest>

#include "UAuthor.h"

namespace {

QByteArray ReadFile(const QString &name) {
  QFile file(name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Largest difference of one colour channel between two RGB888 images.
int LargestDifference(const QImage &a, const QImage &b) {
  int largest = 0;
  for (int y = 0; y < a.height(); ++y) {
    const uchar *p = a.constScanLine(y), *q = b.constScanLine(y);
    for (int x = 0; x < a.width() * 3; ++x)
      largest = qMax(largest, qAbs(int(p[x]) - int(q[x])));
  }
  return largest;
}

// A picture with detail in every channel, JPEG-encoded by Qt's writer.
QByteArray Encode(QImage::Format format, bool progressive) {
  QImage picture(37, 21, QImage::Format_RGB888);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      picture.setPixelColor(x, y, QColor(x * 7, y * 12, (x + y) * 4));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(95);
  writer.setProgressiveScanWrite(progressive);
  return writer.write(picture.convertToFormat(format)) ? buffer.data() : QByteArray();
}

// Offset of a marker (0xFF, code); markers cannot occur inside entropy-coded
// data, where every 0xFF is followed by 0x00.
qsizetype Marker(const QByteArray &jpeg, uchar code) {
  return jpeg.indexOf(QByteArray("\xFF") + char(code));
}

} // namespace

class TJpegTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    FSplash = ReadFile(QStringLiteral(":/splash.jpg"));
    QVERIFY(!FSplash.isEmpty());
  }

  void splashDecodesTo318x253() {
    const QImage picture = DecodeJpeg(FSplash);
    QCOMPARE(picture.size(), QSize(318, 253));
    QCOMPARE(picture.format(), QImage::Format_RGB888);
  }

  // Baseline (SOF0, no progressive SOF2), 318 x 253, three components.
  void splashIsBaselineWithThreeComponents() {
    const qsizetype frame = Marker(FSplash, 0xC0);
    QVERIFY(frame > 0);
    QCOMPARE(Marker(FSplash, 0xC2), -1);
    const auto byte = [&](qsizetype i) { return int(uchar(FSplash[frame + i])); };
    QCOMPARE(byte(5) * 256 + byte(6), 253);
    QCOMPARE(byte(7) * 256 + byte(8), 318);
    QCOMPARE(byte(9), 3);
  }

  // Qt's own JPEG reader, also built on libjpeg, as an independent check of
  // row order and channel order.
  void agreesWithAnotherDecoder_data() {
    QTest::addColumn<QByteArray>("jpeg");
    QTest::newRow("splash") << FSplash;
    QTest::newRow("progressive") << Encode(QImage::Format_RGB888, true);
    QTest::newRow("grayscale") << Encode(QImage::Format_Grayscale8, false);
  }
  void agreesWithAnotherDecoder() {
    QFETCH(QByteArray, jpeg);
    if (!QImageReader::supportedImageFormats().contains("jpeg"))
      QSKIP("Qt's JPEG reader is not installed");
    QVERIFY(!jpeg.isEmpty());
    const QImage theirs = QImage::fromData(jpeg, "jpeg").convertToFormat(QImage::Format_RGB888);
    const QImage ours = DecodeJpeg(jpeg);
    QCOMPARE(ours.size(), theirs.size());
    QVERIFY2(LargestDifference(ours, theirs) <= 2, qPrintable(QString::number(LargestDifference(ours, theirs))));
  }

  void badDataGivesEmptyPicture_data() {
    QTest::addColumn<QByteArray>("jpeg");
    const QByteArray &splash = FSplash;
    const qsizetype scan = Marker(splash, 0xDA);
    const qsizetype frame = Marker(splash, 0xC0);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a jpeg") << QByteArray("GIF89a, or anything else");
    QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("headers only") << splash.left(scan + 14);
    QTest::newRow("cut in half") << splash.left(splash.size() / 2);
    QTest::newRow("end marker missing") << splash.left(splash.size() - 2);
    QByteArray marker = splash;
    marker.replace(splash.size() / 2, 2, "\xFF\xD5");
    QTest::newRow("stray marker in data") << marker;
    QByteArray empty = splash;
    empty[frame + 5] = empty[frame + 6] = 0;
    QTest::newRow("zero height") << empty;
    QByteArray huge = splash.left(scan + 200);
    huge[frame + 5] = huge[frame + 7] = char(0xFF);
    huge[frame + 6] = huge[frame + 8] = char(0xDC); // 65500 x 65500
    QTest::newRow("huge and cut") << huge;
  }
  void badDataGivesEmptyPicture() {
    QFETCH(QByteArray, jpeg);
    QVERIFY(DecodeJpeg(jpeg).isNull());
  }

private:
  QByteArray FSplash;
};

QTEST_MAIN(TJpegTest)
#include "jpeg_test.moc"
