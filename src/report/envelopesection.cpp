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

// A numbered caption is centred like the report's other figures'.
std::string FigureHtml(const TEnvelope &envelope, double northAngle, const std::string &caption,
                       bool numbered) {
  const TDrawing drawing = EnvelopeDrawing(envelope, northAngle);
  return "<p><img width=\"" + FixedText(drawing.Width, 0) + "\" height=\"" +
         FixedText(drawing.Height, 0) + "\" alt=\"" + HtmlEscaped(caption) +
         "\" src=\"data:image/svg+xml;base64," + Base64(DrawingSvg(drawing)) + "\"></p>\n" +
         (numbered ? "<p align=\"center\" style=\"text-align:center\">" : "<p>") +
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
                                   const std::string &heading, const TCaptionNumbers &numbers) {
  std::vector<TBlock> blocks = {{TBlock::Heading, heading, {}, {}}};
  const std::string caption = EnvelopeCaption(envelope, numbers.Figure);
  blocks.push_back({TBlock::Figure,
                    caption,
                    FigureHtml(envelope, northAngle, caption, !numbers.Figure.empty()),
                    {}});
  if (!envelope.Receptors.empty()) {
    if (!numbers.Table.empty())
      blocks.push_back(
          {TBlock::Caption, numbers.Table + "　各敏感目标至生产单元边界的距离", {}, {}});
    blocks.push_back({TBlock::Table, {}, {}, ReceptorTable(envelope)});
  }
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
