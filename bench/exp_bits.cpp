// For bench/exp-accuracy: reads arguments as 80-bit patterns (20 hex digits:
// sign and exponent, then the 64-bit significand), one a line, and prints
// each with its e^x from the core's Exponential and from the C library's
// expl, in the same form.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "exponential.h"

namespace {

struct TBits {
  std::uint16_t top;
  std::uint64_t significand;
};

Extended FromBits(TBits bits) {
  unsigned char bytes[sizeof(Extended)] = {};
  std::memcpy(bytes, &bits.significand, 8);
  std::memcpy(bytes + 8, &bits.top, 2);
  Extended x;
  std::memcpy(&x, bytes, sizeof x);
  return x;
}

void PrintBits(Extended x, char end) {
  TBits bits{};
  unsigned char bytes[sizeof(Extended)];
  std::memcpy(bytes, &x, sizeof x);
  std::memcpy(&bits.significand, bytes, 8);
  std::memcpy(&bits.top, bytes + 8, 2);
  std::printf("%04" PRIx16 "%016" PRIx64 "%c", bits.top, bits.significand, end);
}

} // namespace

int main() {
  InitNumericEnvironment();
  char line[64];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    TBits bits{};
    if (std::sscanf(line, "%4" SCNx16 "%16" SCNx64, &bits.top, &bits.significand) != 2)
      return 2;
    Extended x = FromBits(bits);
    PrintBits(x, ' ');
    PrintBits(Exponential(x), ' ');
    PrintBits(std::exp(x), '\n');
  }
  return std::ferror(stdout) != 0 || std::fflush(stdout) != 0 ? 1 : 0;
}
