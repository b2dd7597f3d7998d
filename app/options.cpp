#include "app/options.h"

#include "app/option_table.h"
#include "app/profile.h"
#include "platform/text.h"

static constexpr std::string_view kIncorrectParameters = "Incorrect number of parameters";
static constexpr std::string_view kInvalidProfile = "Invalid profile file";

// The flag one of the pass's own options sets; null for the others.
static bool* PassFlag(PassAction action, OptionPassResult& pass) {
  switch (action) {
    case PassAction::Quiet:
      return &pass.quiet;
    case PassAction::Pause:
      return &pass.pause;
    case PassAction::ExitStatus:
      return &pass.exitStatus;
    case PassAction::Debug:
      return &pass.job.debug;
    case PassAction::None:
    case PassAction::Profile:
      break;
  }
  return nullptr;
}

// What the pass does for its own options, which write no field of the records. A profile is
// applied at once, so that later options overwrite what it set.
static void DoPassAction(PassAction action, const std::string& text, OptionPassResult& pass) {
  if (action == PassAction::Profile && !ReadProfile(text, pass.settings, pass.job, &pass.notices))
    pass.error = kInvalidProfile;
  if (bool* flag = PassFlag(action, pass)) *flag = true;
}

// Stores the option's value in the records, or does what the pass does for it.
static void TakeOption(const OptionRow& option, std::string_view text, OptionPassResult& pass) {
  if (option.action != PassAction::None)
    return DoPassAction(option.action, std::string(text), pass);
  StoreOption(option, text, pass.settings, pass.job);
  if (option.kind != OptionKind::Keyword) return;
  if (std::string notice = KeywordNotice(option, text); !notice.empty())
    pass.notices.push_back(std::move(notice));
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
static bool HandleOption(const OptionRow& option, const std::string& name,
                         const std::vector<std::string>& parameters, size_t& i,
                         OptionPassResult& pass) {
  switch (option.kind) {
    case OptionKind::Flag:
      TakeOption(option, {}, pass);
      return true;
    case OptionKind::Path:
    case OptionKind::Extension: {
      // -I counts as given the moment it is met, whatever follows.
      SwitchOnStep(option.step, pass.settings, pass.job);
      // The short form takes the next parameter; the long one needs "=value".
      if (name == option.shortName) ++i;
      std::string value = OptionValue(parameters, i);
      if (value.empty() || value.starts_with('-')) return false;
      if (option.kind == OptionKind::Path) value = JoinQuotes(std::move(value), parameters, i);
      TakeOption(option, RemoveQuotes(value), pass);
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
      TakeOption(option, value, pass);
      return true;
    }
  }
  return true;
}

OptionPassResult RunOptionPass(const std::vector<std::string>& parameters) {
  OptionPassResult pass;
  pass.settings = DefaultSettings(true);
  pass.job = NewJobRecord();
  for (size_t i = 0; i < parameters.size(); ++i) {
    const std::string name = OptionName(parameters, i);
    const OptionRow* option = FindOption(name, false);
    // Stray values and unknown options are no errors; they are only told of.
    if (!option && name.empty()) {
      pass.notices.push_back("stray parameter " + parameters[i] + " ignored");
      continue;
    }
    if (!option) {
      const std::string_view written = Trim(parameters[i], " ");
      pass.notices.push_back(UnknownOptionNotice(
          written.starts_with("--") ? written.substr(0, written.find('=')) : written, false));
      continue;
    }
    if (!HandleOption(*option, name, parameters, i, pass)) pass.error = kIncorrectParameters;
    if (!pass.error.empty()) break;
  }
  return pass;
}
