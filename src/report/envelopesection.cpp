#include "envelopesection.h"

#include "figure.h"
#include "planfigure.h"
#include "plantreport.h"

TTableRows ReceptorTable(const TEnvelope &envelope) {
  TTableRows table = {{"敏感目标", "最近生产单元", "至单元边界距离 (m)", "卫生防护距离 (m)",
                       "是否位于包络线内"}};
  for (const TReceptorResult &r : envelope.Receptors)
    table.push_back({r.Receptor, r.Unit, FixedText(r.Distance, 2), ValueToText(r.Required),
                     r.Inside ? "是" : "否"});
  return table;
}

namespace {

std::string FigureHtml(const TEnvelope &envelope, double northAngle) {
  const TDrawing drawing = EnvelopeDrawing(envelope, northAngle);
  const std::string caption = EnvelopeCaption(envelope);
  return "<p><img width=\"" + FixedText(drawing.Width, 0) + "\" height=\"" +
         FixedText(drawing.Height, 0) + "\" alt=\"" + HtmlEscaped(caption) +
         "\" src=\"data:image/svg+xml;base64," + Base64(DrawingSvg(drawing)) + "\"></p>\n<p>" +
         HtmlEscaped(caption) + "</p>\n";
}

} // namespace

std::string EnvelopeConclusion(const TEnvelope &envelope) {
  if (envelope.Receptors.empty())
    return "平面图中没有敏感目标。";
  if (envelope.Compliant)
    return "各敏感目标均位于卫生防护距离包络线以外，满足卫生防护距离的要求。";
  std::string inside;
  for (const TReceptorResult &r : envelope.Receptors)
    if (r.Inside)
      inside += (inside.empty() ? "" : "、") + r.Receptor;
  return "敏感目标" + inside + "位于卫生防护距离包络线以内，不满足卫生防护距离的要求。";
}

std::vector<TBlock> EnvelopeBlocks(const TEnvelope &envelope, double northAngle,
                                   const std::string &heading) {
  std::vector<TBlock> blocks = {{TBlock::Heading, heading, {}, {}}};
  blocks.push_back({TBlock::Figure, EnvelopeCaption(envelope), FigureHtml(envelope, northAngle), {}});
  if (!envelope.Receptors.empty())
    blocks.push_back({TBlock::Table, {}, {}, ReceptorTable(envelope)});
  blocks.push_back({TBlock::Paragraph, EnvelopeConclusion(envelope), {}, {}});
  return blocks;
}

Json EnvelopeJson(const TEnvelope &envelope) {
  Json units = Json::array();
  for (const TUnitZone &zone : envelope.Units)
    units.push_back({{"unit", zone.Unit}, {"distance", JsonNumber(zone.Distance)}});
  Json receptors = Json::array();
  for (const TReceptorResult &r : envelope.Receptors)
    receptors.push_back({{"receptor", r.Receptor},
                         {"unit", r.Unit},
                         {"distance_to_boundary", JsonNumber(r.Distance)},
                         {"required", JsonNumber(r.Required)},
                         {"inside", r.Inside}});
  Json j;
  j["units"] = units;
  j["receptors"] = receptors;
  j["compliant"] = envelope.Compliant;
  return j;
}
