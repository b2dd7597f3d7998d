#include "naming/tokens.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/clock.h"
#include "platform/text.h"

static std::string Padded(int64_t value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(value));
  return buffer;
}

// The value of a token for the file; nothing for a text that is no token.
static std::optional<std::string> TokenValue(std::string_view token, const FileContext& file,
                                             std::string_view ext) {
  const std::string base = BaseName(NamedAfter(file));
  if (token == "%filename%") return base;
  if (token == "%filename[u]%") return ToUpper(base);
  if (token == "%filename[l]%") return ToLower(base);
  if (token == "%filename[t]%") return ToTitle(base);
  if (token == "%ext%") return std::string(ext);
  if (token == "%ext[u]%") return ToUpper(ext);
  if (token == "%ext[t]%") return ToTitle(ext);
  if (token == "%bpp%") return std::to_string(file.targetBpp);
  if (token == "%width%") return std::to_string(file.outputWidth);
  if (token == "%height%") return std::to_string(file.outputHeight);
  if (token == "%rnd%") return Padded(file.numbers.randomNumber, 5);
  // At least five digits and never cut, so file 100000 does not reuse an earlier name.
  if (token == "%n%") return Padded(file.numbers.counter, 5);
  if (token == "%resource%") return ResourceText(file);
  // Each date token reads the clock itself.
  const LocalDateTime now = LocalNow();
  if (token == "%yyyy%") return Padded(now.year, 4);
  if (token == "%mm%") return Padded(now.month, 2);
  if (token == "%dd%") return Padded(now.day, 2);
  if (token == "%hh%") return Padded(now.hour, 2);
  if (token == "%ii%") return Padded(now.minute, 2);
  if (token == "%ss%") return Padded(now.second, 2);
  return std::nullopt;
}

// Replaces every occurrence of token (one of the table's, lower case) in any letter case by its
// value for the file.
static std::string ReplaceToken(std::string_view text, std::string_view token,
                                const FileContext& file, std::string_view extension) {
  return ReplaceIgnoringCase(text, token, *TokenValue(token, file, extension));
}

std::string ExpandFilenameMask(std::string_view mask, const FileContext& file,
                               std::string_view extension) {
  std::string text = ToLower(mask);
  if (text.empty()) text = "%filename%.%ext%";
  if (!ResourceText(file).empty() && text.find("%resource%") == std::string::npos)
    for (const std::string_view name :
         {"%filename%", "%filename[u]%", "%filename[l]%", "%filename[t]%"})
      text = ReplaceIgnoringCase(text, name, std::string(name) + ".%resource%");
  for (const FilenameToken& token : kFilenameTokens)
    if (text.find(token.text) != std::string::npos)
      text = ReplaceToken(text, token.text, file, extension);
  return text;
}

std::string ExpandTextTokens(std::string_view text, const FileContext& file,
                             std::string_view extension) {
  if (std::count(text.begin(), text.end(), '%') < 2) return std::string(text);
  const std::string lower = ToLower(text);
  std::string working(text);
  for (const FilenameToken& token : kFilenameTokens)
    if (lower.find(token.text) != std::string::npos)
      working = ReplaceToken(working, token.text, file, extension);
  return working;
}

bool TextUsesFileNumbers(std::string_view text) {
  // Two files that differ in their numbers only: any difference comes from a number token.
  FileContext one, other;
  other.numbers = {one.numbers.randomNumber + 1, one.numbers.counter + 1};
  return ExpandTextTokens(text, one, "") != ExpandTextTokens(text, other, "");
}
