// The plant program's entry: the numeric environment, the application
// object, the window, and the file named on the command line, if any.
#include <QApplication>

#include "UPlant.h"
#include "numtext.h"
#include "platform.h"
#include "report.h"
#include "startup.h"

int main(int argc, char **argv) {
  InitNumericEnvironment();
  DecimalMark = '.'; // a sheet means the same in every locale, as for kestrin-cli
  QApplication application(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Kestrin"));
  QApplication::setApplicationName(QStringLiteral("kestrin-plant"));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.KestrinPlant"));
  SetUpApplication();
  TfrmPlant window;
  window.show();
  const std::vector<std::string> args = CommandLineArguments(argc, argv);
  if (args.size() > 1)
    window.OpenFile(QString::fromStdString(args[1]));
  return QApplication::exec();
}
