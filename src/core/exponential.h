// e^x in the 80-bit extended format, computed by the program itself: the C
// libraries' expl differ in the last bit between systems, and a power with a
// fractional exponent ends here, so the same inputs give the same digits on
// every platform. Correctly rounded to the 64-bit significand for nearly all
// arguments, never off by a whole unit in the last place (bench/exp-accuracy
// measures both). Needs round to nearest and a 64-bit significand.
//   0 -> 1   1 -> e   x > 11356.52... -> +INF   x < -11399.5... -> 0
//   +INF -> +INF   -INF -> 0   NaN -> NaN
#pragma once

#include "numtext.h"

Extended Exponential(Extended x);
