#include "console/messages.h"

#include "platform/text.h"

std::string VersionText(int version) {
  const std::string digits = std::to_string(version);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i == 1 || i == 2) text += '.';
    text += digits[i];
  }
  if (!text.empty() && text.back() == '0') text = text.substr(0, 3);
  return text;
}

std::string TitleText(std::string_view name, int version) {
  return std::string(name) + " " + VersionText(version);
}

std::string SubstitutePlaceholders(std::string_view text, std::string_view s1, std::string_view s2,
                                   std::string_view s3, std::string_view s4) {
  std::string result(text);
  if (result.empty()) return result;
  const std::string_view values[] = {s1, s2, s3, s4};
  const std::string_view placeholders[] = {"%s1%", "%s2%", "%s3%", "%s4%"};
  for (int i = 0; i < 4; ++i)
    if (!values[i].empty()) result = ReplaceIgnoringCase(result, placeholders[i], values[i]);
  return result;
}
