#include "app/option_table.h"

#include <cassert>
#include <charconv>
#include <string>
#include <vector>

#include "platform/text.h"
#include "settings/keywords.h"

const OptionRow* FindOption(std::string_view upperName, bool inProfile) {
  if (upperName.empty()) return nullptr;
  const OptionPlace excluded = inProfile ? OptionPlace::CommandLineOnly : OptionPlace::ProfileOnly;
  for (const OptionRow& option : OptionRows()) {
    if (option.name.empty() || option.place == excluded) continue;
    if (option.name == upperName) return &option;
    if (!inProfile && option.shortName == upperName) return &option;
  }
  return nullptr;
}

// Option names as a user writes them: "--width".
static std::string Written(std::string_view name) { return ToLower(name); }

std::string UnknownOptionNotice(std::string_view given, bool inProfile) {
  const std::string upper = ToUpper(given);
  const std::string what = inProfile ? "key " : "option ";
  for (std::string_view first : {"-V", "--VERSION", "-H", "-?", "--HELP"})
    if (upper == first && !inProfile)
      return std::string(given) + " is read only as the first parameter; ignored";
  std::vector<std::string_view> names;
  for (const OptionRow& option : OptionRows()) {
    if (option.name.empty()) continue;
    const bool elsewhere =
        option.place == (inProfile ? OptionPlace::CommandLineOnly : OptionPlace::ProfileOnly);
    if (option.name == upper || (!inProfile && option.shortName == upper)) {
      if (elsewhere)
        return std::string(given) + (inProfile ? " is read only from the command line; ignored"
                                               : " is read only from a profile; ignored");
      continue;
    }
    if (elsewhere) continue;
    names.push_back(option.name);
    if (!inProfile && !option.shortName.empty()) names.push_back(option.shortName);
  }
  std::string notice = "unknown " + what + std::string(given) + " ignored";
  const std::vector<std::string_view> nearest = NearestWords(upper, names);
  if (nearest.empty()) return notice + "; see --help";
  notice += "; nearest: ";
  for (size_t i = 0; i < nearest.size(); ++i) notice += (i > 0 ? ", " : "") + Written(nearest[i]);
  return notice;
}

std::string KeywordNotice(const OptionRow& option, std::string_view text) {
  const std::string upper = ToUpper(Trim(text, " "));
  std::string valid;
  for (const Keyword& keyword : KeywordTable(option.table)) {
    if (keyword.text == upper) return {};
    valid += (valid.empty() ? "" : ", ") + ToLower(keyword.text);
  }
  const std::string_view given = Trim(text, " ");
  return (given.empty() ? "no value for " + Written(option.name)
                        : "unknown value " + std::string(given) + " for " + Written(option.name) +
                              " ignored") +
         "; " + KeywordText(option.table, 0) + " is used; valid: " + valid;
}

void StoreOption(const OptionRow& option, std::string_view text, ConversionSettings& settings,
                 JobRecord& job) {
  assert(option.action == PassAction::None && "the pass does what its own options ask");
  ParsedValue value{std::string(text)};
  switch (option.kind) {
    case OptionKind::Keyword:
      value.number = KeywordToCode(option.table, Trim(text, " "));
      break;
    case OptionKind::Integer:
      value.number = ReadInteger(text);
      break;
    case OptionKind::Decimal:
      value.decimal = ReadDecimal(text);
      break;
    case OptionKind::Flag:
      value.flag = !option.clears;
      break;
    default:
      break;
  }
  SwitchOnStep(option.step, settings, job);
  option.field.Set(settings, job, value);
}

int32_t ReadInteger(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == '%')) base = text[i++] == '$' ? 16 : 2;
  // Unsigned arithmetic wraps, which keeps exactly the low 32 bits of long numbers.
  uint32_t result = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (negative) result = 0u - result;
  return static_cast<int32_t>(result);
}

float ReadDecimal(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0.0f;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  const std::string_view number = text.substr(i);
  // from_chars would also take "inf" and "nan", which are no numbers to a user.
  const bool startsWithDigit =
      !number.empty() &&
      (DigitValue(number[0], 10) >= 0 ||
       (number.size() > 1 && number[0] == '.' && DigitValue(number[1], 10) >= 0));
  if (!startsWithDigit) return 0.0f;
  float value = 0.0f;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc()) return 0.0f;
  return negative ? -value : value;
}
