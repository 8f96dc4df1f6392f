#include "envelope.h"

#include <QGuiApplication>

#include <algorithm>

#include "batch.h"
#include "dxf.h"
#include "geojson.h"
#include "planpaint.h"
#include "platform.h"
#include "report.h"

namespace {

// A whole file's bytes; false with a message naming it when it cannot be read.
bool ReadWhole(const std::string &path, std::string &bytes, std::string &problem) {
  std::FILE *in = OpenForReading(path);
  if (!in) {
    problem = path + ": cannot open";
    return false;
  }
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
    bytes.append(buffer, n);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed)
    problem = path + ": cannot read";
  return !failed;
}

bool EndsWith(std::string text, const std::string &end) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool ReadPlan(const TEnvelopeOptions &options, const std::vector<TUnitDistance> &distances,
              TPlan &plan, std::string &problem) {
  std::string bytes;
  if (!ReadWhole(options.Plan, bytes, problem))
    return false;
  const std::size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  const bool geoJson = EndsWith(options.Plan, ".geojson") || EndsWith(options.Plan, ".json") ||
                       (first != std::string::npos && bytes[first] == '{');
  std::vector<std::string> units;
  for (const TUnitDistance &d : distances)
    units.push_back(d.Unit);
  const bool read = geoJson ? ReadGeoJsonPlan(bytes, plan, problem)
                            : ReadDxfPlan(bytes, units, options.ReceptorLayer, plan, problem);
  if (!read)
    problem = options.Plan + ": " + problem;
  return read;
}

std::vector<TUnitDistance> DistancesOf(const std::vector<TUnitConclusion> &units) {
  std::vector<TUnitDistance> distances;
  for (const TUnitConclusion &unit : units)
    distances.push_back({TrimmedName(unit.Unit), unit.Determined, unit.Distance});
  return distances;
}

// --distance NAME=METRES, replacing the sheet's distance of that unit.
bool AddGivenDistances(const std::vector<std::string> &given, std::vector<TUnitDistance> &distances,
                       std::string &problem) {
  for (const std::string &text : given) {
    const std::size_t equals = text.rfind('=');
    const std::string name = TrimmedName(text.substr(0, equals == std::string::npos ? 0 : equals));
    double metres = 0;
    const bool number =
        equals != std::string::npos &&
        CatchFailure([&] { metres = static_cast<double>(TextToValue(text.substr(equals + 1))); },
                     [](const Exception &) {});
    if (name.empty() || !number || !(metres > 0)) {
      problem = "--distance '" + text + "' is not NAME=METRES with a positive distance";
      return false;
    }
    const auto old = std::find_if(distances.begin(), distances.end(),
                                  [&](const TUnitDistance &d) { return d.Unit == name; });
    if (old != distances.end())
      *old = {name, true, metres};
    else
      distances.push_back({name, true, metres});
  }
  return true;
}

// The sheet's rows rolled up into units; ExitUsage when it cannot be used.
int SheetUnits(const TEnvelopeOptions &options, std::FILE *err,
               std::vector<TUnitConclusion> &units) {
  std::FILE *in = options.Sheet == "-" ? stdin : OpenForReading(options.Sheet);
  if (!in) {
    std::perror(("kestrin-cli: " + options.Sheet).c_str());
    return ExitUsage;
  }
  const TSheetOptions sheet = ReportSheetOptions(options.Report); // the input keeps a reference
  TBatchInput input(in, sheet, {});
  std::vector<TReportRow> rows;
  TBatchRow row;
  TFillDown unitCells; // a unit's merged cells
  if (input.Open())
    while (input.Next(row))
      rows.push_back(ReportRowOf(row, options.Report, unitCells));
  if (in != stdin)
    std::fclose(in);
  if (!input.Problem().empty())
    return Fail(err, input.Problem());
  input.NoteSkipped(err);
  units = RollUp(rows, options.Report.Raise);
  return ExitOk;
}

std::string Document(const TEnvelope &envelope, const TEnvelopeOptions &options) {
  switch (options.Format) {
  case TEnvelopeFormat::Svg:
    return DrawingSvg(EnvelopeDrawing(envelope, options.NorthAngle));
  case TEnvelopeFormat::Png: {
    // Qt paints text only with an application, on a platform that needs no screen.
    static std::string name = "kestrin-cli", option = "-platform", platform = PaintingPlatform();
    static char *argv[] = {name.data(), option.data(), platform.data(), nullptr};
    static int argc = 3;
    // Qt's notes about the session (no runtime directory, say) are not the tool's output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QGuiApplication app(argc, argv);
    return DrawingPng(EnvelopeDrawing(envelope, options.NorthAngle), 300);
  }
  case TEnvelopeFormat::Dxf: {
    std::vector<TDxfLayer> layers;
    for (std::size_t u = 0; u < envelope.Units.size(); ++u)
      layers.push_back({"卫生防护距离-" + envelope.Units[u].Unit, static_cast<int>(2 + u % 6),
                        envelope.Units[u].Zone});
    // Last, so that it is drawn over the zones it follows in part.
    layers.push_back({"卫生防护距离包络线", 1, envelope.Envelope});
    return DxfOfLayers(layers);
  }
  case TEnvelopeFormat::GeoJson:
    return GeoJsonOfEnvelope(envelope);
  case TEnvelopeFormat::Json:
    return EnvelopeJson(envelope).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  case TEnvelopeFormat::Html:
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
           "<title>卫生防护距离包络线</title>\n<style>table{border-collapse:collapse}"
           "th,td{border:1px solid #000;padding:2px 6px}</style></head>\n<body>\n" +
           BlocksHtml(EnvelopeBlocks(envelope, options.NorthAngle, "卫生防护距离包络线")) +
           "</body>\n</html>\n";
  case TEnvelopeFormat::Markdown:
    return BlocksMarkdown(EnvelopeBlocks(envelope, options.NorthAngle, "卫生防护距离包络线"));
  }
  return {};
}

} // namespace

int RunEnvelope(const TEnvelopeOptions &options, std::FILE *err, std::string &document) {
  std::vector<TUnitConclusion> units;
  if (!options.Sheet.empty()) {
    const int status = SheetUnits(options, err, units);
    if (status != ExitOk)
      return status;
  }
  std::vector<TUnitDistance> distances = DistancesOf(units);
  std::string problem;
  TPlan plan;
  TEnvelope envelope;
  if (!AddGivenDistances(options.Distances, distances, problem) ||
      !ReadPlan(options, distances, plan, problem))
    return Fail(err, problem);
  if (!MakeEnvelope(plan, distances, envelope, problem))
    return Fail(err, options.Plan + ": " + problem);
  document = Document(envelope, options);
  if (document.empty())
    return Fail(err, "the figure could not be painted");
  return envelope.Compliant ? ExitOk : ExitFailure;
}

int AddPlanSection(const std::vector<TUnitConclusion> &units, const TEnvelopeOptions &options,
                   std::FILE *err, TPlantReport &report, bool &compliant) {
  std::vector<TUnitDistance> distances = DistancesOf(units);
  std::string problem;
  TPlan plan;
  TEnvelope envelope;
  if (!AddGivenDistances(options.Distances, distances, problem) ||
      !ReadPlan(options, distances, plan, problem))
    return Fail(err, problem);
  const std::string heading = "五、卫生防护距离包络线";
  const auto undetermined = std::find_if(distances.begin(), distances.end(),
                                         [](const TUnitDistance &d) { return !d.Determined; });
  if (undetermined != distances.end()) {
    const std::vector<TBlock> blocks = {
        {TBlock::Heading, heading, {}, {}},
        {TBlock::Paragraph,
         "生产单元“" + undetermined->Unit + "”的卫生防护距离未确定，包络线未绘出。",
         {},
         {}}};
    report.SetPlanSection([blocks](const TCaptionNumbers &) { return blocks; }, nullptr);
    return ExitOk;
  }
  if (!MakeEnvelope(plan, distances, envelope, problem))
    return Fail(err, options.Plan + ": " + problem);
  const double northAngle = options.NorthAngle;
  report.SetPlanSection(
      [envelope, northAngle, heading](const TCaptionNumbers &numbers) {
        return EnvelopeBlocks(envelope, northAngle, heading, numbers);
      },
      EnvelopeJson(envelope));
  compliant = envelope.Compliant;
  return ExitOk;
}
