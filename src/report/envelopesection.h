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
// The sentence that ends the section.
std::string EnvelopeConclusion(const TEnvelope &envelope);
