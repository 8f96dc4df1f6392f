// The envelope command: each unit's 卫生防护距离 drawn from its outline on
// the site plan, the receptors checked; and the same section for
// report --plan.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "envelopesection.h"
#include "plantreport.h"

enum class TEnvelopeFormat { Svg, Png, Dxf, GeoJson, Json, Html, Markdown };

struct TEnvelopeOptions {
  std::string Sheet;     // the batch file; "" when --distance gives every unit
  TReportOptions Report; // how the sheet is read and rolled up
  std::string Plan;      // DXF or GeoJSON
  std::string ReceptorLayer = "敏感目标";
  std::vector<std::string> Distances; // NAME=METRES, decided already
  TEnvelopeFormat Format = TEnvelopeFormat::Svg;
  double NorthAngle = 0; // degrees clockwise from the plan's +Y
};

// Reads the distances (sheet rows rolled up as the report does, then the
// --distance ones, which win) and the plan, and makes the envelope and the
// document. Returns ExitOk when no receptor is inside, ExitFailure when one
// is, ExitUsage with a message on `err` naming the file, entity or unit when
// the input cannot be used.
int RunEnvelope(const TEnvelopeOptions &options, std::FILE *err, std::string &document);

// The plant report's section for report --plan, from its rows' units: the
// figure, the receptor table and the conclusion, and their JSON; a
// paragraph instead when a unit's distance is undetermined. ExitUsage with
// a message on `err` when the plan cannot be used.
int AddPlanSection(const std::vector<TUnitConclusion> &units, const TEnvelopeOptions &plan,
                   std::FILE *err, TPlantReport &report, bool &compliant);
