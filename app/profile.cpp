#include "app/profile.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "app/option_table.h"
#include "platform/files.h"
#include "platform/text.h"

static constexpr std::string_view kBlanks = " \t";

// One "key = value" line of the [CLI] group; keys that are no profile option are skipped.
static void ApplyKeyLine(std::string_view line, ConversionSettings& settings, JobRecord& job,
                         std::vector<std::string>& notices) {
  const size_t equals = line.find('=');
  const std::string key = ToUpper(Trim(line.substr(0, equals), kBlanks));
  const std::string_view value = equals == std::string_view::npos
                                     ? std::string_view{}
                                     : Trim(line.substr(equals + 1), kBlanks);
  const OptionRow* option = FindOption(key, true);
  if (!option) {
    notices.push_back(UnknownOptionNotice(Trim(line.substr(0, equals), kBlanks), true));
    return;
  }
  // Text values keep their quotes here; only the filename mask sheds them.
  const std::string_view text = option->kind == OptionKind::MaskText ? Trim(value, "\"") : value;
  StoreOption(*option, text, settings, job);
  if (option->kind == OptionKind::Keyword)
    if (std::string notice = KeywordNotice(*option, text); !notice.empty())
      notices.push_back(std::move(notice));
}

bool ReadProfile(const std::string& path, ConversionSettings& settings, JobRecord& job,
                 std::vector<std::string>* notices) {
  std::vector<std::string> told;
  if (path.empty()) return false;
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return false;
  bool inCliGroup = false;
  for (const std::string& text : TextLines(*bytes, TextEncoding::Latin1)) {
    std::string_view line = text;
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
    if (inCliGroup) ApplyKeyLine(line, settings, job, told);
  }
  if (notices)
    for (const std::string& notice : told) notices->push_back(path + ": " + notice);
  return true;
}
