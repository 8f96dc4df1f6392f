#include "header.h"

#include <unordered_set>
#include <utility>

namespace {

// The blanks a spreadsheet cell may carry around a name: space, tab, the
// no-break space and the ideographic (full-width) space.
std::size_t BlankAt(std::string_view text, bool atEnd) {
  for (std::string_view blank : {" ", "\t", "\xC2\xA0", "\xE3\x80\x80"}) {
    if (text.size() >= blank.size() &&
        text.substr(atEnd ? text.size() - blank.size() : 0, blank.size()) == blank)
      return blank.size();
  }
  return 0;
}

} // namespace

std::size_t KnownColumn(std::string_view key) {
  for (const THeaderAlias &alias : HeaderAliases)
    if (ColumnKey(alias.Name) == key)
      key = alias.Column;
  std::size_t column = 0;
  while (column < InputCount && ResultFields[column].Name != key)
    ++column;
  return column;
}

namespace {

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

std::string ColumnKey(std::string_view name) {
  while (std::size_t n = BlankAt(name, false))
    name.remove_prefix(n);
  while (std::size_t n = BlankAt(name, true))
    name.remove_suffix(n);
  std::string key(name);
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
  for (std::size_t i = 0; i < layout.NamedCount; ++i) {
    std::string key = ColumnKey(header.Field(i));
    if (key.empty())
      return "column " + std::to_string(i + 1) + " has no name in the header";
    const std::size_t column = KnownColumn(key);
    if (column == InputCount && kept.count(key) == 0)
      return "unknown column " + Quoted(header.Field(i)) +
             " in the header (known: " + FieldNames(InputCount) +
             "; name other columns with --keep)";
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
