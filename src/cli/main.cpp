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

#include "batch.h"
#include "commands.h"
#include "platform.h"

#ifndef KESTRIN_VERSION
#error "KESTRIN_VERSION must be defined (the build passes the project's version)"
#endif

namespace {

// The output columns, a line at most 78 wide, each indented by two more.
std::string OutputColumnsHelp() {
  std::string help, line = "   ";
  for (const TResultField &field : ResultFields) {
    const std::string name = " " + std::string(field.Name) + (field.Get == FieldGetters::ErrorOf ? "." : ",");
    if (line.size() + name.size() > 78) {
      help += line + "\n";
      line = "   ";
    }
    line += name;
  }
  return help + line + "\n";
}

std::string BatchHelp() {
  return R"(Batch files (kestrin-cli batch):
  A CSV file, one case a row, after a header line that names the columns in
  any order; names match without regard to case and surrounding blanks.
)" + InputColumnsHelp() +
         R"(  A row may leave the cells of inputs its mode does not use empty. Any other
  column is an error unless named with --keep (its cells are then copied to
  the front of the output row); empty header cells at the end are ignored.
  Input is UTF-8, or GB18030 (as spreadsheet programs in a Chinese locale
  save it) when it is not valid UTF-8; output is always UTF-8: the --keep
  columns, then
)" + OutputColumnsHelp() +
         R"(
Exit status:
  0  every calculation succeeded
  1  a calculation (a batch row) failed; its message says why
  2  bad usage, an unreadable input or header, output that could not be
     written, or too little memory)";
}

// One single-calculation command: the texts of its options, and which of
// them were given.
struct CalcOptions {
  TDirection Direction = TDirection::Distance;
  CLI::App *Command = nullptr;
  std::string Area, Radius, Cm, Wind, Class, Stacks, Share, Basis;
  std::string Given; // Qe for a distance, L for an emission
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
  o.Command = command;
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

// The class text from --class, or derived from the three choices.
std::string SourceClassText(const CalcOptions &o) {
  if (*o.ClassOption)
    return o.Class;
  if (!*o.StacksOption)
    throw CLI::RequiredError("--class or --stacks");
  const TClassChoices c = *ChoicesOf(o);
  if (c.Other == 0 && !*o.ShareOption)
    throw CLI::RequiredError("--share (with --stacks yes)");
  if (c.Other == 1 && !*o.BasisOption)
    throw CLI::RequiredError("--basis (with --stacks no)");
  return SourceClassName(SourceClassFromChoices(c.Other, c.Three, c.QS));
}

CalcInputs InputsFromOptions(const CalcOptions &o, const std::string &classText) {
  CalcInputs in;
  in.Area = *o.AreaOption ? &o.Area : nullptr;
  in.Radius = *o.RadiusOption ? &o.Radius : nullptr;
  in.Cm = &o.Cm;
  in.WindSpeed = &o.Wind;
  in.SourceClass = &classText;
  (o.Direction == TDirection::Distance ? in.Qe : in.Distance) = &o.Given;
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

// The tool after the numeric set-up; throws nothing but std::bad_alloc.
int Run(const std::vector<std::string> &args) {
  CLI::App app{"Health-protection distance of fugitive emissions (Kestrin)", "kestrin-cli"};
  app.require_subcommand(1);
  // On Windows CLI11 would take "/x" for an option; "/data/plant.csv" is a file.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "kestrin-cli " KESTRIN_VERSION);
  const std::string help = BatchHelp();
  app.footer(help);
  CalcOptions commands[2];
  commands[0].Direction = TDirection::Distance;
  AddCalcOptions(app.add_subcommand("distance", "distance L for an emission rate Qe"), commands[0]);
  commands[0].Command->add_option("--qe", commands[0].Given, "emission rate Qe, kg/h")->required();
  commands[1].Direction = TDirection::Emission;
  AddCalcOptions(app.add_subcommand("emission", "emission rate Qe allowed at a distance L"),
                 commands[1]);
  commands[1].Command->add_option("--distance", commands[1].Given, "distance L, m")->required();
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
  batchCommand->footer(help);

  std::vector<const char *> argPointers;
  for (const std::string &arg : args)
    argPointers.push_back(arg.c_str());
  std::string classText;
  const CalcOptions *command = nullptr;
  try {
    app.parse(static_cast<int>(argPointers.size()), argPointers.data());
    for (const CalcOptions &o : commands)
      if (*o.Command) {
        command = &o;
        classText = SourceClassText(o);
      }
  } catch (const CLI::ParseError &e) {
    return Delivered(app.exit(e) == 0 ? ExitOk : ExitUsage);
  }
  if (command)
    return Delivered(RunSingleCase(command->Direction, InputsFromOptions(*command, classText),
                                   ChoicesOf(*command), command->Format, stdout, stderr));
  return RunBatchFile(batchFile, batchOptions);
}

} // namespace

int main(int argc, char **argv) {
  UseBinaryStreams();
  InitNumericEnvironment();
  DecimalMark = '.'; // a CSV file or a script means the same in every locale
  return RunGuarded(stderr, [&] { return Run(CommandLineArguments(argc, argv)); });
}
