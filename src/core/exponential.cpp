#include "exponential.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// An unevaluated sum hi + lo, carrying about twice the bits of either part.
struct TPair {
  Extended hi, lo;
};

// hi + lo = a + b exactly (Knuth's two-sum).
TPair TwoSum(Extended a, Extended b) {
  Extended s = a + b;
  Extended bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// a = hi + lo with hi and lo of 32 significant bits each (Veltkamp).
TPair Split(Extended a) {
  Extended c = 4294967297.0L * a; // 2^32 + 1
  Extended hi = c - (c - a);
  return {hi, a - hi};
}

// hi + lo = a * b exactly (Dekker): the halves' products need no rounding.
TPair TwoProduct(Extended a, Extended b) {
  Extended p = a * b;
  TPair x = Split(a);
  TPair y = Split(b);
  return {p, (((x.hi * y.hi - p) + x.hi * y.lo) + x.lo * y.hi) + x.lo * y.lo};
}

// The constants, from bench/exp-constants: 64/ln 2; ln 2/64 as StepHi, whose
// low 21 bits are zero so that k * StepHi is exact for every k used, plus
// StepLo; 1/n! for n = 3..8; and 2^(j/64) = hi + lo for j = 0..63.
constexpr int TableSize = 64;
constexpr Extended InvStep = 0xb.8aa3b295c17f0bcp+3L;
constexpr Extended StepHi = 0xb.17217f7d1c00000p-10L;
constexpr Extended StepLo = 0xf.79abc9e3b39803fp-54L;
constexpr Extended InverseFactorial3 = 0xa.aaaaaaaaaaaaaabp-6L;
constexpr Extended InverseFactorial4 = 0xa.aaaaaaaaaaaaaabp-8L;
constexpr Extended InverseFactorial5 = 0x8.888888888888889p-10L;
constexpr Extended InverseFactorial6 = 0xb.60b60b60b60b60bp-13L;
constexpr Extended InverseFactorial7 = 0xd.00d00d00d00d00dp-16L;
constexpr Extended InverseFactorial8 = 0xd.00d00d00d00d00dp-19L;
constexpr TPair TwoToJOver64[TableSize] = {
    {0x8.000000000000000p-3L, 0.0L},
    {0x8.164d1f3bc030773p-3L, 0xf.7caca4f7a29bde9p-68L},
    {0x8.2cd8698ac2ba1d7p-3L, 0xf.8a91d6d19482ffdp-69L},
    {0x8.43a28c3acde4046p-3L, 0xd.7c976509fe8ac10p-70L},
    {0x8.5aac367cc487b15p-3L, -0xe.8da91cf7aacf938p-69L},
    {0x8.71f61969e8d1010p-3L, 0xe.85c9f15ed4aa559p-69L},
    {0x8.8980e8092da8527p-3L, 0xb.bf1aed9318ceac6p-68L},
    {0x8.a14d575496efd9ap-3L, 0x8.0ca1d92c3680c22p-71L},
    {0x8.b95c1e3ea8bd6e7p-3L, -0x8.373af14eb586dfdp-72L},
    {0x8.d1adf5b7e5ba9e6p-3L, -0x9.67096d2e37ca594p-68L},
    {0x8.ea4398b45cd53c0p-3L, 0xb.70051321e0f5317p-69L},
    {0x9.031dc431466b1dcp-3L, 0xe.eb02950929d0fc5p-68L},
    {0x9.1c3d373ab11c336p-3L, 0xf.d6d8e0ae5ac9d82p-71L},
    {0x9.35a2b2f13e6e92cp-3L, -0xb.319afc589b6c463p-69L},
    {0x9.4f4efa8fef70961p-3L, 0xb.a2beb4495477951p-69L},
    {0x9.6942d3720185a00p-3L, 0x9.1d536d07538458ap-68L},
    {0x9.837f0518db8a96fp-3L, 0x8.d5a46305c85ededp-68L},
    {0x9.9e0459320b7fa65p-3L, -0xd.e7bc9a65a501a8cp-70L},
    {0x9.b8d39b9d54e5539p-3L, -0xb.aafd0bab86781c2p-68L},
    {0x9.d3ed9a72cffb751p-3L, -0x8.6dacc3ebc5993d4p-69L},
    {0x9.ef5326091a111aep-3L, -0xb.eddc1ec288c045dp-68L},
    {0xa.0b0510fb9714fc2p-3L, 0xc.96e3cf6d87ecd4cp-70L},
    {0xa.27043030c496819p-3L, -0xc.90bf620fe6042b1p-68L},
    {0xa.43515ae09e6809ep-3L, 0xd.1db4831781e1eecp-71L},
    {0xa.5fed6a9b15138eap-3L, 0xe.5ebfb10b88380d9p-70L},
    {0xa.7cd93b4e965356ap-3L, -0xc.2749655f8c11aa2p-68L},
    {0xa.9a15ab4ea7c0ef8p-3L, 0xa.83c49d86a63f4e6p-68L},
    {0xa.b7a39b5a93ed337p-3L, 0xc.b004764eb3c00f3p-68L},
    {0xa.d583eea42a14ac6p-3L, 0x9.3015191eb345d89p-68L},
    {0xa.f3b78ad690a4375p-3L, -0x8.367bf8cd132bf35p-69L},
    {0xb.123f581d2ac2590p-3L, -0xf.05f902d25bd44e3p-68L},
    {0xb.311c412a9112489p-3L, 0xf.b3c5371e6294670p-69L},
    {0xb.504f333f9de6484p-3L, 0xb.2fb1366ea957d3ep-68L},
    {0xb.6fd91e328d17791p-3L, 0xe.2cbe1bbaa834b3fp-72L},
    {0xb.8fbaf4762fb9ee9p-3L, 0xd.c3cbbc2b35b2d0dp-70L},
    {0xb.aff5ab2133e45fbp-3L, 0xe.9aa33a48b270718p-68L},
    {0xb.d08a39f580c36bfp-3L, -0xa.efdc09325e0a10cp-68L},
    {0xb.f1799b67a731083p-3L, -0xb.f517aa1a07a3d7bp-70L},
    {0xc.12c4cca66709456p-3L, 0xf.88afab34a010f6bp-68L},
    {0xc.346ccda24976407p-3L, 0x8.3b21584a2e0e90ap-69L},
    {0xc.5672a115506daddp-3L, 0xf.8ab432593767cdep-69L},
    {0xc.78d74c8abb9b15dp-3L, -0xf.b17471a24ff6207p-69L},
    {0xc.9b9bd866e2f27a3p-3L, -0xf.e3c0dabf5dd2d04p-68L},
    {0xc.bec14fef2727c5dp-3L, -0xb.6f8370ba1409231p-71L},
    {0xc.e248c151f8480e4p-3L, -0xe.e53e3835069c895p-70L},
    {0xd.06333daef2b2595p-3L, -0xa.4ae8e6a996cabf8p-69L},
    {0xd.2a81d91f12ae45ap-3L, 0x9.12472be1ef20143p-70L},
    {0xd.4f35aabcfedfa1fp-3L, 0xb.243bdff4c4c58b5p-68L},
    {0xd.744fccad69d6af4p-3L, 0xe.69a2ee640b4ff78p-69L},
    {0xd.99d15c278afd7b6p-3L, -0xb.c6109ae0f6a2a20p-74L},
    {0xd.bfbb797daf23755p-3L, 0xf.610356a78a6a991p-69L},
    {0xd.e60f4825e0e9124p-3L, -0x8.be174985ee65e9cp-69L},
    {0xe.0ccdeec2a94e111p-3L, 0xc.b12a091ba667944p-72L},
    {0xe.33f8972be8a5a51p-3L, 0x9.bfe90795980eecfp-71L},
    {0xe.5b906e77c8348a8p-3L, 0xf.2f47a5276dd8765p-70L},
    {0xe.8396a503c4bdc68p-3L, 0xf.22f21a158e18fbcp-68L},
    {0xe.ac0c6e7dd24392fp-3L, -0xb.f4a29323e46ac15p-69L},
    {0xe.d4f301ed9942b84p-3L, 0xc.01a5b6d4c97f624p-68L},
    {0xe.fe4b99bdcdaf5cbp-3L, 0x8.cac39ed291b7226p-68L},
    {0xf.281773c59ffb13ap-3L, -0xb.b3fab19b85c2da7p-70L},
    {0xf.5257d152486cc2cp-3L, 0xf.73a18f5db301f87p-68L},
    {0xf.7d0df730ad13bb9p-3L, -0xb.795b494f8248a8bp-74L},
    {0xf.a83b2db722a033ap-3L, 0xf.84b762862baff99p-68L},
    {0xf.d3e0c0cf486c175p-3L, -0xf.5818b4d9c3e23fap-68L},
};

// y * 2^m for y = hi + lo (|lo| well below |hi|), rounded once. Exact while
// the result is normal. Below the normal range fewer bits remain, and scaling
// a rounded y would round twice: there the sum is rounded at the subnormal
// spacing by adding the smallest normal number, lifted by 2^Lift so that
// every term stays normal, and taken away again exactly.
Extended Scale(Extended hi, Extended lo, int m) {
  Extended y = hi + lo; // at least 0.99
  if (m >= LDBL_MIN_EXP || std::ilogb(y) + m >= LDBL_MIN_EXP - 1)
    return std::scalbn(y, m);
  Extended rest = lo - (y - hi); // y + rest = hi + lo exactly
  constexpr int Lift = 256;
  Extended smallest = std::scalbn(LDBL_MIN, Lift);
  TPair sum = TwoSum(smallest, std::scalbn(y, m + Lift));
  Extended rounded = sum.hi + (sum.lo + std::scalbn(rest, m + Lift));
  return std::scalbn(rounded - smallest, -Lift);
}

} // namespace

Extended Exponential(Extended x) {
  if (std::isnan(x))
    return x;
  if (x > 11357) // beyond ln of the largest value, 11356.52...
    return std::numeric_limits<Extended>::infinity();
  if (x < -11400) // below ln of half the smallest subnormal, -11399.49...
    return 0;
  // Step 1: x = k * ln2/64 + r with |r| about ln2/128 at most; k fits in
  // 21 bits, so k * StepHi is exact and so is its difference from x, which
  // lies within a factor of two of it.
  Extended kNear = x * InvStep;
  auto k = static_cast<std::int32_t>(kNear < 0 ? kNear - 0.5L : kNear + 0.5L);
  Extended rHi = x - k * StepHi;
  Extended rLo = -(k * StepLo);
  Extended r = rHi + rLo;
  // Step 2: e^r = 1 + rHi + q; the Taylor series to r^8 leaves out less
  // than 2^-85.
  Extended q =
      rLo + r * r *
                (0.5L + r * (InverseFactorial3 +
                             r * (InverseFactorial4 +
                                  r * (InverseFactorial5 +
                                       r * (InverseFactorial6 +
                                            r * (InverseFactorial7 + r * InverseFactorial8))))));
  // Step 3: e^x = 2^m * 2^(j/64) * e^r with k = 64m + j. With T = hi + lo
  // the table entry, T * (1 + rHi + q) = T.hi + T.hi*rHi + small terms; the
  // first two are summed exactly, so only the small terms' rounding errors
  // (below 2^-78 of the result) stand between the sum and its correct
  // rounding.
  int j = ((k % TableSize) + TableSize) % TableSize;
  int m = (k - j) / TableSize;
  const TPair &t = TwoToJOver64[j];
  TPair product = TwoProduct(t.hi, rHi);
  TPair lead = TwoSum(t.hi, product.hi);
  Extended small = lead.lo + product.lo + t.hi * q + t.lo * (1 + r + q);
  return Scale(lead.hi, small, m);
}
