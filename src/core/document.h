// Documents as lists of blocks (headings, paragraphs, formulas, tables,
// figures), written as Markdown or as HTML: the 计算书 and the plant report
// are both made of them, so their Markdown and HTML always say the same.
#pragma once

#include <string>
#include <vector>

// Tables are rows of cells, the first row the header.
using TTableRows = std::vector<std::vector<std::string>>;

// A document as a list of blocks: its Markdown and its HTML walk the same
// blocks, so they always say the same.
struct TBlock {
  enum Kind { Heading, Paragraph, Formula, Table, Figure } Kind;
  std::string Text; // Markdown form; a Figure's caption
  std::string Html; // Formula and Figure in HTML (a Figure is HTML only)
  TTableRows Rows;  // Table
};
// Markdown: the first heading "# ", the others "## ", a blank line between
// blocks, a formula indented as code.
std::string BlocksMarkdown(const std::vector<TBlock> &blocks);
// The elements of an HTML body: the first heading <h1>, the others <h2>;
// a figure's HTML as it stands.
std::string BlocksHtml(const std::vector<TBlock> &blocks);
std::string HtmlEscaped(const std::string &text);
void HtmlTable(std::string &out, const TTableRows &rows);
// Cells keep the table whole: "|" is escaped and line breaks become blanks.
void MarkdownTable(std::string &out, const TTableRows &rows);
