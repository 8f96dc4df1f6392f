#include <QApplication>

#include "UCal.h"
#include "UDis.h"

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  TfrmDis window;
  window.show();
  return app.exec();
}
