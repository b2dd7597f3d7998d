#include "platform/text.h"

#include <glib.h>

// Maps every valid UTF-8 character through `map`; invalid bytes pass unchanged.
template <typename Map>
static std::string MapCharacters(std::string_view text, Map map) {
  std::string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      result.push_back(static_cast<char>(map(lead)));
      ++i;
      continue;
    }
    const gunichar c =
        g_utf8_get_char_validated(text.data() + i, static_cast<gssize>(text.size() - i));
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
      result.push_back(text[i]);
      ++i;
      continue;
    }
    const char* next = g_utf8_next_char(text.data() + i);
    i = static_cast<size_t>(next - text.data());
    char buffer[6];
    const int length = g_unichar_to_utf8(map(c), buffer);
    result.append(buffer, static_cast<size_t>(length));
  }
  return result;
}

std::string ToUpper(std::string_view text) {
  return MapCharacters(text, [](gunichar c) { return g_unichar_toupper(c); });
}

std::string ToLower(std::string_view text) {
  return MapCharacters(text, [](gunichar c) { return g_unichar_tolower(c); });
}

std::string ToTitle(std::string_view text) {
  if (text.empty()) return {};
  const gunichar first = g_utf8_get_char_validated(text.data(), static_cast<gssize>(text.size()));
  size_t firstLength = 1;
  if (first != static_cast<gunichar>(-1) && first != static_cast<gunichar>(-2))
    firstLength = static_cast<size_t>(g_utf8_next_char(text.data()) - text.data());
  return ToUpper(text.substr(0, firstLength)) + ToLower(text.substr(firstLength));
}

std::string_view FilePart(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

std::string BaseName(std::string_view path) {
  const std::string_view name = FilePart(path);
  const size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

static char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ReplaceIgnoringCase(std::string_view text, std::string_view needle,
                                std::string_view value) {
  if (needle.empty()) return std::string(text);
  auto matchesAt = [&](size_t at) {
    for (size_t i = 0; i < needle.size(); ++i)
      if (FoldAscii(text[at + i]) != FoldAscii(needle[i])) return false;
    return true;
  };
  std::string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (i + needle.size() <= text.size() && matchesAt(i)) {
      result += value;
      i += needle.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

std::string_view Trim(std::string_view text, std::string_view characters) {
  const size_t first = text.find_first_not_of(characters);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(characters);
  return text.substr(first, last - first + 1);
}
