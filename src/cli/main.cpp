// kestrin-cli: the health-protection distance calculator without a window.
//   kestrin-cli distance (--area S | --radius r) --cm Cm --wind V <class> --qe Qe
//   kestrin-cli emission (--area S | --radius r) --cm Cm --wind V <class> --distance L
//   kestrin-cli batch [--keep NAME,...] [--encoding utf-8|gb18030|gbk] [--bom]
//                     [--format csv|json|record] [-o OUT] [FILE]
//   kestrin-cli report --unit COL [--pollutant COL] [--format html|md|json] [-o OUT]
//                      [--basis TEXT] [--no-raise] [--digits N] [--caption-prefix P]
//                      [--table-style grid|three-line] [--encoding ...]
//                      [--plan PLAN [--receptor-layer NAME] [--distance NAME=M ...]] [FILE]
//   kestrin-cli envelope [SHEET --unit COL [--pollutant COL]] --plan PLAN
//                        [--receptor-layer NAME] [--distance NAME=M ...]
//                        [--format svg|png|dxf|geojson|json|html|md] [-o OUT]
// where <class> is --class I|II|III or --stacks yes|no with --share above|within
// (stacks yes) or --basis acute|chronic (stacks no); distance and emission
// take --format text|json|record.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "batch.h"
#include "commands.h"
#include "envelope.h"
#include "formats.h"
#include "outputfile.h"
#include "platform.h"
#include "report.h"

#ifndef KESTRIN_VERSION
#error "KESTRIN_VERSION must be defined (the build passes the project's version)"
#endif

namespace {

// The output columns, a line at most 78 wide, each indented by two more.
std::string OutputColumnsHelp() {
  std::string help, line = "   ";
  for (const TResultField &field : ResultFields) {
    const std::string name =
        " " + std::string(field.Name) + (field.Get == FieldGetters::ErrorOf ? "." : ",");
    if (line.size() + name.size() > 78) {
      help += line + "\n";
      line = "   ";
    }
    line += name;
  }
  return help + line + "\n";
}

// The header aliases by column, a line each ("    area      S, 面积, 占地面积").
std::string AliasHelp() {
  std::string help;
  for (std::size_t column = 0; column < InputCount; ++column) {
    std::string line = "    " + std::string(ResultFields[column].Name);
    line.resize(14, ' ');
    bool first = true;
    for (const THeaderAlias &alias : HeaderAliases)
      if (alias.Column == ResultFields[column].Name) {
        line += (first ? "" : ", ") + std::string(alias.Name);
        first = false;
      }
    help += line + "\n";
  }
  return help;
}

std::string BatchHelp() {
  return R"(Batch files (kestrin-cli batch, kestrin-cli report):
  A CSV file, one case a row, after a header line that names the columns in
  any order; names match without regard to case and surrounding blanks
  (spaces, tabs, no-break and full-width spaces), and may give their unit
  after the name, in brackets or after a blank (面积（m²）, 源强 kg/h); a
  unit other than the column's (排放量（t/a）) is refused.
)" + InputColumnsHelp() +
         R"(  The same columns also by these names:
)" + AliasHelp() +
         R"(  Without a mode column every row is a distance row. A row may leave the
  cells of inputs its mode does not use empty; a row whose cells are all
  empty is skipped (the count goes to standard error). Columns named 序号,
  编号, 备注, 说明, 备考, 注, No, Remark or Note are not used (and said so).
  Any other column is an error unless named with --keep (its cells are then
  copied, without surrounding blanks, to the front of the output row) or,
  for report, --unit or --pollutant; empty header cells at the end are
  ignored.
  Input is UTF-8 or GB18030 (GBK), as spreadsheet programs in a Chinese
  locale save it, told apart by a byte-order mark or else by what its text
  reads as (hanzi and Chinese punctuation, not scattered letters of other
  scripts), from the header to the first row that decides; text that reads
  as Chinese both ways is refused. A field that is not text in the encoding
  decided fails its row, never garbled; --encoding decides instead. A
  spreadsheet's "Unicode text" (UTF-16, tab-separated) and .xlsx workbooks
  (the first sheet, or the one --sheet names) are read too. -o OUT is
  replaced only by a complete output, never the input. Output is always
  UTF-8: the --keep columns, then
)" + OutputColumnsHelp() +
         R"(
Reports (kestrin-cli report):
  One document from a batch file: the method with the coefficients (tables
  1 and 2), table 3 (a row per input row, grouped by unit: S, Cm, Qe, V,
  class, A-D, L and its graded value), table 4 (a row per production unit:
  the largest graded distance, the pollutants that give it, how many reach
  it, and the unit's distance), in HTML a figure per unit, a concluding
  sentence per unit, and notes on rows whose graded distance does not hold
  Qe, rows at a band edge (marked in both tables) and failed rows. The rule: a unit's distance is the largest graded distance of
  its pollutants, raised one grade (50 -> 100, 100 -> 200, 1000 -> 1200,
  2000 -> 2200 ...) when two or more pollutants share it; --no-raise keeps
  it. A unit with a failed row, or listing a pollutant on two rows, has no
  distance (not determined). An empty unit cell takes the unit of the row
  above, as merged cells are saved (the notes say which rows); in the first
  row it fails the row. A header without rows gives no report (exit 1).
)" +
         R"(
Exit status:
  0  every calculation succeeded
  1  a calculation (a batch row) failed; its message says why. For report
     also: a unit not determined, or no rows below the header
  2  bad usage, an unreadable input or header, output that could not be
     written, or too little memory)";
}

// An option taking one of `choices` by name, without regard to case.
// (CLI11's CheckedTransformer would also take the values' own numbers.)
template <typename T>
CLI::Option *AddChoice(CLI::App *command, const std::string &name, T &target,
                       const std::vector<std::pair<std::string, T>> &choices,
                       const std::string &help) {
  std::vector<std::string> names;
  std::string text;
  for (const auto &choice : choices) {
    names.push_back(choice.first);
    text += (text.empty() ? "" : "|") + choice.first;
  }
  return command
      ->add_option_function<std::string>(
          name,
          [&target, choices](const std::string &value) {
            for (const auto &[choiceName, choiceValue] : choices)
              if (choiceName == value)
                target = choiceValue;
          },
          help)
      ->check(CLI::IsMember(names, CLI::ignore_case))
      ->option_text(text);
}

// --keep's names: separated by commas, as a CSV line is; a name holding a
// comma is quoted ("Plant, site"), and the option may be given once a name.
std::vector<std::string> KeptNames(const std::vector<std::string> &values) {
  std::vector<std::string> names;
  for (const std::string &value : values) {
    std::string name;
    bool quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '"' && quoted && i + 1 < value.size() && value[i + 1] == '"')
        name += value[++i];
      else if (value[i] == '"')
        quoted = !quoted;
      else if (value[i] == ',' && !quoted)
        names.push_back(std::exchange(name, {}));
      else
        name += value[i];
    }
    names.push_back(name);
  }
  return names;
}

const std::vector<std::pair<std::string, TEncoding>> Encodings = {
    {"utf-8", TEncoding::Utf8}, {"gb18030", TEncoding::Gb18030}, {"gbk", TEncoding::Gb18030}};
const char *const EncodingHelp =
    "the input's encoding (gbk reads as GB18030, its superset); by default told from a "
    "byte-order mark or what the text reads as";

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
  AddChoice<TOutputFormat>(command, "--format", o.Format,
                           {{"text", TOutputFormat::Text},
                            {"json", TOutputFormat::Json},
                            {"record", TOutputFormat::Record}},
                           "text (default), json (one object, the batch columns), or record "
                           "(the 计算书 in Markdown)");
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

// Runs `command` on the input named (standard input for "-").
template <typename Command> int WithInput(const std::string &path, Command &&command) {
  if (path == "-")
    return command(stdin);
  std::FILE *in = OpenForReading(path);
  if (!in) {
    std::perror(("kestrin-cli: " + path).c_str());
    return ExitUsage;
  }
  const int status = command(in);
  std::fclose(in);
  return status;
}

// Runs `command` on standard output, or on the file `path` names, which is
// replaced only when the command has written all of it (something, and any
// status but ExitUsage); an input that is that file is refused before
// anything is written (`in` may be nullptr, for commands that read by path).
template <typename Command>
int WithOutput(const std::string &path, std::FILE *in, Command &&command) {
  if (path.empty() || path == "-")
    return command(stdout);
  if (in && IsSameFile(StreamDescriptor(in), path))
    return Fail(stderr, "-o " + path + " names the input file; write the output to another file");
  TOutputFile file(path);
  if (!file.Open("kestrin-cli: interrupted; " + path + " was left as it was\n"))
    return Fail(stderr, "cannot write " + path + " (" + std::strerror(errno) + ")");
  const int status = command(file.Stream());
  if (status == ExitUsage && std::ferror(file.Stream()))
    std::fprintf(stderr, "kestrin-cli: %s was left as it was\n", path.c_str());
  // A command that wrote nothing (a report without rows) leaves it too.
  if (status != ExitUsage && std::ftell(file.Stream()) > 0 && !file.Commit())
    return Fail(stderr,
                "cannot write " + path + " (" + std::strerror(errno) + "); it was left as it was");
  return status;
}

// The status once what was written to `out` has reached it.
int Finished(std::FILE *out, int status) {
  return out == stdout           ? Delivered(status)
         : std::fflush(out) == 0 ? status
                                 : Fail(stderr, "cannot write the output");
}

// Whether the output `path` names the file `input`, which a command reads
// by its path (a sheet, a site plan).
bool OutputIsInput(const std::string &path, const std::string &input) {
  if (path.empty() || path == "-" || input.empty())
    return false;
  std::FILE *in = OpenForReading(input);
  if (!in)
    return false;
  const bool same = IsSameFile(StreamDescriptor(in), path);
  std::fclose(in);
  return same;
}

const char *const OutputHelp =
    "write to OUT, not standard output; OUT is replaced only once complete, and stays as it "
    "was when the command fails or is interrupted";

// The report command's options.
struct ReportCommand {
  CLI::App *Command = nullptr;
  std::string File = "-", Output;
  bool NoRaise = false;
  TReportOptions Options;
  TEnvelopeOptions Plan; // with --plan
};

// The site plan's options, shared by report and envelope.
void AddPlanOptions(CLI::App *command, TEnvelopeOptions &plan) {
  command->add_option("--plan", plan.Plan,
                      "the site plan: DXF (units' outlines named by the text inside or their "
                      "layer) or GeoJSON (properties \"unit\", \"receptor\")");
  command->add_option("--receptor-layer", plan.ReceptorLayer,
                      "the DXF layer of the receptors (default 敏感目标)");
  command
      ->add_option("--distance", plan.Distances,
                   "a unit's distance decided already, NAME=METRES (repeatable)")
      ->allow_extra_args(false)
      ->type_name("NAME=M");
  command->add_option("--north-angle", plan.NorthAngle,
                      "where north points, degrees clockwise from the plan's +Y (default 0)");
}

void AddReportOptions(CLI::App *app, ReportCommand &r) {
  r.Command = app->add_subcommand(
      "report", "per production unit: the method, both tables, the roll-up and notes");
  r.Command->add_option(
      "FILE", r.File,
      "CSV, UTF-16 text or .xlsx input, as for batch; standard input when absent or -");
  r.Command->add_option("--sheet", r.Options.Sheet,
                        "the workbook's sheet to read (default: the first)");
  r.Command->add_option("--unit", r.Options.Unit, "the column naming each row's production unit")
      ->required();
  r.Command->add_option("--pollutant", r.Options.Pollutant,
                        "the column naming each row's pollutant");
  r.Command
      ->add_option_function<std::vector<std::string>>(
          "--keep",
          [&r](const std::vector<std::string> &values) { r.Options.Keep = KeptNames(values); },
          "other columns the file holds, left out of the report")
      ->allow_extra_args(false)
      ->type_name("NAME[,NAME...]");
  AddChoice<TReportFormat>(r.Command, "--format", r.Options.Format,
                           {{"html", TReportFormat::Html},
                            {"md", TReportFormat::Markdown},
                            {"json", TReportFormat::Json}},
                           "html (default; opens in word processors), md (Markdown), or json "
                           "(every figure at full precision and the roll-up)");
  r.Command->add_option("-o,--output", r.Output, OutputHelp)->type_name("OUT");
  r.Command->add_option("--basis", r.Options.Basis,
                        "the method's opening sentence, e.g. the standard the report follows");
  r.Command->add_flag("--no-raise", r.NoRaise,
                      "a unit's distance is its largest graded one even when pollutants share it");
  r.Command
      ->add_option("--digits", r.Options.Digits,
                   "decimals of L in the tables (default 2; never past 15 significant digits)")
      ->check(CLI::Range(0, 15));
  r.Command->add_option("--caption-prefix", r.Options.CaptionPrefix,
                        "before the numbers of tables and figures, e.g. 5.3- for 表 5.3-1");
  AddChoice<TTableStyle>(r.Command, "--table-style", r.Options.TableStyle,
                         {{"grid", TTableStyle::Grid}, {"three-line", TTableStyle::ThreeLine}},
                         "grid (default; every cell ruled) or three-line (三线表: rules above "
                         "and below the table and below its header)");
  AddChoice(r.Command, "--encoding", r.Options.Encoding, Encodings, EncodingHelp);
  AddPlanOptions(r.Command, r.Plan);
}

struct EnvelopeCommand {
  CLI::App *Command = nullptr;
  std::string Output;
  bool NoRaise = false;
  TEnvelopeOptions Options;
};

void AddEnvelopeOptions(CLI::App *app, EnvelopeCommand &e) {
  e.Command = app->add_subcommand(
      "envelope",
      "each unit's distance drawn from its outline on the site plan, receptors checked");
  e.Command->add_option(
      "SHEET", e.Options.Sheet,
      "CSV input, as for report; may be left out when --distance gives every unit");
  e.Command->add_option("--unit", e.Options.Report.Unit,
                        "the column naming each row's production unit (with SHEET)");
  e.Command->add_option("--pollutant", e.Options.Report.Pollutant,
                        "the column naming each row's pollutant");
  e.Command->add_flag("--no-raise", e.NoRaise, "as for report");
  AddChoice(e.Command, "--encoding", e.Options.Report.Encoding, Encodings, EncodingHelp);
  AddPlanOptions(e.Command, e.Options);
  e.Command->get_option("--plan")->required();
  AddChoice<TEnvelopeFormat>(e.Command, "--format", e.Options.Format,
                             {{"svg", TEnvelopeFormat::Svg},
                              {"png", TEnvelopeFormat::Png},
                              {"dxf", TEnvelopeFormat::Dxf},
                              {"geojson", TEnvelopeFormat::GeoJson},
                              {"json", TEnvelopeFormat::Json},
                              {"html", TEnvelopeFormat::Html},
                              {"md", TEnvelopeFormat::Markdown}},
                             "svg (default) or png (300 dpi): the figure; dxf: the zones and the "
                             "envelope as layers for the site plan drawing; geojson; json; html or "
                             "md: the figure, the receptor table and the conclusion");
  e.Command->add_option("-o,--output", e.Output, OutputHelp)->type_name("OUT");
  e.Command->footer(R"(Each unit's zone is every point within its distance of its outline; a
receptor is inside when its shortest distance to a unit's outline is below
that unit's distance. Arcs are drawn as chords within 0.1 m of the circle.

Exit status:
  0  no receptor inside the envelope
  1  a receptor inside (not compliant)
  2  bad usage, an unusable sheet or plan (the message names the file, the
     unit or the entity), output that could not be written)");
}

int RunEnvelopeCommand(EnvelopeCommand &e) {
  if (!e.Options.Sheet.empty() && e.Options.Report.Unit.empty())
    return Fail(stderr, "--unit COL is needed with SHEET");
  e.Options.Report.Raise = !e.NoRaise;
  for (const std::string &input : {e.Options.Sheet, e.Options.Plan})
    if (OutputIsInput(e.Output, input))
      return Fail(stderr,
                  "-o " + e.Output + " names an input file; write the output to another file");
  std::string document;
  const int status = RunEnvelope(e.Options, stderr, document);
  if (status == ExitUsage)
    return status;
  return WithOutput(e.Output, nullptr, [&](std::FILE *out) {
    if (std::fwrite(document.data(), 1, document.size(), out) != document.size())
      return Fail(stderr, "cannot write the output");
    return Finished(out, status);
  });
}

int RunReportCommand(ReportCommand &r) {
  r.Options.Raise = !r.NoRaise;
  r.Options.Date = RecordDateNow();
  return WithInput(r.File, [&](std::FILE *in) {
    return WithOutput(r.Output, in, [&](std::FILE *out) {
      const TSink sink = [out](const std::string &piece) {
        return std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
      };
      const int status =
          RunReport(in, stderr, r.Options, sink, r.Plan.Plan.empty() ? nullptr : &r.Plan);
      if (status == ExitUsage)
        return status;
      return Finished(out, status);
    });
  });
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
  std::string batchFile = "-", batchOutput;
  CLI::App *batchCommand = app.add_subcommand("batch", "one calculation per CSV row, CSV out");
  batchCommand->add_option("FILE", batchFile,
                           "CSV, UTF-16 text or .xlsx input; standard input when absent or -");
  BatchOptions batchOptions;
  batchCommand->add_option("--sheet", batchOptions.Sheet,
                           "the workbook's sheet to read (default: the first)");
  batchCommand
      ->add_option_function<std::vector<std::string>>(
          "--keep",
          [&batchOptions](const std::vector<std::string> &values) {
            batchOptions.Keep = KeptNames(values);
          },
          "input columns copied unchanged, in this order, to the front of each output row; "
          "a name holding a comma in double quotes, or the option once a name")
      ->allow_extra_args(false)
      ->type_name("NAME[,NAME...]");
  batchCommand->add_option("-o,--output", batchOutput, OutputHelp)->type_name("OUT");
  AddChoice(batchCommand, "--encoding", batchOptions.Encoding, Encodings, EncodingHelp);
  batchCommand->add_flag("--bom", batchOptions.Bom,
                         "start the output with a UTF-8 byte-order mark, for spreadsheet programs");
  AddChoice<TBatchFormat>(
      batchCommand, "--format", batchOptions.Format,
      {{"csv", TBatchFormat::Csv}, {"json", TBatchFormat::Json}, {"record", TBatchFormat::Record}},
      "csv (default), json (JSON Lines: an object a row, its labels and "
      "line), or record (a 计算书 a row, titled by its --keep labels)");
  batchCommand->footer(help);
  ReportCommand report;
  AddReportOptions(&app, report);
  report.Command->footer(help);
  EnvelopeCommand envelope;
  AddEnvelopeOptions(&app, envelope);

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
  if (*report.Command)
    return RunReportCommand(report);
  if (*envelope.Command)
    return RunEnvelopeCommand(envelope);
  return WithInput(batchFile, [&](std::FILE *in) {
    return WithOutput(batchOutput, in,
                      [&](std::FILE *out) { return RunBatch(in, out, stderr, batchOptions); });
  });
}

} // namespace

int main(int argc, char **argv) {
  UseBinaryStreams();
  FailOversizeWrites();
  InitNumericEnvironment();
  DecimalMark = '.'; // a CSV file or a script means the same in every locale
  const int status = RunGuarded(stderr, [&] { return Run(CommandLineArguments(argc, argv)); });
  // What was written (the help, say) may lack a part that memory ran short for.
  if (status != ExitUsage && MemoryRanShort()) {
    std::fputs("kestrin-cli: out of memory\n", stderr);
    return ExitUsage;
  }
  return status;
}
