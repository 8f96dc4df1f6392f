// Properties of number text, on any bytes:
//  1. TextToValue gives a value or throws EConvertError carrying the text;
//     nothing else escapes.
//  2. ValueToText of that value is itself accepted by TextToValue.
//  3. For every finite double x (from the text, or from the input's first
//     eight bytes taken as a bit pattern), TextToValue(ValueToText(x)) gives
//     a value whose ValueToText is the same text.
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "numtext.h"

namespace {

[[noreturn]] void Fail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "property broken: %s: [%s]\n", what, detail.c_str());
  std::abort();
}

Extended Read(const std::string &text, const char *context) {
  try {
    return TextToValue(text);
  } catch (const EConvertError &) {
    Fail(context, text);
  }
}

void CheckRoundTrip(double x) {
  std::string text = ValueToText(x);
  std::string again = ValueToText(Read(text, "ValueToText of a double is not readable"));
  if (again != text)
    Fail("round trip changed the text", text + "] -> [" + again);
}

void CheckText(const std::string &text) {
  Extended value;
  try {
    value = TextToValue(text);
  } catch (const EConvertError &e) {
    if (e.Message() != "'" + text + "' is not a valid floating point value")
      Fail("wrong conversion message", e.Message());
    return;
  } catch (const Exception &e) {
    Fail("TextToValue threw another failure class", e.ClassName());
  } catch (...) {
    Fail("TextToValue threw a non-failure", text);
  }
  if (std::fegetround() != FE_TONEAREST)
    Fail("TextToValue left the rounding mode changed", text);
  Read(ValueToText(value), "ValueToText of a read value is not readable");
  auto x = static_cast<double>(value);
  if (x - x == 0) // finite
    CheckRoundTrip(x);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  InitNumericEnvironment();
  DecimalMark = '.';
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  CheckText(std::string(reinterpret_cast<const char *>(data), size));
  if (size >= sizeof(double)) {
    double x;
    std::memcpy(&x, data, sizeof x);
    if (x - x == 0)
      CheckRoundTrip(x);
  }
  return 0;
}
