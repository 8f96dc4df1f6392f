// The reference of bench/startup-bench: an empty Qt Widgets window of the
// main window's size, started and measured the same way as kestrin. With
// --label it shows one Chinese label, to tell the cost of the first text
// (fontconfig, FreeType, the CJK font) from the rest of kestrin's start-up.
#include <cstring>

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char **argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Kestrin empty window"));
  window.resize(616, 524);
  if (argc > 1 && std::strcmp(argv[1], "--label") == 0)
    new QLabel(QStringLiteral("卫生防护距离"), &window);
  window.show();
  return QApplication::exec();
}
