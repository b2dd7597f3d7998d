// tools/manual_template.h: the prose of the manual and the skeleton of the bash completion, read
// from their template files (tools/manual.template, tools/completion.template) and filled with
// what quillmere_docs makes from the rows. The manual template's syntax is described at its top.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/document.h"

// What fills a template's marks: a mark alone on a line of the manual stands for blocks, a mark
// inside a text for words.
struct TemplateFill {
  std::map<std::string, std::vector<Block>, std::less<>> parts;  // "OPTIONS": its blocks
  std::map<std::string, std::string, std::less<>> words;         // "LOCK_FILE": its text
};

// Appends the blocks of the manual template text to document (and sets its summary), its marks
// filled; false, with the reason in message, for a mark fill has not, or an example's lines
// with no text before them.
bool ReadManualTemplate(std::string_view text, const TemplateFill& fill, Document& document,
                        std::string& message);

// The text with every mark (@NAME@, NAME in capitals) replaced by its words; false, with the
// reason in message, for a mark words has not.
bool FillMarks(std::string_view text, const std::map<std::string, std::string, std::less<>>& words,
               std::string& filled, std::string& message);
