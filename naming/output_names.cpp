#include "naming/output_names.h"

#include <array>

#include "platform/text.h"

OutputNames::Given OutputNames::Choose(const std::string& path) const {
  const auto first = owners_.find(path);
  if (first == owners_.end()) return {path, {}};
  Given given{path, first->second};
  // A variant may itself be taken: by an input that had that name of its own, or by an
  // earlier variant.
  for (int number = 2;; ++number) {
    given.path = NumberedVariant(path, number);
    if (!owners_.contains(given.path)) return given;
  }
}

void OutputNames::Keep(const std::string& path, const std::string& input) {
  owners_.try_emplace(path, input);
}

std::string NumberedVariant(std::string_view path, int number) {
  const size_t slash = path.find_last_of("/\\");
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot <= nameStart) dot = path.size();
  return std::string(path.substr(0, dot)) + "~" + std::to_string(number) +
         std::string(path.substr(dot));
}

bool IsNameKnownBeforeConversion(std::string_view mask) {
  static constexpr std::array<std::string_view, 5> kLateTokens = {"%n%", "%rnd%", "%bpp%",
                                                                  "%width%", "%height%"};
  const std::string lower = ToLower(mask);
  for (const std::string_view token : kLateTokens)
    if (lower.find(token) != std::string::npos) return false;
  return true;
}
