#include "everyday.h"

#include <cmath>
#include <random>

#include "inputs.h"

namespace {

std::string SixDigits(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", x);
  return buf;
}

} // namespace

std::vector<EverydayCase> EverydayCases(std::size_t count, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  // Uniform in [0, 1) from the raw bits, so the mix is the same with every library.
  auto unit = [&rng] { return static_cast<double>(rng() >> 11) * 0x1p-53; };
  auto logUniform = [&unit](double lo, double hi) {
    return std::exp(std::log(lo) + unit() * (std::log(hi) - std::log(lo)));
  };
  std::vector<EverydayCase> cases(count);
  for (EverydayCase &c : cases) {
    c.Area = SixDigits(logUniform(10, 100000));
    c.Cm = SixDigits(logUniform(0.01, 10));
    c.Wind = SixDigits(0.5 + unit() * 9.5);
    c.Qe = SixDigits(logUniform(0.01, 100));
    c.Distance = SixDigits(logUniform(10, 10000));
    c.SourceClass = static_cast<std::int32_t>(rng() % 3);
  }
  return cases;
}

TKestrin CalculatorFor(const EverydayCase &c) {
  TKestrin calc;
  calc.SetArea(c.Area);
  calc.SetCm(c.Cm);
  calc.SetWindSpeed(c.Wind);
  calc.SetSourceClass(c.SourceClass);
  calc.SetQe(c.Qe);
  calc.SetDistance(c.Distance);
  return calc;
}

void WriteBatchRows(std::FILE *out, const std::vector<EverydayCase> &cases) {
  for (const EverydayCase &c : cases)
    std::fprintf(out, "distance,%s,%s,%s,%s,%s\n", c.Area.c_str(), c.Cm.c_str(), c.Wind.c_str(),
                 SourceClassName(c.SourceClass), c.Qe.c_str());
}
