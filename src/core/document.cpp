#include "document.h"

namespace {

// A cell's text that cannot end its row or cell early.
std::string MarkdownCell(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += "\\|";
    else
      out += c == '\n' || c == '\r' ? ' ' : c;
  }
  return out;
}

} // namespace

std::string HtmlEscaped(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

void MarkdownTable(std::string &out, const std::vector<std::vector<std::string>> &rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    out += "|";
    for (const std::string &cell : rows[i])
      out += " " + MarkdownCell(cell) + " |";
    out += "\n";
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

std::string BlocksMarkdown(const std::vector<TBlock> &blocks) {
  std::string out;
  bool first = true;
  for (const TBlock &b : blocks) {
    if (!first)
      out += "\n";
    switch (b.Kind) {
    case TBlock::Heading:
      out += (first ? "# " : "## ") + b.Text + "\n";
      break;
    case TBlock::Paragraph:
    case TBlock::Figure:
      out += b.Text + "\n";
      break;
    case TBlock::Formula:
      out += "    " + b.Text + "\n";
      break;
    case TBlock::Table:
      MarkdownTable(out, b.Rows);
      break;
    }
    first = false;
  }
  return out;
}

std::string BlocksHtml(const std::vector<TBlock> &blocks) {
  std::string out;
  bool first = true;
  for (const TBlock &b : blocks) {
    switch (b.Kind) {
    case TBlock::Heading:
      out += (first ? "<h1>" : "<h2>") + HtmlEscaped(b.Text) + (first ? "</h1>\n" : "</h2>\n");
      break;
    case TBlock::Paragraph:
      out += "<p>" + HtmlEscaped(b.Text) + "</p>\n";
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
    first = false;
  }
  return out;
}
