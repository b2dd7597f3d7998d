#include "app/options.h"

#include <cassert>
#include <charconv>

#include "app/option_table.h"
#include "app/profile.h"
#include "platform/text.h"
#include "settings/keywords.h"
#include "settings/settings.h"

static constexpr std::string_view kIncorrectParameters = "Incorrect number of parameters";
static constexpr std::string_view kInvalidProfile = "Invalid profile file";

// A profile is applied at once, so that later options overwrite what it set.
static void ApplyProfile(const std::string& path, OptionPassResult& pass) {
  if (!ReadProfile(path)) pass.error = kInvalidProfile;
}

// The options that write no field of the records: what the option pass does for them.
static void DoPassAction(PassAction action, const std::string& text, OptionPassResult* pass) {
  assert(pass && "the option pass's own options exist only on the command line");
  switch (action) {
    case PassAction::None:
      break;
    case PassAction::Quiet:
      pass->quiet = true;
      break;
    case PassAction::Pause:
      pass->pause = true;
      break;
    case PassAction::ExitStatus:
      pass->exitStatus = true;
      break;
    case PassAction::Debug:
      gJob.debug = "DEBUG";
      break;
    case PassAction::Profile:
      ApplyProfile(text, *pass);
      break;
  }
}

const OptionEntry* FindOption(std::string_view upperName, bool inProfile) {
  if (upperName.empty()) return nullptr;
  const OptionPlace excluded = inProfile ? OptionPlace::CommandLineOnly : OptionPlace::ProfileOnly;
  for (const OptionEntry& option : OptionRows()) {
    if (option.name.empty() || option.place == excluded) continue;
    if (option.name == upperName) return &option;
    if (!inProfile && option.shortName == upperName) return &option;
  }
  return nullptr;
}

void StoreOption(const OptionEntry& option, std::string_view text, OptionPassResult* pass) {
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
  SwitchOnStep(option.step, gSettings, gJob);
  if (option.action != PassAction::None) return DoPassAction(option.action, value.text, pass);
  option.field.Set(gSettings, gJob, value);
}

std::string OptionName(const std::vector<std::string>& parameters, size_t index) {
  if (index >= parameters.size()) return {};
  std::string_view text = Trim(parameters[index], " ");
  if (!text.starts_with('-')) return {};
  if (text.starts_with("--")) text = text.substr(0, text.find('='));
  return ToUpper(text);
}

std::string OptionValue(const std::vector<std::string>& parameters, size_t index) {
  if (index >= parameters.size()) return {};
  const std::string_view text = Trim(parameters[index], " ");
  const size_t equals = text.find('=');
  if (text.starts_with("--") && equals != std::string_view::npos)
    return std::string(text.substr(equals + 1));
  return std::string(text);
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

// Removes every leading and trailing double quote.
static std::string RemoveQuotes(std::string_view text) { return std::string(Trim(text, "\"")); }

// A value the caller split at spaces ("Hello, big, world") is joined back up to the parameter
// that closes its quote; the parameters joined are consumed.
static std::string JoinQuotes(std::string value, const std::vector<std::string>& parameters,
                              size_t& i) {
  if (!value.starts_with('"') || value.ends_with('"')) return value;
  while (i + 1 < parameters.size()) {
    ++i;
    value += ' ';
    value += OptionValue(parameters, i);
    if (value.ends_with('"')) break;
  }
  return value;
}

// Handles one option met at parameter i; i may move on past the parameters it consumes.
// Returns false when its value is missing or malformed.
static bool HandleOption(const OptionEntry& option, const std::string& name,
                         const std::vector<std::string>& parameters, size_t& i,
                         OptionPassResult& pass) {
  switch (option.kind) {
    case OptionKind::Flag:
      StoreOption(option, {}, &pass);
      return true;
    case OptionKind::Path:
    case OptionKind::Extension: {
      // -I counts as given the moment it is met, whatever follows.
      SwitchOnStep(option.step, gSettings, gJob);
      // The short form takes the next parameter; the long one needs "=value".
      if (name == option.shortName) ++i;
      std::string value = OptionValue(parameters, i);
      if (value.empty() || value.starts_with('-')) return false;
      if (option.kind == OptionKind::Path) value = JoinQuotes(std::move(value), parameters, i);
      StoreOption(option, RemoveQuotes(value), &pass);
      return true;
    }
    case OptionKind::Keyword:
    case OptionKind::Integer:
    case OptionKind::Decimal:
    case OptionKind::Text:
    case OptionKind::MaskText: {
      // Without "=value" the value is the option itself, which begins with "--".
      std::string value = OptionValue(parameters, i);
      if (value.empty() || value.starts_with("--")) return false;
      if (option.kind == OptionKind::Text || option.kind == OptionKind::MaskText)
        value = RemoveQuotes(JoinQuotes(std::move(value), parameters, i));
      StoreOption(option, value, &pass);
      return true;
    }
  }
  return true;
}

OptionPassResult RunOptionPass(const std::vector<std::string>& parameters) {
  OptionPassResult pass;
  for (size_t i = 0; i < parameters.size(); ++i) {
    const std::string name = OptionName(parameters, i);
    const OptionEntry* option = FindOption(name, false);
    if (!option) continue;  // stray values and unknown options are no errors
    if (!HandleOption(*option, name, parameters, i, pass)) pass.error = kIncorrectParameters;
    if (!pass.error.empty()) break;
  }
  return pass;
}
