// quillmere_docs: writes the man page, docs/options.md and the bash completion of marrowickcmd
// from their templates (the prose of the manual, the skeleton of the completion) and the option
// rows, the keyword tables, the output format rows and the filename-mask tokens, so that none
// of them can fall behind the program.
//   quillmere_docs MANUAL_TEMPLATE COMPLETION_TEMPLATE MAN_PAGE MARKDOWN COMPLETION
//                                        writes the three files
//   quillmere_docs --version             prints the program's version ("2.2")
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/messages.h"
#include "naming/tokens.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/keywords.h"
#include "settings/option_rows.h"
#include "settings/settings.h"
#include "tools/document.h"
#include "tools/manual_template.h"

namespace {

constexpr std::string_view kProgram = "marrowickcmd";

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::string Literal(std::string_view text) { return "`" + std::string(text) + "`"; }

std::string LongName(const OptionRow& row) { return ToLower(row.name); }

// The value's name after "=" by the option's kind, where the row names none; a flag has none.
constexpr std::pair<OptionKind, std::string_view> kValueNames[] = {
    {OptionKind::Path, "PATH"},       {OptionKind::Extension, "FORMAT"},
    {OptionKind::Keyword, "KEYWORD"}, {OptionKind::Integer, "N"},
    {OptionKind::Decimal, "X"},       {OptionKind::Text, "TEXT"},
    {OptionKind::MaskText, "MASK"}};

std::string ValueName(const OptionRow& row) {
  if (!row.valueName.empty()) return std::string(row.valueName);
  for (const auto& [kind, name] : kValueNames)
    if (kind == row.kind) return std::string(name);
  return {};
}

// The keywords an option takes, upper case: a compression option's are its format's own.
std::vector<std::string> Keywords(const OptionRow& row) {
  std::vector<std::string> keywords;
  if (row.table == kCompressionTable) {
    for (const std::string_view keyword : FindOutputFormat(row.format)->compressions)
      keywords.push_back(ToUpper(keyword));
  } else {
    for (const Keyword& keyword : KeywordTable(row.table)) keywords.emplace_back(keyword.text);
  }
  return keywords;
}

// "`-i` *INPUT*, `--input=`*INPUT*", "`--width=`*N*", "`-q`, `--quiet`".
std::string Term(const OptionRow& row) {
  const std::string value = ValueName(row);
  std::string term;
  if (!row.shortName.empty()) {
    term = Literal(ToLower(row.shortName));
    if (!value.empty()) term += " *" + value + "*";
    term += ", ";
  }
  if (value.empty()) return term + Literal(LongName(row));
  return term + Literal(LongName(row) + "=") + "*" + value + "*";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The records of a command-line run before any option: the defaults the documentation shows.
const ConversionSettings kDefaultSettings = DefaultSettings(true);
const JobRecord kDefaultJob = NewJobRecord();

// The default as the fresh records hold it; empty when there is nothing to say.
std::string DefaultOf(const OptionRow& row) {
  if (!row.defaultText.empty()) return std::string(row.defaultText);
  // A flag is off until given, and a text that switches its step on has no default to speak of.
  if (row.kind == OptionKind::Flag || (row.kind == OptionKind::Text && row.step != StepFlag::None))
    return {};
  const std::string text = FieldText(row, kDefaultSettings, kDefaultJob);
  if (text.empty()) return {};
  return Literal(row.kind == OptionKind::Keyword ? ToUpper(text) : text);
}

std::string Details(const OptionRow& row) {
  std::string text(row.help);
  if (row.kind == OptionKind::Keyword) {
    std::vector<std::string> keywords;
    for (const std::string& keyword : Keywords(row)) keywords.push_back(Literal(keyword));
    text += " Values: " + Join(keywords, ", ") + ".";
  }
  if (!row.unit.empty()) text += " In " + std::string(row.unit) + ".";
  if (row.check.kind == CheckKind::Within)
    text +=
        " From " + Literal(Number(row.check.low)) + " to " + Literal(Number(row.check.high)) + ".";
  if (row.check.kind == CheckKind::NotZero) text += " Must not be 0.";
  if (const std::string value = DefaultOf(row); !value.empty()) text += " Default: " + value + ".";
  return text;
}

// The entries of each section of options, under its title and introduction.
std::vector<Block> OptionBlocks() {
  std::vector<Block> blocks;
  for (const OptionSection& section : OptionSections()) {
    blocks.push_back({BlockKind::Subsection, std::string(section.title)});
    if (!section.intro.empty())
      blocks.push_back({BlockKind::Paragraph, std::string(section.intro)});
    for (const OptionRow& row : section.rows)
      if (!row.name.empty()) blocks.push_back({BlockKind::Item, Details(row), Term(row)});
  }
  return blocks;
}

// An entry for each output format: its depths, its options and what its writer makes.
std::vector<Block> FormatBlocks() {
  std::vector<Block> blocks;
  for (const OutputFormat& format : kOutputFormats) {
    std::vector<std::string> depths, options;
    for (const int depth : format.depths) depths.push_back(std::to_string(depth));
    for (const OptionRow& row : OptionRows())
      if (row.format == format.extension) options.push_back(Literal(LongName(row)));
    std::string text = "Depths " + Join(depths, ", ") + "; options " + Join(options, ", ") + ".";
    if (IsVectorFormat(format))
      text =
          "A page of vectors, written by Cairo: the picture's shapes, text and images as "
          "its drawing holds them. Option " +
          Join(options, ", ") + ", accepted and ignored.";
    if (format.writer == Writer::JxrEncoder) text += " Written losslessly by jxrlib's `JxrEncApp`.";
    if (format.writer == Writer::Devil) text += " Written by DevIL.";
    if (format.mipmaps) text += " The file holds the full chain of mipmaps.";
    if (format.squareLimit > 0)
      text += " A picture wider or taller than " + std::to_string(format.squareLimit) +
              " pixels becomes exactly " + std::to_string(format.squareLimit) + " x " +
              std::to_string(format.squareLimit) +
              "; icons must be square and 16 to 256 pixels, so a smaller picture that is not "
              "fails.";
    blocks.push_back({BlockKind::Item, text, Literal(format.extension)});
  }
  return blocks;
}

// An entry for each filename-mask token.
std::vector<Block> TokenBlocks() {
  std::vector<Block> blocks;
  for (const FilenameToken& token : kFilenameTokens)
    blocks.push_back({BlockKind::Item,
                      ToUpper(token.help.substr(0, 1)) + std::string(token.help.substr(1)) + ".",
                      Literal(token.text)});
  return blocks;
}

TemplateFill ManualFill() {
  TemplateFill fill;
  fill.parts = {
      {"OPTIONS", OptionBlocks()}, {"FORMATS", FormatBlocks()}, {"TOKENS", TokenBlocks()}};
  std::vector<std::string> commandLineOnly;
  for (const OptionRow& row : OptionRows())
    if (row.place == OptionPlace::CommandLineOnly) commandLineOnly.push_back(Literal(row.name));
  fill.words = {
      {"COMMAND_LINE_ONLY", Join(commandLineOnly, ", ")},
      {"LOCK_FILE", "`$XDG_RUNTIME_DIR/" + TitleText(kProductName, kVersionNumber) + ".lock`"}};
  return fill;
}

// What the completion offers: option names, the keywords of each keyword option and the
// formats after -c (files after -i and the options naming files, folders after -o, are the
// template's).
std::map<std::string, std::string, std::less<>> CompletionWords() {
  std::vector<std::string> names, cases;
  for (const OptionRow& row : OptionRows()) {
    if (row.name.empty()) continue;
    const std::string name = LongName(row);
    if (!row.shortName.empty()) names.push_back(ToLower(row.shortName));
    names.push_back(row.kind == OptionKind::Flag ? name : name + "=");
    if (row.kind != OptionKind::Keyword) continue;
    cases.push_back("    " + name + ") values=\"" + ToLower(Join(Keywords(row), " ")) + "\" ;;");
  }
  std::vector<std::string> formats;
  for (const OutputFormat& format : kOutputFormats) formats.emplace_back(format.extension);
  return {{"OPTION_NAMES", Join(names, " ")},
          {"FORMATS", Join(formats, " ")},
          {"KEYWORD_CASES", Join(cases, "\n")}};
}

bool Write(const std::string& path, const std::string& text) {
  if (WriteFileBytes(path, text)) return true;
  std::fprintf(stderr, "quillmere_docs: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::printf("%s\n", VersionText(kVersionNumber).c_str());
    return 0;
  }
  if (arguments.size() != 5) {
    std::fprintf(stderr,
                 "usage: quillmere_docs MANUAL_TEMPLATE COMPLETION_TEMPLATE MAN_PAGE MARKDOWN "
                 "COMPLETION | --version\n");
    return 2;
  }
  std::string message;
  const std::optional<std::string> manualTemplate = ReadFileBytes(arguments[0], message);
  const std::optional<std::string> completionTemplate =
      manualTemplate ? ReadFileBytes(arguments[1], message) : std::nullopt;
  if (!completionTemplate) {
    std::fprintf(stderr, "quillmere_docs: cannot read a template: %s\n", message.c_str());
    return 1;
  }
  Document manual{std::string(kProgram), {}, TitleText(kProductName, kVersionNumber), {}};
  std::string completion;
  if (!ReadManualTemplate(*manualTemplate, ManualFill(), manual, message) ||
      !FillMarks(*completionTemplate, CompletionWords(), completion, message)) {
    std::fprintf(stderr, "quillmere_docs: %s\n", message.c_str());
    return 1;
  }
  const bool written =
      Write(arguments[2], RenderMan(manual)) &&
      Write(arguments[3],
            RenderMarkdown(manual,
                           "Written by tools/quillmere_docs from the option rows "
                           "(settings/option_rows.cpp) and tools/manual.template: change them, "
                           "not this file.")) &&
      Write(arguments[4], completion);
  return written ? 0 : 1;
}
