#include "tools/manual_template.h"

#include "platform/text.h"

namespace {

// The name of a mark that starts at text[at] ("@OPTIONS@" gives OPTIONS); empty for none.
std::string_view MarkAt(std::string_view text, size_t at) {
  if (text[at] != '@') return {};
  size_t end = at + 1;
  while (end < text.size() && ((text[end] >= 'A' && text[end] <= 'Z') || text[end] == '_')) ++end;
  if (end == at + 1 || end >= text.size() || text[end] != '@') return {};
  return text.substr(at + 1, end - at - 1);
}

// The block being read, until a blank line or the start of another ends it.
class BlockReader {
 public:
  explicit BlockReader(Document& document) : document_(document) {}

  void Paragraph(std::string_view line) {
    if (kind_ != BlockKind::Paragraph || text_.empty()) Finish();
    Append(text_, line);
  }
  void Item(std::string_view term, std::string_view text) {
    Finish();
    kind_ = BlockKind::Item;
    term_ = term;
    text_ = text;
  }
  // A line that begins with two spaces: more of an entry, or of a paragraph.
  void Continuation(std::string_view line) { Append(text_, Trim(line, " ")); }
  // A line of an example's command or file; false when no text says what it is.
  bool Code(std::string_view line) {
    if (kind_ == BlockKind::Paragraph && !text_.empty()) kind_ = BlockKind::Example;
    if (kind_ != BlockKind::Example) return false;
    if (!term_.empty()) term_ += '\n';
    term_ += line;
    return true;
  }
  void Add(Block block) {
    Finish();
    document_.blocks.push_back(std::move(block));
  }
  void Finish() {
    if (!text_.empty() || !term_.empty()) document_.blocks.push_back({kind_, text_, term_});
    kind_ = BlockKind::Paragraph;
    text_.clear();
    term_.clear();
  }

 private:
  static void Append(std::string& text, std::string_view line) {
    if (!text.empty()) text += ' ';
    text += line;
  }

  Document& document_;
  BlockKind kind_ = BlockKind::Paragraph;
  std::string text_, term_;
};

}  // namespace

bool FillMarks(std::string_view text, const std::map<std::string, std::string, std::less<>>& words,
               std::string& filled, std::string& message) {
  filled.clear();
  for (size_t at = 0; at < text.size();) {
    const std::string_view mark = MarkAt(text, at);
    if (mark.empty()) {
      filled += text[at++];
      continue;
    }
    const auto word = words.find(mark);
    if (word == words.end()) {
      message = "nothing fills @" + std::string(mark) + "@";
      return false;
    }
    filled += word->second;
    at += mark.size() + 2;
  }
  return true;
}

bool ReadManualTemplate(std::string_view text, const TemplateFill& fill, Document& document,
                        std::string& message) {
  BlockReader reader(document);
  int number = 0;
  for (const std::string& raw : TextLines(text, TextEncoding::Utf8)) {
    ++number;
    if (raw.starts_with("//")) continue;
    const std::string_view part = raw.size() > 2 && raw.starts_with('@') && raw.ends_with('@')
                                      ? std::string_view(raw).substr(1, raw.size() - 2)
                                      : std::string_view();
    std::string line;
    if (!part.empty()) {
      line = raw;
    } else if (!FillMarks(raw, fill.words, line, message)) {
      message = "line " + std::to_string(number) + ": " + message;
      return false;
    }
    const std::string_view view = line;
    if (view.starts_with("Summary: ")) {
      document.summary = view.substr(9);
    } else if (view.empty()) {
      reader.Finish();
    } else if (view.starts_with("# ")) {
      reader.Add({BlockKind::Section, std::string(view.substr(2))});
    } else if (!part.empty()) {
      const auto blocks = fill.parts.find(part);
      if (blocks == fill.parts.end()) {
        message = "line " + std::to_string(number) + ": nothing fills " + line;
        return false;
      }
      reader.Finish();
      for (const Block& block : blocks->second) reader.Add(block);
    } else if (view.starts_with("- ") && view.find(" :: ") != std::string_view::npos) {
      const size_t separator = view.find(" :: ");
      reader.Item(view.substr(2, separator - 2), view.substr(separator + 4));
    } else if (view.starts_with("    ")) {
      if (!reader.Code(view.substr(4))) {
        message = "line " + std::to_string(number) + ": an example with no text before it";
        return false;
      }
    } else if (view.starts_with("  ")) {
      reader.Continuation(view);
    } else {
      reader.Paragraph(view);
    }
  }
  reader.Finish();
  return true;
}
