// Documents as lists of blocks (headings, paragraphs, formulas, tables,
// figures), written as Markdown or as HTML: the 计算书 and the plant report
// are both made of them, so their Markdown and HTML always say the same.
// Whatever a text holds (labels come from users' sheets), the Markdown
// renders it as that text and the HTML stays well-formed XML.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Tables are rows of cells, the first row the header.
using TTableRows = std::vector<std::vector<std::string>>;

// A document as a list of blocks: its Markdown and its HTML walk the same
// blocks, so they always say the same.
struct TBlock {
  enum Kind { Heading, Paragraph, Formula, Table, Figure, Caption } Kind;
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
// One block of either; `first` makes a heading the title.
void BlockMarkdown(std::string &out, const TBlock &block, bool first);
void BlockHtml(std::string &out, const TBlock &block, bool first);

// Text for HTML and XML: the five specials as entities; characters XML
// cannot hold (C0 controls but tab and line breaks, U+FFFE, U+FFFF) as
// U+FFFD. "a<b" -> "a&lt;b", "x\x01y" -> "x\uFFFDy".
std::string HtmlEscaped(const std::string &text);
// Text as Markdown renders it back: line breaks become blanks (a label
// cannot open a heading); \ ` * _ [ ] | ~ and a tag's or an entity's < and &
// are escaped, and so is a block marker at the start (#, >, -, +, "1.").
// "甲苯*" -> "甲苯\*", "<script>" -> "\<script>", "# a\nb" -> "\# a b".
std::string MarkdownText(const std::string &text);

void HtmlTable(std::string &out, const TTableRows &rows);
// Cells keep the table whole: "|" is escaped and line breaks become blanks.
void MarkdownTable(std::string &out, const TTableRows &rows);

// Tables written a row at a time, for documents too long to hold, laid out
// for a printed page: the full text width, the header repeated after a page
// break (<thead>), 9 pt text (小五), a column's cells aligned by `Align`
// ('r' right and unbroken, else left), and either a grid or the three rules
// of a 三线表.
enum class TTableStyle { Grid, ThreeLine };
struct TTableLayout {
  std::vector<std::string> Head;     // the header's cells as plain text
  std::vector<std::string> HtmlHead; // the same as HTML (sub- and superscripts)
  std::string Align;                 // a letter per column
  std::vector<int> Widths = {};      // percent of the width per column; empty: as laid out
  TTableStyle Style = TTableStyle::Grid;
};
void HtmlTableStart(std::string &out, const TTableLayout &layout);
// `span` 1: a row; above 1: its first cell spans `span` rows; 0: the first
// cell is left out, covered by a span above. `rowsAfter`: how many rows
// the table has below this one (the three-line style rules the bottom).
void HtmlTableRow(std::string &out, const TTableLayout &layout,
                  const std::vector<std::string> &cells, std::size_t span,
                  std::size_t rowsAfter);
void HtmlTableEnd(std::string &out);
void MarkdownTableStart(std::string &out, const TTableLayout &layout);
void MarkdownTableRow(std::string &out, const std::vector<std::string> &cells);
// The page's style sheet for both table styles, for an HTML document's head.
extern const char *const TableCss;
