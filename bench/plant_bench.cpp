// The plant window on a long sheet: 100,000 rows of everyday cases in 1,000
// units, opened from CSV, computed (on the window's worker thread) and
// shown; then one cell edited and the whole sheet computed again. Real
// time is until the answer shows; CPU time is the GUI thread's own (it
// waits for events meanwhile), which is what could hold the window up.
#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>

#include "UPlant.h"
#include "everyday.h"
#include "inputs.h"
#include "numtext.h"
#include "report.h"
#include "startup.h"

namespace {

constexpr std::size_t SheetRows = 100000, RowsPerUnit = 100;

QString WriteSheet(const QTemporaryDir &dir) {
  const QString path = dir.filePath(QStringLiteral("plant.csv"));
  std::FILE *out = std::fopen(path.toLocal8Bit().constData(), "w");
  std::fputs("生产单元,污染物,模式,面积,标准浓度限值,平均风速,类别,源强\n", out);
  const std::vector<EverydayCase> cases = EverydayCases(SheetRows, 11);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const EverydayCase &c = cases[i];
    std::fprintf(out, "单元%zu,污染物%zu,distance,%s,%s,%s,%s,%s\n", i / RowsPerUnit,
                 i % RowsPerUnit, c.Area.c_str(), c.Cm.c_str(), c.Wind.c_str(),
                 SourceClassName(c.SourceClass), c.Qe.c_str());
  }
  std::fclose(out);
  return path;
}

void AwaitShown(TfrmPlant &window) {
  while (window.Computing())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QApplication::processEvents(); // paints
}

void PlantOpenComputeShow(benchmark::State &state) {
  QTemporaryDir dir;
  const QString path = WriteSheet(dir);
  for (auto _ : state) {
    TfrmPlant window;
    window.show();
    window.OpenFile(path);
    AwaitShown(window);
    if (window.Result().Rows.size() != SheetRows)
      state.SkipWithError("not every row computed");
  }
}
BENCHMARK(PlantOpenComputeShow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void PlantEditRecompute(benchmark::State &state) {
  QTemporaryDir dir;
  TfrmPlant window;
  window.show();
  window.OpenFile(WriteSheet(dir));
  AwaitShown(window);
  QAbstractItemModel *model = window.sgRows->model();
  int n = 0;
  for (auto _ : state) {
    model->setData(model->index(0, 7), QString::number(1 + ++n % 2));
    AwaitShown(window);
  }
}
BENCHMARK(PlantEditRecompute)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char **argv) {
  InitNumericEnvironment();
  DecimalMark = '.';
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  SetUpApplication();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
