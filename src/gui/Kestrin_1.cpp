// The program's entry: the numeric environment and the application object;
// RunKestrin does the rest of the start-up, the event loop and finalisation.
#include <QApplication>

#include "UDis.h"
#include "numtext.h"
#include "startup.h"

int main(int argc, char **argv) {
  InitNumericEnvironment();
  ReadDecimalMark();
  QApplication application(argc, argv);
  return RunKestrin([]() -> QWidget * { return new TfrmDis; });
}
