#include "tools/document.h"

#include "platform/text.h"

// Turns the markup of a text into groff: `literal` bold, *word* italic. A minus sign in groff is
// "\-"; the plain "-" may print as a hyphen that a copied option would not work with.
static std::string ManText(std::string_view text) {
  std::string out;
  bool literal = false, italic = false;
  for (const char c : text) {
    if (c == '`') {
      literal = !literal;
      out += literal ? "\\fB" : "\\fR";
    } else if (c == '*' && !literal) {
      italic = !italic;
      out += italic ? "\\fI" : "\\fR";
    } else if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  // A line that begins with a dot or an apostrophe would be read as a request.
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

std::string RenderMan(const Document& document) {
  std::string page = ".TH " + ToUpper(document.name) + " 1 \"\" \"" + document.version +
                     "\" \"User Commands\"\n"
                     // Option names must not be hyphenated, nor lines stretched around them.
                     ".nh\n.ad l\n.SH NAME\n" +
                     ManText(document.name) + " \\- " + ManText(document.summary) + "\n";
  for (const Block& block : document.blocks) {
    switch (block.kind) {
      case BlockKind::Section:
        page += ".SH " + ManText(ToUpper(block.text)) + "\n";
        break;
      case BlockKind::Subsection:
        page += ".SS " + ManText(block.text) + "\n";
        break;
      case BlockKind::Paragraph:
        page += ".PP\n" + ManText(block.text) + "\n";
        break;
      case BlockKind::Item:
        page += ".TP\n" + ManText(block.term) + "\n" + ManText(block.text) + "\n";
        break;
      case BlockKind::Example:
        page += ".PP\n" + ManText(block.text) + "\n.PP\n.RS 4\n.EX\n" +
                ManText("`" + block.term + "`") + "\n.EE\n.RE\n";
        break;
    }
  }
  return page;
}

std::string RenderMarkdown(const Document& document, std::string_view note) {
  std::string page = "<!-- " + std::string(note) + " -->\n\n# " + document.name + "(1) - " +
                     document.version + "\n\n" + document.name + ": " + document.summary + ".\n";
  BlockKind previous = BlockKind::Paragraph;
  for (const Block& block : document.blocks) {
    // The items of one list stay together.
    if (block.kind != BlockKind::Item || previous != BlockKind::Item) page += "\n";
    previous = block.kind;
    switch (block.kind) {
      case BlockKind::Section:
        page += "## " + block.text + "\n";
        break;
      case BlockKind::Subsection:
        page += "### " + block.text + "\n";
        break;
      case BlockKind::Paragraph:
        page += block.text + "\n";
        break;
      case BlockKind::Item:
        page += "- " + block.term + ": " + block.text + "\n";
        break;
      case BlockKind::Example:
        page += block.text + "\n\n```\n" + block.term + "\n```\n";
        break;
    }
  }
  return page;
}
