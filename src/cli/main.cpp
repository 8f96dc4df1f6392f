// kestrin-cli: the health-protection distance calculator without a window.
//   kestrin-cli distance (--area S | --radius r) --cm Cm --wind V <class> --qe Qe
//   kestrin-cli emission (--area S | --radius r) --cm Cm --wind V <class> --distance L
//   kestrin-cli batch [--keep NAME,...] [--encoding utf-8|gb18030] [--bom] [FILE]
// where <class> is --class I|II|III or --stacks yes|no with --share above|within
// (stacks yes) or --basis acute|chronic (stacks no); distance and emission
// take --format text|json|record.
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs
#endif

#include "batch.h"
#include "commands.h"
#include "formats.h"

namespace {

#ifdef _WIN32
// Windows hands main() its arguments in the ANSI code page, which cannot
// spell every file name (nor "Ⅰ"); the tool takes them from the UTF-16
// command line as UTF-8, as on Linux, and opens files by their UTF-16 names.
std::string Utf8Of(const wchar_t *text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(n > 1 ? static_cast<std::size_t>(n - 1) : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::vector<std::string> Arguments(int argc, char **argv) {
  int wideArgc = 0;
  wchar_t **wideArgv = CommandLineToArgvW(GetCommandLineW(), &wideArgc);
  if (wideArgv == nullptr)
    return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < wideArgc; ++i)
    args.push_back(Utf8Of(wideArgv[i]));
  LocalFree(wideArgv);
  return args;
}

std::FILE *OpenForReading(const std::string &path) {
  int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring name(n > 1 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
  if (n > 1)
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, name.data(), n);
  return _wfopen(name.c_str(), L"rb");
}

// Binary mode: the CSV bytes in and out are those of Linux, "\n" is never
// widened to "\r\n" (a CRLF input still reads, the CSV reader takes both).
void UseBinaryStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
#else
std::vector<std::string> Arguments(int argc, char **argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE *OpenForReading(const std::string &path) {
  return std::fopen(path.c_str(), "rb");
}

void UseBinaryStreams() {}
#endif

const char *const BatchHelp = R"(Batch files (kestrin-cli batch):
  A CSV file, one case a row, after a header line that names the columns in
  any order; names match without regard to case and surrounding blanks.
    mode      distance or emission
    area      floor area S, m² (or radius: equivalent radius r, m)
    cm        concentration limit Cm, mg/m³
    wind      five-year average wind speed V, m/s
    class     source class I, II or III (also Ⅰ, Ⅱ, Ⅲ or 1, 2, 3; 类 may follow)
    qe        emission rate Qe, kg/h (distance rows)
    distance  distance L, m (emission rows)
  A row may leave the cells of inputs its mode does not use empty. Any other
  column is an error unless named with --keep (its cells are then copied to
  the front of the output row); empty header cells at the end are ignored.
  Input is UTF-8, or GB18030 (as spreadsheet programs in a Chinese locale
  save it) when it is not valid UTF-8; output is always UTF-8: the --keep
  columns, then mode, area, radius, cm, wind, class, qe, distance, graded,
  a, b, c, d, distance_band, wind_band, wind_flag, iterations, error.

Exit status:
  0  every calculation succeeded
  1  a calculation (a batch row) failed; its message says why
  2  bad usage, an unreadable input or header, or output that could not be
     written)";

// The texts of one calculation's options, and which of them were given.
struct CalcOptions {
  std::string Area, Radius, Cm, Wind, Class, Stacks, Share, Basis, Qe, Distance;
  TOutputFormat Format = TOutputFormat::Text;
  CLI::Option *AreaOption = nullptr;
  CLI::Option *RadiusOption = nullptr;
  CLI::Option *ClassOption = nullptr;
  CLI::Option *StacksOption = nullptr;
  CLI::Option *ShareOption = nullptr;
  CLI::Option *BasisOption = nullptr;
};

// --class takes what a batch cell takes; the message is the batch row's.
CLI::Validator SourceClassCheck() {
  return CLI::Validator(
      [](const std::string &text) {
        std::string error;
        CatchFailure([&] { SourceClassFromText(text); },
                     [&](const Exception &failure) { error = failure.Message(); });
        return error;
      },
      "{I,II,III}");
}

void AddCalcOptions(CLI::App *command, CalcOptions &o) {
  CLI::Option_group *size = command->add_option_group("size", "the production unit (one of)");
  o.AreaOption = size->add_option("--area", o.Area, "floor area S, m²");
  o.RadiusOption = size->add_option("--radius", o.Radius, "equivalent radius r, m");
  size->require_option(1);
  command->add_option("--cm", o.Cm, "concentration limit Cm, mg/m³")->required();
  command->add_option("--wind", o.Wind, "five-year average wind speed V, m/s")->required();
  o.ClassOption = command->add_option("--class", o.Class, "pollution-source class I, II or III")
                      ->check(SourceClassCheck());
  o.StacksOption = command
                       ->add_option("--stacks", o.Stacks,
                                    "stacks emitting the same gas beside the source: yes|no")
                       ->check(CLI::IsMember({"yes", "no"}))
                       ->excludes(o.ClassOption);
  o.ShareOption =
      command
          ->add_option("--share", o.Share,
                       "with stacks: their emission above|within 1/3 of the rate allowed them")
          ->check(CLI::IsMember({"above", "within"}))
          ->excludes(o.ClassOption);
  o.BasisOption =
      command
          ->add_option("--basis", o.Basis,
                       "without stacks: allowed concentration set by acute|chronic effects")
          ->check(CLI::IsMember({"acute", "chronic"}))
          ->excludes(o.ClassOption);
  const std::map<std::string, TOutputFormat> formats{{"text", TOutputFormat::Text},
                                                     {"json", TOutputFormat::Json},
                                                     {"record", TOutputFormat::Record}};
  command
      ->add_option("--format", o.Format,
                   "text (default), json (one object, the batch columns), or record "
                   "(the 计算书 in Markdown)")
      ->transform(CLI::CheckedTransformer(formats))
      ->option_text("text|json|record");
}

// The window's three choices when the class was derived from them; none
// when --class gave it.
std::optional<TClassChoices> ChoicesOf(const CalcOptions &o) {
  if (*o.ClassOption)
    return std::nullopt;
  return TClassChoices{o.Stacks == "yes" ? 0 : 1, o.Share == "within" ? 1 : 0,
                       o.Basis == "chronic" ? 1 : 0};
}

// One calculation in the format asked for.
int RunCalculation(TDirection direction, const CalcOptions &o, const CalcInputs &in) {
  if (o.Format != TOutputFormat::Text)
    return RunFormatted(direction, in, ChoicesOf(o), o.Format, stdout, stderr);
  return direction == TDirection::Distance ? RunDistance(in, stdout, stderr)
                                           : RunEmission(in, stdout, stderr);
}

// The class text from --class, or derived from the three choices.
std::string SourceClassText(const CalcOptions &o) {
  if (*o.ClassOption)
    return o.Class;
  if (!*o.StacksOption)
    throw CLI::RequiredError("--class or --stacks");
  bool stacks = o.Stacks == "yes";
  if (stacks && !*o.ShareOption)
    throw CLI::RequiredError("--share (with --stacks yes)");
  if (!stacks && !*o.BasisOption)
    throw CLI::RequiredError("--basis (with --stacks no)");
  return SourceClassName(SourceClassFromChoices(stacks ? 0 : 1, o.Share == "within" ? 1 : 0,
                                                o.Basis == "chronic" ? 1 : 0));
}

CalcInputs InputsOf(const CalcOptions &o, const std::string &classText) {
  CalcInputs in;
  in.Area = *o.AreaOption ? &o.Area : nullptr;
  in.Radius = *o.RadiusOption ? &o.Radius : nullptr;
  in.Cm = &o.Cm;
  in.WindSpeed = &o.Wind;
  in.SourceClass = &classText;
  return in;
}

// A result that could not be written (a full disk, a closed output) is a
// failure, never success.
int Delivered(int status) {
  std::cout.flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || !std::cout) {
    std::fputs("kestrin-cli: cannot write the output\n", stderr);
    return ExitUsage;
  }
  return status;
}

int RunBatchFile(const std::string &path, const BatchOptions &options) {
  if (path == "-")
    return RunBatch(stdin, stdout, stderr, options);
  std::FILE *in = OpenForReading(path);
  if (!in) {
    std::perror(("kestrin-cli: " + path).c_str());
    return ExitUsage;
  }
  int status = RunBatch(in, stdout, stderr, options);
  std::fclose(in);
  return status;
}

} // namespace

int main(int argc, char **argv) {
  UseBinaryStreams();
  InitNumericEnvironment();
  DecimalMark = '.'; // a CSV file or a script means the same in every locale

  CLI::App app{"Health-protection distance of fugitive emissions (Kestrin)", "kestrin-cli"};
  app.require_subcommand(1);
  // On Windows CLI11 would take "/x" for an option; "/data/plant.csv" is a file.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "kestrin-cli " KESTRIN_VERSION);
  app.footer(BatchHelp);
  CalcOptions distance, emission;
  CLI::App *distanceCommand = app.add_subcommand("distance", "distance L for an emission rate Qe");
  AddCalcOptions(distanceCommand, distance);
  distanceCommand->add_option("--qe", distance.Qe, "emission rate Qe, kg/h")->required();
  CLI::App *emissionCommand =
      app.add_subcommand("emission", "emission rate Qe allowed at a distance L");
  AddCalcOptions(emissionCommand, emission);
  emissionCommand->add_option("--distance", emission.Distance, "distance L, m")->required();
  std::string batchFile = "-";
  CLI::App *batchCommand = app.add_subcommand("batch", "one calculation per CSV row, CSV out");
  batchCommand->add_option("FILE", batchFile, "CSV input; standard input when absent or -");
  BatchOptions batchOptions;
  batchCommand
      ->add_option("--keep", batchOptions.Keep,
                   "input columns copied unchanged, in this order, to the front of each output row")
      ->delimiter(',')
      ->allow_extra_args(false)
      ->type_name("NAME[,NAME...]");
  const std::map<std::string, TEncoding> encodings{{"utf-8", TEncoding::Utf8},
                                                   {"gb18030", TEncoding::Gb18030}};
  batchCommand
      ->add_option("--encoding", batchOptions.Encoding,
                   "the input's encoding; by default UTF-8, or GB18030 when it is not valid UTF-8")
      ->transform(CLI::CheckedTransformer(encodings, CLI::ignore_case))
      ->option_text("utf-8|gb18030");
  batchCommand->add_flag("--bom", batchOptions.Bom,
                         "start the output with a UTF-8 byte-order mark, for spreadsheet programs");
  batchCommand->footer(BatchHelp);

  std::string classText;
  std::vector<std::string> args = Arguments(argc, argv);
  std::vector<const char *> argPointers;
  for (const std::string &arg : args)
    argPointers.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argPointers.size()), argPointers.data());
    if (*distanceCommand)
      classText = SourceClassText(distance);
    else if (*emissionCommand)
      classText = SourceClassText(emission);
  } catch (const CLI::ParseError &e) {
    return Delivered(app.exit(e) == 0 ? ExitOk : ExitUsage);
  }

  if (*distanceCommand) {
    CalcInputs in = InputsOf(distance, classText);
    in.Qe = &distance.Qe;
    return Delivered(RunCalculation(TDirection::Distance, distance, in));
  }
  if (*emissionCommand) {
    CalcInputs in = InputsOf(emission, classText);
    in.Distance = &emission.Distance;
    return Delivered(RunCalculation(TDirection::Emission, emission, in));
  }
  return RunBatchFile(batchFile, batchOptions);
}
