#include "platform/text.h"

#include <glib.h>
#include <iconv.h>

#include <algorithm>

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

int DigitValue(char c, int base) {
  int digit = -1;
  if (c >= '0' && c <= '9')
    digit = c - '0';
  else if (c >= 'a' && c <= 'f')
    digit = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    digit = c - 'A' + 10;
  return digit < base ? digit : -1;
}

// Every byte is one Latin-1 character, whose code point is the byte's value.
static std::string Latin1ToUtf8(std::string_view bytes) {
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

std::vector<std::string> TextLines(std::string_view bytes, TextEncoding withoutMark) {
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string converted;
  if (bytes.starts_with(kByteOrderMark)) {
    bytes.remove_prefix(kByteOrderMark.size());
  } else if (withoutMark == TextEncoding::Latin1) {
    converted = Latin1ToUtf8(bytes);
    bytes = converted;
  }
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const size_t end = bytes.find_first_of("\r\n");
    lines.emplace_back(bytes.substr(0, end));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
  }
  return lines;
}

// glibc's iconv knows Mac OS Roman as "MACINTOSH". Should its converters be missing, ASCII
// stays and every other byte becomes U+FFFD, so a name is never lost whole.
std::string MacRomanToUtf8(std::string_view bytes) {
  std::string result;
  const iconv_t converter = iconv_open("UTF-8", "MACINTOSH");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    for (const char c : bytes)
      result += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\uFFFD";
    return result;
  }
  // No character of Mac OS Roman takes more than three bytes in UTF-8.
  result.resize(3 * bytes.size());
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* out = result.data();
  size_t outLeft = result.size();
  iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  result.resize(result.size() - outLeft);
  return result;
}

// Edits from one text to the other, letter case ignored (the optimal string alignment distance).
static size_t EditDistance(std::string_view a, std::string_view b) {
  const std::string x = ToUpper(a), y = ToUpper(b);
  std::vector<std::vector<size_t>> d(x.size() + 1, std::vector<size_t>(y.size() + 1));
  for (size_t i = 0; i <= x.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= y.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    for (size_t j = 1; j <= y.size(); ++j) {
      d[i][j] = std::min(
          {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[x.size()][y.size()];
}

std::vector<std::string_view> NearestWords(std::string_view given,
                                           const std::vector<std::string_view>& candidates) {
  const size_t allowed = std::max<size_t>(2, given.size() / 3);
  size_t best = allowed + 1;
  std::vector<std::string_view> nearest;
  for (std::string_view candidate : candidates) {
    const size_t distance = EditDistance(given, candidate);
    if (distance > best) continue;
    if (distance < best) nearest.clear();
    best = distance;
    nearest.push_back(candidate);
  }
  // Of words as near, one that given begins is what was meant ("tif": "tiff", not "gif").
  const std::string start = ToUpper(given);
  std::vector<std::string_view> begun;
  for (std::string_view word : nearest)
    if (ToUpper(word).starts_with(start)) begun.push_back(word);
  return begun.empty() ? nearest : begun;
}
