// The single-calculation commands on any texts, in every output format and
// with either decimal mark: no crash, no leak, no exception, a status of 0
// or 1 with the message on the error stream exactly when it is 1, and
// output that reads back: JSON that parses with `error` null exactly on
// success, text lines "label = value", a record that starts with its title.
//
// Input: a byte of switches (bit 0 emission, bits 1-2 the format, bit 3 a
// radius instead of the area, bit 4 the class from the window's choices,
// bit 5 the decimal mark ","), then the texts of area or radius, Cm, V, the
// class, and Qe or L, separated by line feeds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "commands.h"

namespace {

[[noreturn]] void Fail(const char *what, std::string_view detail = {}) {
  std::fprintf(stderr, "property broken: %s: [%.*s]\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

void CheckOutput(TOutputFormat format, int status, const std::string &output) {
  switch (format) {
  case TOutputFormat::Json: {
    const auto json = nlohmann::json::parse(output, nullptr, false);
    if (json.is_discarded() || !json.is_object())
      Fail("JSON that does not parse", output);
    if (json["error"].is_null() != (status == ExitOk))
      Fail("JSON error field disagrees with the status", output);
    for (const char *number : {"area", "radius", "cm", "wind", "qe", "distance", "a", "d"})
      if (!json[number].is_number() && !json[number].is_null())
        Fail("a JSON number field that is not a number", output);
    break;
  }
  case TOutputFormat::Text: {
    static const std::regex lines("([A-Za-z ]{13} = \\S[^\n]*\n){9,10}");
    if (status == ExitOk ? !std::regex_match(output, lines) : !output.empty())
      Fail("text output", output);
    break;
  }
  case TOutputFormat::Record:
    if ((output.rfind("# 卫生防护距离计算书\n", 0) == 0) != (status == ExitOk) ||
        output.empty() != (status == ExitFailure))
      Fail("record output", output);
    break;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size == 0)
    return 0;
  const unsigned switches = data[0];
  const auto direction = switches & 1 ? TDirection::Emission : TDirection::Distance;
  const auto format = static_cast<TOutputFormat>((switches >> 1 & 3) % 3);
  std::string texts[5];
  std::size_t n = 0;
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == '\n' && n < 4)
      ++n;
    else
      texts[n] += static_cast<char>(data[i]);
  }
  CalcInputs in;
  (switches & 8 ? in.Radius : in.Area) = &texts[0];
  in.Cm = &texts[1];
  in.WindSpeed = &texts[2];
  in.SourceClass = &texts[3];
  (direction == TDirection::Distance ? in.Qe : in.Distance) = &texts[4];
  std::optional<TClassChoices> choices;
  if (switches & 16)
    choices = TClassChoices{static_cast<int>(switches >> 6 & 1), static_cast<int>(switches >> 7),
                            static_cast<int>(switches >> 7)};

  InitNumericEnvironment();
  DecimalMark = switches & 32 ? ',' : '.';
  char *written = nullptr, *message = nullptr;
  std::size_t writtenSize = 0, messageSize = 0;
  std::FILE *out = open_memstream(&written, &writtenSize);
  std::FILE *err = open_memstream(&message, &messageSize);
  const int status = RunSingleCase(direction, in, choices, format, out, err);
  std::fclose(out);
  std::fclose(err);
  const std::string output(written, writtenSize), said(message, messageSize);
  std::free(written);
  std::free(message);
  if (status != ExitOk && status != ExitFailure)
    Fail("exit status out of range");
  if (said.empty() != (status == ExitOk))
    Fail("a message without a failure, or a failure without one", said);
  CheckOutput(format, status, output);
  return 0;
}
