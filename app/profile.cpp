#include "app/profile.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "app/option_table.h"
#include "platform/files.h"
#include "platform/text.h"

static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
static constexpr std::string_view kBlanks = " \t";

// Without a byte-order mark every byte is one Latin-1 character, whose code point is the
// byte's value; the program works in UTF-8.
static std::string DecodeProfile(std::string_view bytes) {
  if (bytes.starts_with(kByteOrderMark)) return std::string(bytes.substr(kByteOrderMark.size()));
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

// The lines of text; CR, LF and CR LF all end a line.
static std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    const size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
  return lines;
}

// One "key = value" line of the [CLI] group; keys that are no profile option are skipped.
static void ApplyKeyLine(std::string_view line) {
  const size_t equals = line.find('=');
  const std::string key = ToUpper(Trim(line.substr(0, equals), kBlanks));
  const std::string_view value = equals == std::string_view::npos
                                     ? std::string_view{}
                                     : Trim(line.substr(equals + 1), kBlanks);
  const OptionSpec* option = FindOption(key, true);
  if (!option) return;
  // Text values keep their quotes here; only the filename mask sheds them.
  const std::string_view text = option->kind == OptionKind::MaskText ? Trim(value, "\"") : value;
  StoreOption(*option, text, nullptr);
}

bool ReadProfile(const std::string& path) {
  if (path.empty()) return false;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return false;
  const std::string text = DecodeProfile(*bytes);
  bool inCliGroup = false;
  for (std::string_view line : SplitLines(text)) {
    line.remove_prefix(std::min(line.find_first_not_of(kBlanks), line.size()));
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (inCliGroup) break;  // a later [CLI] group is not read
      const size_t close = line.find(']');
      const std::string_view group =
          close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
      inCliGroup = ToUpper(group) == "CLI";
      continue;
    }
    if (inCliGroup) ApplyKeyLine(line);
  }
  return true;
}
