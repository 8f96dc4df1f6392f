#include "envelope.h"

#include <QGuiApplication>

#include <algorithm>

#include "batch.h"
#include "dxf.h"
#include "geojson.h"
#include "planpaint.h"
#include "platform.h"
#include "report.h"
#include "reportsheet.h"
#include "siteplan.h"

namespace {

bool ReadPlan(const TEnvelopeOptions &options, const std::vector<TUnitDistance> &distances,
              TPlan &plan, std::string &problem) {
  std::vector<std::string> units;
  for (const TUnitDistance &d : distances)
    units.push_back(d.Unit);
  return ReadPlanFile(options.Plan, units, options.ReceptorLayer, plan, problem);
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
  TReportSheet sheet(in, options.Report);
  std::vector<TReportRow> rows;
  if (sheet.Open())
    for (TReportRow row; sheet.Next(row);)
      rows.push_back(row);
  if (in != stdin)
    std::fclose(in);
  if (!sheet.Input().Problem().empty())
    return Fail(err, sheet.Input().Problem());
  sheet.Input().NoteSkipped(err);
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
  if (!AddGivenDistances(options.Distances, distances, problem) ||
      !ReadPlan(options, distances, plan, problem))
    return Fail(err, problem);
  TPlanSection section;
  if (!MakePlanSection(plan, distances, options.NorthAngle, section, problem))
    return Fail(err, options.Plan + ": " + problem);
  report.SetPlanSection(section.Section, section.PlanJson);
  if (section.Drawn)
    compliant = section.Envelope.Compliant;
  return ExitOk;
}
