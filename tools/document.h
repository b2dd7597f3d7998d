// tools/document.h: a page of documentation as a list of blocks, written out as a man page
// (groff man macros) or as Markdown. Texts mark literals with `backquotes` (bold in the man
// page, code in Markdown) and replaceable words with *stars* (italics); nothing else needs
// escaping by the writer of a text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class BlockKind {
  Section,     // text: the title
  Subsection,  // text: the title
  Paragraph,   // text
  Item,        // term, then text: one entry of a list of options, formats or tokens
  Example,     // text says what term, a command line, does
};

struct Block {
  BlockKind kind;
  std::string text;
  std::string term = {};
};

struct Document {
  std::string name;     // the program, "marrowickcmd"
  std::string summary;  // what it does, after the name in the man page's NAME
  std::string version;  // "Quillmere 2.2"
  std::vector<Block> blocks;
};

// The page in groff man macros, section 1.
std::string RenderMan(const Document& document);

// The page in Markdown; note is put first as an HTML comment.
std::string RenderMarkdown(const Document& document, std::string_view note);
