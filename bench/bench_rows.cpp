// Writes a batch input of N everyday rows to standard output: bench_rows N
#include <cstdio>
#include <cstdlib>

#include "everyday.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_rows N\n");
    return 2;
  }
  // In slices, so that a million rows take no more memory than a thousand.
  const std::size_t slice = 10000;
  std::size_t remaining = std::strtoull(argv[1], nullptr, 10);
  std::fputs(BatchHeader, stdout);
  for (std::uint64_t seed = 1; remaining > 0; ++seed) {
    std::size_t n = remaining < slice ? remaining : slice;
    WriteBatchRows(stdout, EverydayCases(n, seed));
    remaining -= n;
  }
  return 0;
}
