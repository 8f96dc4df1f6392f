#include "document.h"

#include <algorithm>
#include <cstring>

namespace {

const char *const Replacement = "\xEF\xBF\xBD"; // U+FFFD

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whether `c` at `i` would start Markdown syntax in running text.
bool MarkdownSpecial(const std::string &text, std::size_t i) {
  const char c = text[i];
  const char next = i + 1 < text.size() ? text[i + 1] : ' ';
  if (std::strchr("\\`*_[]|~", c) != nullptr)
    return true;
  if (c == '<') // a tag, a comment or an autolink
    return IsAsciiLetter(next) || next == '/' || next == '!' || next == '?';
  return c == '&' && (IsAsciiLetter(next) || IsAsciiDigit(next) || next == '#');
}

// The position of a block marker at the start of `text`, or npos.
std::size_t BlockMarker(const std::string &text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos)
    return start;
  if (std::strchr("#>-+=", text[start]) != nullptr)
    return start;
  std::size_t end = start;
  while (end < text.size() && IsAsciiDigit(text[end]))
    ++end;
  // "1. " and "1) " open a list; "0.25" does not.
  const bool list = end > start && end < text.size() && (text[end] == '.' || text[end] == ')') &&
                    (end + 1 == text.size() || text[end + 1] == ' ');
  return list ? end : std::string::npos;
}

// Right-aligned; a number (short text without blanks or CJK) is never
// broken across lines, whereas a message in its column may wrap.
std::string AlignAttribute(const TTableLayout &layout, std::size_t column,
                           const std::string &text) {
  if (column >= layout.Align.size() || layout.Align[column] != 'r')
    return {};
  const bool number = std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80 && c != ' ';
  });
  return number ? " align=\"right\" nowrap" : " align=\"right\"";
}

} // namespace

std::string HtmlEscaped(const std::string &text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out += Replacement;
    } else if (byte == 0xEF && text.compare(i + 1, 1, "\xBF") == 0 && i + 2 < text.size() &&
               (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
      out += Replacement; // U+FFFE, U+FFFF
      i += 2;
    } else if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

std::string MarkdownText(const std::string &text) {
  std::string flat = text;
  for (char &c : flat)
    if (c == '\n' || c == '\r')
      c = ' ';
  const std::size_t marker = BlockMarker(flat);
  std::string out;
  for (std::size_t i = 0; i < flat.size(); ++i) {
    if (i == marker || MarkdownSpecial(flat, i))
      out += '\\';
    out += flat[i];
  }
  return out;
}

void MarkdownTable(std::string &out, const std::vector<std::vector<std::string>> &rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    MarkdownTableRow(out, rows[i]);
    if (i == 0) {
      out += "|";
      for (std::size_t j = 0; j < rows[0].size(); ++j)
        out += "---|";
      out += "\n";
    }
  }
}

void HtmlTable(std::string &out, const std::vector<std::vector<std::string>> &rows) {
  out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" "
         "style=\"border-collapse:collapse\">\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const char *cell = i == 0 ? "th" : "td";
    out += "<tr>";
    for (const std::string &text : rows[i])
      out += std::string("<") + cell + ">" + HtmlEscaped(text) + "</" + cell + ">";
    out += "</tr>\n";
  }
  out += "</table>\n";
}

const char *const TableCss =
    "table{border-collapse:collapse;font-size:9pt}th,td{padding:2px 4px}"
    "table.grid th,table.grid td{border:1px solid #000}"
    "table.three-line{border-top:1.5pt solid #000;border-bottom:1.5pt solid #000}"
    "table.three-line th{border-bottom:0.75pt solid #000}";

void HtmlTableStart(std::string &out, const TTableLayout &layout) {
  const bool grid = layout.Style == TTableStyle::Grid;
  // Word and LibreOffice take the borders from the attributes and the
  // inline styles; browsers from the style sheet as well.
  out += grid ? "<table class=\"grid\" border=\"1\" width=\"100%\" cellspacing=\"0\" "
                "cellpadding=\"4\" style=\"border-collapse:collapse;font-size:9pt\">\n"
              : "<table class=\"three-line\" border=\"0\" width=\"100%\" cellspacing=\"0\" "
                "cellpadding=\"4\" style=\"border-collapse:collapse;font-size:9pt;"
                "border-top:1.5pt solid #000;border-bottom:1.5pt solid #000\">\n";
  if (!layout.Widths.empty()) {
    out += "<colgroup>";
    for (int width : layout.Widths)
      out += "<col width=\"" + std::to_string(width) + "%\">";
    out += "</colgroup>\n";
  }
  out += "<thead><tr>";
  for (std::size_t i = 0; i < layout.Head.size(); ++i) {
    out += "<th";
    if (i < layout.Widths.size())
      out += " width=\"" + std::to_string(layout.Widths[i]) + "%\"";
    if (i < layout.HtmlHead.size() && i < layout.Align.size() && layout.Align[i] == 'r')
      out += " nowrap"; // a number's name, its unit below: "(mg/m³)" whole
    if (!grid)
      out += " style=\"border-top:1.5pt solid #000;border-bottom:0.75pt solid #000\"";
    out += ">" + (i < layout.HtmlHead.size() ? layout.HtmlHead[i] : HtmlEscaped(layout.Head[i])) +
           "</th>";
  }
  out += "</tr></thead>\n<tbody>\n";
}

void HtmlTableRow(std::string &out, const TTableLayout &layout,
                  const std::vector<std::string> &cells, std::size_t span, std::size_t rowsAfter) {
  // Word and LibreOffice draw a three-line table's bottom rule only from
  // the cells that reach the bottom.
  const bool threeLine = layout.Style == TTableStyle::ThreeLine;
  out += "<tr>";
  for (std::size_t i = span == 0 ? 1 : 0; i < cells.size(); ++i) {
    out += "<td";
    if (i == 0 && span > 1)
      out += " rowspan=\"" + std::to_string(span) + "\"";
    out += AlignAttribute(layout, i, cells[i]);
    const std::size_t rows = i == 0 && span > 1 ? span : 1;
    if (threeLine && rowsAfter + 1 == rows)
      out += " style=\"border-bottom:1.5pt solid #000\"";
    out += ">" + HtmlEscaped(cells[i]) + "</td>";
  }
  out += "</tr>\n";
}

void HtmlTableEnd(std::string &out) {
  out += "</tbody>\n</table>\n";
}

void MarkdownTableStart(std::string &out, const TTableLayout &layout) {
  MarkdownTableRow(out, layout.Head);
  out += "|";
  for (std::size_t i = 0; i < layout.Head.size(); ++i)
    out += i < layout.Align.size() && layout.Align[i] == 'r' ? "---:|" : "---|";
  out += "\n";
}

void MarkdownTableRow(std::string &out, const std::vector<std::string> &cells) {
  out += "|";
  for (const std::string &cell : cells)
    out += " " + MarkdownText(cell) + " |";
  out += "\n";
}

void BlockMarkdown(std::string &out, const TBlock &b, bool first) {
  if (!first)
    out += "\n";
  switch (b.Kind) {
  case TBlock::Heading:
    out += (first ? "# " : "## ") + MarkdownText(b.Text) + "\n";
    break;
  case TBlock::Paragraph:
  case TBlock::Figure:
  case TBlock::Caption:
    out += MarkdownText(b.Text) + "\n";
    break;
  case TBlock::Formula:
    out += "    " + b.Text + "\n";
    break;
  case TBlock::Table:
    MarkdownTable(out, b.Rows);
    break;
  }
}

void BlockHtml(std::string &out, const TBlock &b, bool first) {
  switch (b.Kind) {
  case TBlock::Heading:
    out += (first ? "<h1>" : "<h2>") + HtmlEscaped(b.Text) + (first ? "</h1>\n" : "</h2>\n");
    break;
  case TBlock::Paragraph:
    out += "<p>" + HtmlEscaped(b.Text) + "</p>\n";
    break;
  case TBlock::Caption:
    out +=
        "<p align=\"center\" style=\"text-align:center\"><b>" + HtmlEscaped(b.Text) + "</b></p>\n";
    break;
  case TBlock::Formula:
    out += "<p>" + b.Html + "</p>\n";
    break;
  case TBlock::Figure:
    out += b.Html;
    break;
  case TBlock::Table:
    HtmlTable(out, b.Rows);
    break;
  }
}

std::string BlocksMarkdown(const std::vector<TBlock> &blocks) {
  std::string out;
  for (std::size_t i = 0; i < blocks.size(); ++i)
    BlockMarkdown(out, blocks[i], i == 0);
  return out;
}

std::string BlocksHtml(const std::vector<TBlock> &blocks) {
  std::string out;
  for (std::size_t i = 0; i < blocks.size(); ++i)
    BlockHtml(out, blocks[i], i == 0);
  return out;
}
