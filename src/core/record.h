// The record of one computation (计算书), as an assessment report quotes it:
// date and program, the inputs with units, the source class and why, the
// bands and coefficients, the model, the result, and whether the graded
// distance still holds the emission rate. Written as Markdown (plain text
// that converts cleanly to a word processor) and as HTML tables (what a word
// processor pastes as tables). Numbers are ValueToText's, as the window
// shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "UCal.h"
#include "document.h"

enum class TDirection { Distance, Emission };

// A choice group of the window: its caption and its two items, as the
// window shows them and the record quotes them.
struct TChoiceGroup {
  const char *Caption;
  const char *Items[2];
};

inline constexpr TChoiceGroup OtherChoices{"排放同种有害气体的共存的排气筒", {"有", "无"}};
inline constexpr TChoiceGroup ThreeChoices{"排气筒的污染物排放量",
                                           {"大于规定的1/3", "小于等于规定的1/3"}};
inline constexpr TChoiceGroup QSChoices{"无组织排放的有害气体的允许浓度",
                                        {"按急性反应指标确定", "按慢性反应指标确定"}};

// The window's three choices that decide the source class, by item index:
// Other 0 "有" / 1 "无" stacks; Three 0 above / 1 within 1/3; QS 0 acute /
// 1 chronic. Only the group that applies is quoted.
struct TClassChoices {
  int Other = 0;
  int Three = 0;
  int QS = 0;
};

// The emission rate the model allows at the graded distance, what 计算源强
// gives for it. The search stops within a relative 10^-5 of Qe, so at a grade
// step the graded distance can allow slightly less than Qe.
struct TGradeCheck {
  bool Done = false;    // false: it failed, Message says why
  double AllowedQe = 0; // kg/h at the graded distance
  bool Holds = true;    // AllowedQe >= Qe
  double NextStep = 0;  // the graded step above, when it does not hold
  std::string Message;
};

// Runs CalcEmission at calc's graded distance on a copy of calc.
TGradeCheck CheckGradedDistance(const TKestrin &calc);

struct TRecordDate {
  int Year = 1970;
  int Month = 1;
  int Day = 1;
};

struct TCalcRecord {
  TDirection Direction = TDirection::Distance;
  TKestrin Calc;                        // as the successful computation left it
  std::optional<TClassChoices> Choices; // empty: the class was given directly
  TGradeCheck Check;                    // distance only
  TRecordDate Date;
  // S and r as the record quotes them: the one given as given, the other as
  // derived from it. The window computes with the S derived from its radius
  // box (39773 becomes 39772.9999999999), so it quotes that S and r as given:
  // fed back, the stated inputs give the record's own figures.
  bool RadiusGiven = false;
  std::string AreaText, RadiusText;
};

// The record of a successful computation held by calc.
TCalcRecord MakeRecord(const TKestrin &calc, TDirection direction,
                       std::optional<TClassChoices> choices, TRecordDate date);

// The text a record quotes for an input given as `text` (which converts):
// ValueToText of its value when that reads back to the same double ("1e2"
// is quoted as "100"), else the text itself, so that it still reproduces.
std::string QuotedInput(const std::string &text);

// Makes the record quote S (radius false) or r (radius true) as the input
// given as `text`, and the other as derived from it.
void QuoteGivenSize(TCalcRecord &record, bool radius, const std::string &text);

// The graded-distance note of the check, or "" when the graded distance
// holds Qe; shared by the record and the batch tool's JSON.
std::string GradeCheckNote(const TKestrin &calc, const TGradeCheck &check);

std::string RecordMarkdown(const TCalcRecord &record);
// "计算日期：…；计算程序：…": when and by what the record was made.
std::string RecordByline(const TRecordDate &date);

// A whole HTML document in UTF-8: headings, paragraphs and bordered tables.
std::string RecordHtml(const TCalcRecord &record);
