// The manual's template: the blocks its lines make, the marks the rows fill, and the lines it
// refuses with a reason.
#include "tools/manual_template.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The blocks as text, one a line: kind, term and text.
std::string Shown(const Document& document) {
  const char* const kKinds[] = {"section", "subsection", "paragraph", "item", "example"};
  std::string text = "summary " + document.summary + "\n";
  for (const Block& block : document.blocks)
    text += std::string(kKinds[static_cast<int>(block.kind)]) + " [" + block.term + "] " +
            block.text + "\n";
  return text;
}

TEST(ManualTemplate, LinesBecomeBlocksAndMarksTakeWhatTheRowsMake) {
  TemplateFill fill;
  fill.parts["ROWS"] = {{BlockKind::Item, "from a row", "`--x`"}};
  fill.words["LOCK"] = "`/run/lock`";
  const std::string text =
      "// a note\n"
      "Summary: does things\n"
      "# Title\n"
      "A paragraph\n"
      "on two lines.\n"
      "\n"
      "@ROWS@\n"
      "- `TMPDIR` :: where files go\n"
      "  (default `/tmp`).\n"
      "- @LOCK@ :: the lock\n"
      "Run it:\n"
      "    prog -i a \\\n"
      "        -o b\n";
  Document document;
  std::string message;
  ASSERT_TRUE(ReadManualTemplate(text, fill, document, message)) << message;
  EXPECT_EQ(Shown(document),
            "summary does things\n"
            "section [] Title\n"
            "paragraph [] A paragraph on two lines.\n"
            "item [`--x`] from a row\n"
            "item [`TMPDIR`] where files go (default `/tmp`).\n"
            "item [`/run/lock`] the lock\n"
            "example [prog -i a \\\n    -o b] Run it:\n");
}

TEST(ManualTemplate, UnknownMarksAndExamplesWithoutTextAreRefused) {
  const std::pair<std::string, std::string> kCases[] = {
      {"# A\n@MISSING@\n", "line 2: nothing fills @MISSING@"},
      {"Text with @WORD@ in it.\n", "line 1: nothing fills @WORD@"},
      {"# A\n\n    code\n", "line 3: an example with no text before it"},
  };
  for (const auto& [text, expected] : kCases) {
    Document document;
    std::string message;
    EXPECT_FALSE(ReadManualTemplate(text, {}, document, message)) << text;
    EXPECT_EQ(message, expected) << text;
  }
  std::string filled, message;
  EXPECT_TRUE(FillMarks("a=${x[@]} @B@", {{"B", "b"}}, filled, message));
  EXPECT_EQ(filled, "a=${x[@]} b");
}

}  // namespace
