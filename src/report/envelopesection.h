// The envelope on the site plan as a document: the figure, the receptor
// table and the conclusion, standing alone (kestrin-cli envelope) or as a
// section of the plant report; and its JSON.
#pragma once

#include <string>
#include <vector>

#include "document.h"
#include "geometry.h"
#include "json.h"
#include "plantreport.h"

// The heading, the figure (HTML only), the receptor table and the
// concluding sentence; the figure and the table numbered as `numbers`
// say, unnumbered when they are empty.
std::vector<TBlock> EnvelopeBlocks(const TEnvelope &envelope, double northAngle,
                                   const std::string &heading, const TCaptionNumbers &numbers = {});
// "units" (each "unit", "distance"), "receptors" (each "receptor", "unit",
// "distance_to_boundary", "required", "inside"), "compliant".
Json EnvelopeJson(const TEnvelope &envelope);
// The receptor table, its header row first: 敏感目标, 最近生产单元,
// 至单元边界距离 (m), 卫生防护距离 (m), 是否位于包络线内.
TTableRows ReceptorTable(const TEnvelope &envelope);
// The sentence that ends the section.
std::string EnvelopeConclusion(const TEnvelope &envelope);
