// The single-calculation commands: one problem from the command line,
// results printed readably with units.
#pragma once

#include <cstdio>

#include "inputs.h"

// Both return ExitOk, or ExitFailure after printing the failure's message
// to `err`.
int RunDistance(const CalcInputs &inputs, std::FILE *out, std::FILE *err);
int RunEmission(const CalcInputs &inputs, std::FILE *out, std::FILE *err);
