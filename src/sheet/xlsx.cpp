#include "xlsx.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QXmlStreamReader>
#include <zip.h>

namespace {

// The largest part read, unpacked, and the most cells a sheet may span.
constexpr zip_uint64_t MaxPartBytes = 256u << 20;
constexpr std::size_t MaxCells = 50'000'000;

struct TZipCloser {
  void operator()(zip_t *zip) const { zip_discard(zip); }
};
using TZip = std::unique_ptr<zip_t, TZipCloser>;

// A part of the archive, unpacked; false when it is missing or too large.
bool ReadPart(zip_t *zip, const std::string &name, QByteArray &out, std::string &problem) {
  zip_file_t *file = zip_fopen(zip, name.c_str(), 0);
  if (!file) {
    problem = "the workbook has no part " + name;
    return false;
  }
  out.clear();
  char buffer[1 << 16];
  zip_int64_t n;
  while ((n = zip_fread(file, buffer, sizeof buffer)) > 0) {
    if (zip_uint64_t(out.size()) + zip_uint64_t(n) > MaxPartBytes) {
      zip_fclose(file);
      problem = "the workbook's part " + name + " unpacks to more than " +
                std::to_string(MaxPartBytes >> 20) + " MiB";
      return false;
    }
    out.append(buffer, qsizetype(n));
  }
  zip_fclose(file);
  if (n < 0)
    problem = "the workbook's part " + name + " cannot be unpacked";
  return n == 0;
}

// The text of the <t> elements inside the current element (a shared string
// or an inline one), leaving out phonetic runs (<rPh>).
QString TextInside(QXmlStreamReader &xml) {
  QString text;
  const QString end = xml.name().toString();
  int phonetic = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"rPh")
      ++phonetic;
    else if (xml.isEndElement() && xml.name() == u"rPh")
      --phonetic;
    else if (xml.isStartElement() && xml.name() == u"t" && phonetic == 0)
      text += xml.readElementText();
    else if (xml.isEndElement() && xml.name() == end)
      break;
  }
  return text;
}

std::vector<std::string> SharedStrings(const QByteArray &part) {
  std::vector<std::string> strings;
  for (QXmlStreamReader xml(part); !xml.atEnd();) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"si")
      strings.push_back(TextInside(xml).toStdString());
  }
  return strings;
}

// The workbook's sheets: each one's name and relationship id.
std::vector<std::pair<QString, QString>> Sheets(const QByteArray &workbook) {
  std::vector<std::pair<QString, QString>> sheets;
  for (QXmlStreamReader xml(workbook); !xml.atEnd();) {
    xml.readNext();
    if (!xml.isStartElement() || xml.name() != u"sheet")
      continue;
    QString id;
    for (const QXmlStreamAttribute &a : xml.attributes())
      if (a.name() == u"id")
        id = a.value().toString();
    sheets.emplace_back(xml.attributes().value(QLatin1String("name")).toString(), id);
  }
  return sheets;
}

// The part of the worksheet named `sheet` (or of the first), by way of the
// workbook's list of sheets and its relationships.
std::string SheetPart(const QByteArray &workbook, const QByteArray &relations,
                      const std::string &sheet, std::string &problem) {
  QString id;
  QStringList names;
  for (const auto &[name, sheetId] : Sheets(workbook)) {
    names << name;
    if (id.isEmpty() && (sheet.empty() || name == QString::fromStdString(sheet)))
      id = sheetId;
  }
  if (id.isEmpty()) {
    problem = names.isEmpty() ? "the workbook has no worksheet"
                              : "the workbook has no sheet '" + sheet + "' (its sheets: " +
                                    names.join(QStringLiteral(", ")).toStdString() + ")";
    return {};
  }
  for (QXmlStreamReader xml(relations); !xml.atEnd();) {
    xml.readNext();
    if (xml.isStartElement() && xml.name() == u"Relationship" &&
        xml.attributes().value(QLatin1String("Id")) == id) {
      const QString target = xml.attributes().value(QLatin1String("Target")).toString();
      return target.startsWith(u'/') ? target.mid(1).toStdString()
                                     : "xl/" + target.toStdString();
    }
  }
  problem = "the workbook does not say where its sheet is";
  return {};
}

// "C12" -> column 2 (from 0); -1 when the reference has no letters.
int ColumnOf(QStringView reference) {
  int column = 0, letters = 0;
  for (QChar c : reference) {
    if (c < u'A' || c > u'Z' || letters == 3)
      break;
    column = column * 26 + (c.unicode() - u'A' + 1);
    ++letters;
  }
  return letters == 0 ? -1 : column - 1;
}

// A number as the shortest text that reads back to the same double, in
// plain decimals ("0.1", "1500", "0.00001").
std::string NumberText(const QString &value) {
  const std::string text = value.trimmed().toStdString();
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size())
    return text;
  char buffer[400];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
  return written.ec == std::errc() ? std::string(buffer, written.ptr) : text;
}

std::string CellText(QXmlStreamReader &xml, const std::vector<std::string> &strings) {
  const QString type = xml.attributes().value(QLatin1String("t")).toString();
  if (type == u"inlineStr")
    return TextInside(xml).toStdString();
  QString value;
  while (xml.readNextStartElement()) {
    if (xml.name() == u"v")
      value = xml.readElementText();
    else
      xml.skipCurrentElement();
  }
  if (type == u"s") {
    const std::size_t index = value.toULongLong();
    return index < strings.size() ? strings[index] : std::string();
  }
  if (type == u"b")
    return value == u"1" ? "TRUE" : "FALSE";
  if (type.isEmpty() || type == u"n")
    return value.isEmpty() ? std::string() : NumberText(value);
  return value.toStdString(); // str (a formula's text), e
}

using TRows = std::map<std::size_t, std::map<int, std::string>>;

bool SheetCells(const QByteArray &part, const std::vector<std::string> &strings, TRows &rows,
                std::string &problem) {
  QXmlStreamReader xml(part);
  std::size_t row = 0;
  int next = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement())
      continue;
    if (xml.name() == u"row") {
      const qulonglong r = xml.attributes().value(QLatin1String("r")).toULongLong();
      row = r > 0 ? r : row + 1;
      next = 0;
    } else if (xml.name() == u"c") {
      int column = ColumnOf(xml.attributes().value(QLatin1String("r")));
      column = column < 0 ? next : column;
      next = column + 1;
      std::string text = CellText(xml, strings);
      if (!text.empty())
        rows[row][column] = std::move(text);
    }
  }
  if (xml.hasError())
    problem = "the worksheet is not well-formed XML: " + xml.errorString().toStdString();
  return !xml.hasError();
}

bool OpenZip(std::string_view bytes, TZip &zip) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t *source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip.reset(source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr);
  if (source && !zip)
    zip_source_free(source);
  zip_error_fini(&error);
  return zip != nullptr;
}

} // namespace

bool XlsxSheetNames(std::string_view bytes, std::vector<std::string> &names, std::string &problem) {
  TZip zip;
  QByteArray workbook;
  if (!OpenZip(bytes, zip)) {
    problem = "the input is not a readable .xlsx workbook";
    return false;
  }
  if (!ReadPart(zip.get(), "xl/workbook.xml", workbook, problem))
    return false;
  names.clear();
  for (const auto &sheet : Sheets(workbook))
    names.push_back(sheet.first.toStdString());
  return true;
}

bool XlsxRecords(std::string_view bytes, const std::string &sheet, TSheetRecords &records,
                 std::string &problem) {
  TZip zip;
  if (!OpenZip(bytes, zip)) {
    problem = "the input is not a readable .xlsx workbook";
    return false;
  }
  QByteArray workbook, relations, shared, part;
  if (!ReadPart(zip.get(), "xl/workbook.xml", workbook, problem) ||
      !ReadPart(zip.get(), "xl/_rels/workbook.xml.rels", relations, problem))
    return false;
  const std::string sheetPart = SheetPart(workbook, relations, sheet, problem);
  if (sheetPart.empty() || !ReadPart(zip.get(), sheetPart, part, problem))
    return false;
  std::vector<std::string> strings;
  if (zip_name_locate(zip.get(), "xl/sharedStrings.xml", 0) >= 0) {
    if (!ReadPart(zip.get(), "xl/sharedStrings.xml", shared, problem))
      return false;
    strings = SharedStrings(shared);
  }
  TRows rows;
  if (!SheetCells(part, strings, rows, problem))
    return false;
  int width = 0;
  for (const auto &[line, cells] : rows)
    width = std::max(width, cells.rbegin()->first + 1);
  if (rows.size() * std::size_t(width) > MaxCells) {
    problem = "the sheet spans more than " + std::to_string(MaxCells) + " cells";
    return false;
  }
  records.clear();
  for (const auto &[line, cells] : rows) {
    CsvRecord record;
    for (int column = 0; column < width; ++column) {
      record.starts.push_back(static_cast<std::uint32_t>(record.text.size()));
      const auto cell = cells.find(column);
      if (cell != cells.end())
        record.text += cell->second;
    }
    record.count = record.starts.size();
    records.emplace_back(std::move(record), line);
  }
  return true;
}
