#include "siteplan.h"

#include <algorithm>
#include <cstdio>

#include "dxf.h"
#include "geojson.h"
#include "platform.h"

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

} // namespace

bool ReadPlanFile(const std::string &path, const std::vector<std::string> &units,
                  const std::string &receptorLayer, TPlan &plan, std::string &problem) {
  std::string bytes;
  if (!ReadWhole(path, bytes, problem))
    return false;
  const std::size_t first = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  const bool geoJson = EndsWith(path, ".geojson") || EndsWith(path, ".json") ||
                       (first != std::string::npos && bytes[first] == '{');
  const bool read = geoJson ? ReadGeoJsonPlan(bytes, plan, problem)
                            : ReadDxfPlan(bytes, units, receptorLayer, plan, problem);
  if (!read)
    problem = path + ": " + problem;
  return read;
}

std::vector<TUnitDistance> DistancesOf(const std::vector<TUnitConclusion> &units) {
  std::vector<TUnitDistance> distances;
  for (const TUnitConclusion &unit : units)
    distances.push_back({TrimmedName(unit.Unit), unit.Determined, unit.Distance});
  return distances;
}

bool MakePlanSection(const TPlan &plan, const std::vector<TUnitDistance> &distances,
                     double northAngle, TPlanSection &section, std::string &problem) {
  const std::string heading = "五、卫生防护距离包络线";
  section = TPlanSection();
  const auto undetermined = std::find_if(distances.begin(), distances.end(),
                                         [](const TUnitDistance &d) { return !d.Determined; });
  if (undetermined != distances.end()) {
    section.Undetermined =
        "生产单元“" + undetermined->Unit + "”的卫生防护距离未确定，包络线未绘出。";
    const std::vector<TBlock> blocks = {{TBlock::Heading, heading, {}, {}},
                                        {TBlock::Paragraph, section.Undetermined, {}, {}}};
    section.Section = [blocks](const TCaptionNumbers &) { return blocks; };
    section.PlanJson = nullptr;
    return true;
  }
  if (!MakeEnvelope(plan, distances, section.Envelope, problem))
    return false;
  section.Section = [envelope = section.Envelope, northAngle,
                     heading](const TCaptionNumbers &numbers) {
    return EnvelopeBlocks(envelope, northAngle, heading, numbers);
  };
  section.PlanJson = EnvelopeJson(section.Envelope);
  section.Drawn = true;
  return true;
}
