#include "report.h"

QString ReportText(const QString &message) { return message; }
void ReportError(const Exception &) {}
void ErrorDialog(const QString &, QWidget *) {}
void ReportFatal(const Exception &) {}
