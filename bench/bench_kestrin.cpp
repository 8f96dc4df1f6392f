// Speed of the calculation core and the batch tool. bench/run-bench turns
// the results into the ratios that matter:
//   CalcDistance/* ÷ EmissionAtFloor/*   the search's own cost over the bare
//                                         model evaluations it makes
//   Batch100k per row ÷ CalcDistanceRows  reading, converting and writing CSV
//                                         over the calculation itself
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "batch.h"
#include "everyday.h"

namespace {

constexpr std::size_t MixSize = 10000;
constexpr std::size_t BatchRows = 100000;

const std::vector<EverydayCase> &Mix() {
  static const std::vector<EverydayCase> cases = EverydayCases(MixSize);
  return cases;
}

const std::vector<EverydayCase> &Defaults() {
  static const std::vector<EverydayCase> cases = {{"100", "0.25", "3.5", "10", "100", 0}};
  return cases;
}

const std::vector<EverydayCase> &BatchCases() {
  static const std::vector<EverydayCase> cases = EverydayCases(BatchRows, 7);
  return cases;
}

std::vector<TKestrin> Calculators(const std::vector<EverydayCase> &cases) {
  std::vector<TKestrin> calcs;
  calcs.reserve(cases.size());
  for (const EverydayCase &c : cases)
    calcs.push_back(CalculatorFor(c));
  return calcs;
}

// A calculator holding the coefficients of one distance band.
TKestrin WithBand(const TKestrin &inputs, const char *distanceInBand) {
  TKestrin calc = inputs;
  calc.SetDistance(distanceInBand);
  calc.DistanceBandFromL();
  calc.SelectWindBand();
  calc.SelectWindFlag();
  calc.LookupCoefficients();
  return calc;
}

// The bare model evaluations that the distance searches make: the band
// tests at 1000 m (and 2000 m), then every L of the search, each with the
// coefficients in use at the time.
struct FloorCalls {
  std::vector<TKestrin> Models; // three per case: band 0, band 1, the search's
  std::vector<std::pair<const TKestrin *, double>> Calls;
  std::vector<std::size_t> CaseStart; // Calls of case k: [CaseStart[k], CaseStart[k + 1])
};

// Replays one search step by step to learn its L values; aborts if the
// replay does not end where CalcDistance ends.
void AddSearch(FloorCalls &plan, const TKestrin &inputs) {
  plan.Models.push_back(WithBand(inputs, "500"));
  plan.Models.push_back(WithBand(inputs, "1500"));
  plan.Models.push_back(inputs);
  TKestrin &search = plan.Models.back();
  search.CalcDistance();
  plan.Calls.emplace_back(&plan.Models[plan.Models.size() - 3], 1000.0);
  if (search.DistanceBand() > 0)
    plan.Calls.emplace_back(&plan.Models[plan.Models.size() - 2], 2000.0);

  const Extended golden = 0.618L;
  const double qe = search.Qe();
  int band = search.DistanceBand();
  double b = band == 2 ? 2000 : (band + 1) * 1000.0;
  auto L = static_cast<double>(band == 2 ? 1.618L * b : golden * b);
  int evaluations = 1;
  plan.Calls.emplace_back(&search, L);
  double Q = search.EmissionAt(L);
  while (std::fabs((Extended(Q) - qe) / qe) > search.Tolerance()) {
    auto t = static_cast<double>(std::fabs(Extended(b) - L));
    b = L;
    L = static_cast<double>(Q > qe ? L - golden * t : L + golden * t * qe / Q);
    ++evaluations;
    plan.Calls.emplace_back(&search, L);
    Q = search.EmissionAt(L);
  }
  if (evaluations != search.Iterations() || L != search.Distance()) {
    std::fprintf(stderr, "bench: the replayed search differs from CalcDistance\n");
    std::abort();
  }
}

FloorCalls FloorOf(const std::vector<EverydayCase> &cases) {
  FloorCalls plan;
  plan.Models.reserve(3 * cases.size()); // the calls point into it
  for (const EverydayCase &c : cases) {
    plan.CaseStart.push_back(plan.Calls.size());
    AddSearch(plan, CalculatorFor(c));
  }
  plan.CaseStart.push_back(plan.Calls.size());
  return plan;
}

// One iteration: one case's distance search.
void CalcDistanceOver(benchmark::State &state, const std::vector<EverydayCase> &cases) {
  std::vector<TKestrin> calcs = Calculators(cases);
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calcs[k].CalcDistance());
    k = k + 1 == calcs.size() ? 0 : k + 1;
  }
}

// One iteration: the bare EmissionAt calls of one case's search. In the
// search each L waits for the previous Q; so does each call here (adding
// Q * 0 costs one multiply-add), or the processor would overlap calls that
// the search cannot.
void FloorOver(benchmark::State &state, const std::vector<EverydayCase> &cases) {
  FloorCalls plan = FloorOf(cases);
  std::size_t k = 0, count = cases.size();
  double Q = 0;
  for (auto _ : state) {
    for (std::size_t i = plan.CaseStart[k]; i < plan.CaseStart[k + 1]; ++i)
      Q = plan.Calls[i].first->EmissionAt(plan.Calls[i].second + Q * 0.0);
    benchmark::DoNotOptimize(Q);
    k = k + 1 == count ? 0 : k + 1;
  }
}

void CalcDistanceDefaults(benchmark::State &state) { CalcDistanceOver(state, Defaults()); }
void CalcDistanceMix(benchmark::State &state) { CalcDistanceOver(state, Mix()); }
void CalcDistanceRows(benchmark::State &state) { CalcDistanceOver(state, BatchCases()); }
void EmissionAtFloorDefaults(benchmark::State &state) { FloorOver(state, Defaults()); }
void EmissionAtFloorMix(benchmark::State &state) { FloorOver(state, Mix()); }

void CalcEmissionMix(benchmark::State &state) {
  std::vector<TKestrin> calcs = Calculators(Mix());
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(calcs[k].CalcEmission());
    k = k + 1 == calcs.size() ? 0 : k + 1;
  }
}

void TextToValueMix(benchmark::State &state) {
  std::vector<std::string> texts;
  for (const EverydayCase &c : Mix())
    texts.insert(texts.end(), {c.Area, c.Cm, c.Wind, c.Qe});
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextToValue(texts[k]));
    k = k + 1 == texts.size() ? 0 : k + 1;
  }
}

// The values a batch row writes: inputs and results, 15 significant digits.
void ValueToTextMix(benchmark::State &state) {
  std::vector<double> values;
  for (TKestrin &calc : Calculators(Mix())) {
    calc.CalcDistance();
    values.insert(values.end(), {calc.Area(), calc.Radius(), calc.Cm(), calc.Distance(), calc.B()});
  }
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ValueToText(values[k]));
    k = k + 1 == values.size() ? 0 : k + 1;
  }
}

// One iteration: the whole batch of BatchRows rows, read from memory,
// written to /dev/null.
void Batch100k(benchmark::State &state) {
  char *csv = nullptr;
  std::size_t size = 0;
  std::FILE *build = open_memstream(&csv, &size);
  std::fputs(BatchHeader, build);
  WriteBatchRows(build, BatchCases());
  std::fclose(build);
  std::FILE *sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    std::FILE *in = fmemopen(csv, size, "r");
    if (RunBatch(in, sink, sink) != ExitOk)
      state.SkipWithError("a batch row failed");
    std::fclose(in);
  }
  std::fclose(sink);
  std::free(csv);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * BatchRows));
}

// On a shared machine the least disturbed repetition is the best estimate.
double Fastest(const std::vector<double> &times) { return *std::min_element(times.begin(), times.end()); }

} // namespace

BENCHMARK(CalcDistanceDefaults)->ComputeStatistics("min", Fastest);
BENCHMARK(EmissionAtFloorDefaults)->ComputeStatistics("min", Fastest);
BENCHMARK(CalcDistanceMix)->ComputeStatistics("min", Fastest);
BENCHMARK(EmissionAtFloorMix)->ComputeStatistics("min", Fastest);
BENCHMARK(CalcEmissionMix)->ComputeStatistics("min", Fastest);
BENCHMARK(TextToValueMix)->ComputeStatistics("min", Fastest);
BENCHMARK(ValueToTextMix)->ComputeStatistics("min", Fastest);
BENCHMARK(CalcDistanceRows)->ComputeStatistics("min", Fastest);
BENCHMARK(Batch100k)->Unit(benchmark::kMillisecond)->MinTime(2.0)->ComputeStatistics("min", Fastest);

int main(int argc, char **argv) {
  InitNumericEnvironment();
  DecimalMark = '.';
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
