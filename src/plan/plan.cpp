#include "plan.h"

#include <string_view>

std::string TrimmedName(const std::string &text) {
  std::string_view t = text;
  bool trimmed = true;
  while (trimmed) {
    trimmed = false;
    for (std::string_view blank : {" ", "\t", "\r", "\n", "\xC2\xA0", "\xE3\x80\x80"}) {
      if (t.size() >= blank.size() && t.substr(0, blank.size()) == blank) {
        t.remove_prefix(blank.size());
        trimmed = true;
      }
      if (t.size() >= blank.size() && t.substr(t.size() - blank.size()) == blank) {
        t.remove_suffix(blank.size());
        trimmed = true;
      }
    }
  }
  return std::string(t);
}
