// The JSON the tool writes: one object type, and numbers with ValueToText's
// digits, for the single-case JSON and the report alike.
#pragma once

#include <nlohmann/json.hpp>

using Json = nlohmann::ordered_json;

// A JSON number with ValueToText's digits: its "."-text read back (an
// integer stays one, "1E-5" a float), so the library writes those digits.
// Read with from_chars: neither the decimal mark nor a text rounded past
// the largest double (1.79769313486232E308) can make it throw; the latter
// keeps the value itself. JSON has no infinities: null.
Json JsonNumber(double value);

struct TCase;
// The object CaseJson writes (formats.h).
Json CaseJsonObject(const TCase &c);
