#include "header.h"

#include <unordered_set>
#include <utility>

namespace {

constexpr std::size_t None = std::string_view::npos;

// The blanks a spreadsheet cell may carry around a name: space, tab, the
// no-break space and the ideographic (full-width) space.
constexpr std::string_view Blanks[] = {" ", "\t", "\xC2\xA0", "\xE3\x80\x80"};

std::size_t BlankAt(std::string_view text, bool atEnd) {
  for (std::string_view blank : Blanks) {
    if (text.size() >= blank.size() &&
        text.substr(atEnd ? text.size() - blank.size() : 0, blank.size()) == blank)
      return blank.size();
  }
  return 0;
}

// The column of a key among the input columns, by its own name or an
// alias, or InputCount.
std::size_t KnownColumn(std::string_view key) {
  for (const THeaderAlias &alias : HeaderAliases)
    if (ColumnKey(alias.Name) == key)
      key = alias.Column;
  std::size_t column = 0;
  while (column < InputCount && ResultFields[column].Name != key)
    ++column;
  return column;
}

// A key split into a name and the unit after it: "面积（m²）" and "源强 kg/h"
// give 面积 and m², 源强 and kg/h; false when it has no such ending.
bool SplitUnit(std::string_view key, std::string_view &name, std::string_view &unit) {
  constexpr std::string_view Brackets[][2] = {{"(", ")"}, {"（", "）"}, {"[", "]"}};
  std::size_t at = None;
  for (const auto &[open, close] : Brackets)
    if (key.size() > close.size() && key.substr(key.size() - close.size()) == close &&
        (at = key.rfind(open)) != None) {
      unit = key.substr(at + open.size(), key.size() - close.size() - at - open.size());
      break;
    }
  if (at == None)
    for (std::string_view blank : Blanks)
      if (const std::size_t b = key.rfind(blank); b != None && (at == None || b > at)) {
        at = b;
        unit = key.substr(b + blank.size());
      }
  if (at == None)
    return false;
  name = TrimBlanks(key.substr(0, at));
  unit = TrimBlanks(unit);
  return !name.empty() && !unit.empty();
}

// Whether `unit` is one that `column` is measured in; any unit for the
// columns that hold no quantity (mode, class), whose texts are checked.
bool FitsUnit(std::size_t column, std::string_view unit) {
  bool hasUnit = false;
  for (const TColumnUnit &u : ColumnUnits) {
    if (u.Column != column)
      continue;
    hasUnit = true;
    if (u.Spelling == unit)
      return true;
  }
  return !hasUnit;
}

// The units `column` may give, "kg/h (千克/小时, 公斤/小时)".
std::string UnitsOf(std::size_t column) {
  std::string units;
  for (const TColumnUnit &u : ColumnUnits)
    if (u.Column == column)
      units += std::string(units.empty()             ? ""
                           : units.find('(') == None ? " ("
                                                     : ", ") +
               std::string(u.Spelling);
  return units + (units.find('(') == None ? "" : ")");
}

bool IsUnused(std::string_view key) {
  std::string_view name, unit;
  if (SplitUnit(key, name, unit))
    key = name;
  for (std::string_view unused : UnusedColumns)
    if (unused == key)
      return true;
  return false;
}

// The column a header name gives, by its name or by its name and a unit
// after it; InputCount for none. `problem` says why a name whose unit does
// not fit its column matches none.
std::size_t ColumnOf(std::string_view key, std::string_view header, std::string &problem) {
  const std::size_t column = KnownColumn(key);
  std::string_view name, unit;
  if (column < InputCount || !SplitUnit(key, name, unit))
    return column;
  const std::size_t named = KnownColumn(name);
  if (named < InputCount && !FitsUnit(named, unit)) {
    problem = "column " + Quoted(header) + " gives its unit as " + Quoted(unit) + ", but " +
              Quoted(ResultFields[named].Name) + " is read in " + UnitsOf(named) +
              "; convert the column";
    return InputCount;
  }
  return named;
}

// "mode (模式, 计算模式), area (S, 面积, 占地面积), ..." for the unknown-column message.
std::string KnownNames() {
  std::string names;
  for (std::size_t column = 0; column < InputCount; ++column) {
    std::string aliases;
    for (const THeaderAlias &alias : HeaderAliases)
      if (alias.Column == ResultFields[column].Name)
        aliases += (aliases.empty() ? "" : ", ") + std::string(alias.Name);
    names += (names.empty() ? "" : "; ") + std::string(ResultFields[column].Name) +
             (aliases.empty() ? "" : " or " + aliases);
  }
  return names;
}

// Where each --keep name sits in the header; a message when one is not there.
std::string FindKept(const CsvRecord &header, const std::vector<std::string> &keep,
                     Layout &layout) {
  layout.Keep.clear();
  for (const std::string &name : keep) {
    const std::string key = ColumnKey(name);
    if (key.empty())
      return "--keep names an empty column";
    std::size_t found = Absent;
    for (std::size_t i = 0; i < layout.NamedCount && found == Absent; ++i)
      if (ColumnKey(header.Field(i)) == key)
        found = i;
    if (found == Absent)
      return "--keep column " + Quoted(name) + " is not in the header";
    for (std::size_t kept : layout.Keep)
      if (kept == found)
        return "--keep names column " + Quoted(name) + " twice";
    layout.Keep.push_back(found);
  }
  return {};
}

} // namespace

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

std::string_view TrimBlanks(std::string_view text) {
  while (std::size_t n = BlankAt(text, false))
    text.remove_prefix(n);
  while (std::size_t n = BlankAt(text, true))
    text.remove_suffix(n);
  return text;
}

std::string ColumnKey(std::string_view name) {
  std::string key(TrimBlanks(name));
  for (char &c : key)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return key;
}

std::string ReadLayout(const CsvRecord &header, const std::vector<std::string> &keep,
                       Layout &layout) {
  if (!header.problem.empty())
    return "bad header: " + header.problem;
  for (std::size_t &p : layout.Position)
    p = Absent;
  layout.FieldCount = header.count;
  layout.NamedCount = header.count;
  while (layout.NamedCount > 0 && ColumnKey(header.Field(layout.NamedCount - 1)).empty())
    --layout.NamedCount;
  std::unordered_set<std::string> kept, seen;
  for (const std::string &name : keep)
    kept.insert(ColumnKey(name));
  layout.Unused.clear();
  for (std::size_t i = 0; i < layout.NamedCount; ++i) {
    std::string key = ColumnKey(header.Field(i));
    if (key.empty())
      return "column " + std::to_string(i + 1) + " has no name in the header";
    std::string problem;
    const bool isKept = kept.count(key) != 0;
    const std::size_t column = ColumnOf(key, header.Field(i), problem);
    if (!problem.empty() && !isKept)
      return problem;
    if (column == InputCount && !isKept && IsUnused(key))
      layout.Unused.push_back(i);
    else if (column == InputCount && !isKept)
      return "unknown column " + Quoted(header.Field(i)) +
             " in the header (known: " + KnownNames() +
             "; a unit may follow a name, as in 面积（m²） or 源强 kg/h; name other columns "
             "with --keep)";
    if (!seen.insert(std::move(key)).second)
      return "column " + Quoted(header.Field(i)) + " appears twice in the header";
    if (column < InputCount && layout.Position[column] != Absent)
      return "columns " + Quoted(header.Field(layout.Position[column])) + " and " +
             Quoted(header.Field(i)) + " both name " + Quoted(ResultFields[column].Name);
    if (column < InputCount)
      layout.Position[column] = i;
  }
  return FindKept(header, keep, layout);
}

std::size_t HeaderColumn(std::string_view name) {
  std::string problem;
  return ColumnOf(ColumnKey(name), name, problem);
}

bool IsUnusedColumn(std::string_view name) {
  return IsUnused(ColumnKey(name));
}
