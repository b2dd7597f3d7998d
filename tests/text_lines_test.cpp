// The lines of text files (profiles and list files): byte-order mark, encodings, line ends.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/text.h"

namespace {

using Lines = std::vector<std::string>;

TEST(TextLines, EveryLineEndEndsALineAndTheMarkDecidesTheEncoding) {
  struct Case {
    std::string bytes;
    TextEncoding withoutMark;
    Lines lines;
  };
  const Case kCases[] = {
      {"", TextEncoding::Utf8, {}},
      {"a", TextEncoding::Utf8, {"a"}},
      {"a\nb\r\nc\rd", TextEncoding::Utf8, {"a", "b", "c", "d"}},
      // A last line end adds no empty line; blank lines between stay.
      {"a\n\n\r\nb\n", TextEncoding::Utf8, {"a", "", "", "b"}},
      {"a\r\r\nb", TextEncoding::Utf8, {"a", "", "b"}},
      // The mark goes; what follows it is UTF-8 whatever withoutMark says.
      {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\n", TextEncoding::Latin1, {"\xC3\xA9t\xC3\xA9"}},
      {"\xEF\xBB\xBF", TextEncoding::Utf8, {}},
      // Without the mark, Latin-1 bytes become UTF-8; UTF-8 bytes stay as they are.
      {"\xE9t\xE9\r\n\xFF", TextEncoding::Latin1, {"\xC3\xA9t\xC3\xA9", "\xC3\xBF"}},
      {"\xC3\xA9t\xC3\xA9", TextEncoding::Utf8, {"\xC3\xA9t\xC3\xA9"}},
  };
  for (const Case& c : kCases) EXPECT_EQ(TextLines(c.bytes, c.withoutMark), c.lines) << c.bytes;
}

TEST(DigitValue, ReadsDigitsOfTheBaseInEitherCase) {
  const std::tuple<char, int, int> kCases[] = {{'7', 10, 7},  {'a', 16, 10}, {'F', 16, 15},
                                               {'g', 16, -1}, {'2', 2, -1},  {'1', 2, 1},
                                               {'9', 8, -1},  {' ', 10, -1}};
  for (const auto& [c, base, value] : kCases) EXPECT_EQ(DigitValue(c, base), value) << c << base;
}

}  // namespace
