// Speed of the calculation core and the batch tool. Besides the plain
// timings, two benchmarks report the ratios that matter as counter "ratio":
//   SearchOverFloor*       CalcDistance over the bare EmissionAt calls it makes
//   BatchOverCalcDistance  a batch row (reading, converting, writing CSV and
//                          calculating) over a bare CalcDistance of that row
#include <algorithm>
#include <chrono>
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

// The bare EmissionAt calls of case k's search, one after another. They do
// not wait for each other's results as the search's steps do, so the
// processor may overlap them: a floor no search can quite reach.
void RunFloor(const FloorCalls &plan, std::size_t k) {
  for (std::size_t i = plan.CaseStart[k]; i < plan.CaseStart[k + 1]; ++i)
    benchmark::DoNotOptimize(plan.Calls[i].first->EmissionAt(plan.Calls[i].second));
}

// One iteration: the floor of one case's search.
void FloorOver(benchmark::State &state, const std::vector<EverydayCase> &cases) {
  FloorCalls plan = FloorOf(cases);
  std::size_t k = 0;
  for (auto _ : state) {
    RunFloor(plan, k);
    k = k + 1 == cases.size() ? 0 : k + 1;
  }
}

using Clock = std::chrono::steady_clock;

// The ratios take turns case by case (or chunk by chunk), so that a machine
// busy with other work slows both sides alike; counter "ratio" = first side
// over second.
void SearchOverFloor(benchmark::State &state, const std::vector<EverydayCase> &cases) {
  std::vector<TKestrin> calcs = Calculators(cases);
  FloorCalls plan = FloorOf(cases);
  Clock::duration search{}, floor{};
  std::size_t k = 0;
  for (auto _ : state) {
    Clock::time_point t0 = Clock::now();
    benchmark::DoNotOptimize(calcs[k].CalcDistance());
    Clock::time_point t1 = Clock::now();
    RunFloor(plan, k);
    search += t1 - t0;
    floor += Clock::now() - t1;
    k = k + 1 == cases.size() ? 0 : k + 1;
  }
  state.counters["ratio"] =
      static_cast<double>(search.count()) / static_cast<double>(floor.count());
}

void CalcDistanceDefaults(benchmark::State &state) {
  CalcDistanceOver(state, Defaults());
}
void CalcDistanceMix(benchmark::State &state) {
  CalcDistanceOver(state, Mix());
}
void EmissionAtFloorDefaults(benchmark::State &state) {
  FloorOver(state, Defaults());
}
void EmissionAtFloorMix(benchmark::State &state) {
  FloorOver(state, Mix());
}
void SearchOverFloorDefaults(benchmark::State &state) {
  SearchOverFloor(state, Defaults());
}
void SearchOverFloorMix(benchmark::State &state) {
  SearchOverFloor(state, Mix());
}

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

// BatchRows rows as CSV in memory, in chunks of ChunkRows rows each with its header.
constexpr std::size_t ChunkRows = 10000;

std::vector<std::string> BatchChunks() {
  std::vector<std::string> chunks;
  const std::vector<EverydayCase> &cases = BatchCases();
  for (std::size_t start = 0; start < cases.size(); start += ChunkRows) {
    char *csv = nullptr;
    std::size_t size = 0;
    std::FILE *build = open_memstream(&csv, &size);
    std::fputs(BatchHeader, build);
    WriteBatchRows(build, {cases.begin() + start, cases.begin() + start + ChunkRows});
    std::fclose(build);
    chunks.emplace_back(csv, size);
    std::free(csv);
  }
  return chunks;
}

void RunBatchOn(benchmark::State &state, std::string &csv, std::FILE *sink) {
  std::FILE *in = fmemopen(csv.data(), csv.size(), "r");
  if (RunBatch(in, sink, sink) != ExitOk)
    state.SkipWithError("a batch row failed");
  std::fclose(in);
}

// One iteration: all BatchRows rows through the batch command, from memory
// to /dev/null.
void Batch100k(benchmark::State &state) {
  std::vector<std::string> chunks = BatchChunks();
  std::FILE *sink = std::fopen("/dev/null", "w");
  for (auto _ : state)
    for (std::string &chunk : chunks)
      RunBatchOn(state, chunk, sink);
  std::fclose(sink);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * BatchRows));
}

// A chunk through the batch command, then bare CalcDistance on the same rows.
void BatchOverCalcDistance(benchmark::State &state) {
  std::vector<std::string> chunks = BatchChunks();
  std::vector<TKestrin> calcs = Calculators(BatchCases());
  std::FILE *sink = std::fopen("/dev/null", "w");
  Clock::duration batch{}, bare{};
  std::size_t chunk = 0;
  for (auto _ : state) {
    Clock::time_point t0 = Clock::now();
    RunBatchOn(state, chunks[chunk], sink);
    Clock::time_point t1 = Clock::now();
    for (std::size_t i = chunk * ChunkRows; i < (chunk + 1) * ChunkRows; ++i)
      benchmark::DoNotOptimize(calcs[i].CalcDistance());
    batch += t1 - t0;
    bare += Clock::now() - t1;
    chunk = chunk + 1 == chunks.size() ? 0 : chunk + 1;
  }
  std::fclose(sink);
  state.counters["ratio"] = static_cast<double>(batch.count()) / static_cast<double>(bare.count());
}

// On a shared machine the least disturbed repetition is the best estimate.
double Fastest(const std::vector<double> &times) {
  return *std::min_element(times.begin(), times.end());
}

} // namespace

BENCHMARK(CalcDistanceDefaults)->ComputeStatistics("min", Fastest);
BENCHMARK(EmissionAtFloorDefaults)->ComputeStatistics("min", Fastest);
BENCHMARK(CalcDistanceMix)->ComputeStatistics("min", Fastest);
BENCHMARK(EmissionAtFloorMix)->ComputeStatistics("min", Fastest);
BENCHMARK(CalcEmissionMix)->ComputeStatistics("min", Fastest);
BENCHMARK(TextToValueMix)->ComputeStatistics("min", Fastest);
BENCHMARK(ValueToTextMix)->ComputeStatistics("min", Fastest);
BENCHMARK(Batch100k)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(SearchOverFloorDefaults)->MinTime(2.0);
BENCHMARK(SearchOverFloorMix)->MinTime(2.0);
BENCHMARK(BatchOverCalcDistance)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char **argv) {
  InitNumericEnvironment();
  DecimalMark = '.';
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
