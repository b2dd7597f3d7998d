// The documentation written from the option rows: every option is in the man page, in
// docs/options.md and in the bash completion; docs/options.md is the generator's current text;
// man shows the page without a warning; the completion offers what a user types next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/keywords.h"
#include "settings/option_rows.h"
#include "tests/support/run_program.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// What a shell command prints on standard output.
std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// An option name as groff sees it: every "-" is a minus sign.
std::string InMan(std::string_view name) {
  std::string text;
  for (const char c : ToLower(name)) text += c == '-' ? std::string("\\-") : std::string(1, c);
  return text;
}

}  // namespace

TEST(Docs, EveryOptionIsInTheManPageTheMarkdownAndTheCompletion) {
  const std::string man = Read(MAN_PAGE_PATH);
  const std::string markdown = Read(std::string(SOURCE_DIR) + "/docs/options.md");
  // The names are words of the script: a list in double quotes ends with one.
  std::string completion = Read(COMPLETION_PATH);
  std::replace(completion.begin(), completion.end(), '"', ' ');
  ASSERT_FALSE(man.empty() || markdown.empty() || completion.empty());
  for (const OptionRow& row : OptionRows()) {
    if (row.name.empty()) continue;
    const std::string name = ToLower(row.name);
    const std::string typed = row.kind == OptionKind::Flag ? name : name + "=";
    EXPECT_NE(man.find("\\fB" + InMan(typed)), std::string::npos) << name << " in the man page";
    EXPECT_NE(markdown.find("`" + typed), std::string::npos) << name << " in options.md";
    EXPECT_NE(completion.find(" " + typed + " "), std::string::npos) << name << " completion";
    if (!row.shortName.empty()) {
      EXPECT_NE(completion.find(" " + ToLower(row.shortName) + " "), std::string::npos) << name;
    }
  }
  for (const OutputFormat& format : kOutputFormats)
    EXPECT_NE(man.find("\\fB" + std::string(format.extension) + "\\fR\n"), std::string::npos)
        << format.extension << " under OUTPUT FORMATS";
}

TEST(Docs, OptionsMarkdownIsWhatTheGeneratorWrites) {
  EXPECT_EQ(Read(std::string(SOURCE_DIR) + "/docs/options.md"), Read(GENERATED_OPTIONS_MD_PATH))
      << "docs/options.md is stale: copy " << GENERATED_OPTIONS_MD_PATH << " over it";
}

TEST(Docs, ManShowsThePageWithoutWarnings) {
  const std::string page = std::string(MAN_PAGE_PATH) + ".gz";
  // Standard error only: what man and groff warn about.
  EXPECT_EQ(Output("MANWIDTH=80 man --warnings=all -l '" + page + "' 2>&1 >/dev/null"), "");
  const std::string shown = Output("MANWIDTH=80 man -l '" + page + "' 2>/dev/null");
  EXPECT_NE(shown.find("--pict-scale=N"), std::string::npos) << shown.substr(0, 400);
  EXPECT_NE(shown.find("Quillmere 2.2.lock"), std::string::npos);
}

TEST(Docs, CompletionOffersNamesKeywordsFormatsAndFiles) {
  ScratchFolder scratch;
  ASSERT_TRUE(MakeFolder(scratch / "pictures"));
  ASSERT_TRUE(WriteFileBytes(scratch / "picture.pict", "x"));
  // The words as bash hands them over: "=" is a word of its own unless it is no word break.
  struct Case {
    std::vector<std::string> words;
    std::string replies;  // sorted, one a line
  };
  const Case kCases[] = {
      {{"--resize-al"}, "--resize-algorithm=\n"},
      {{"--resize-algorithm", "=", "la"}, "lanczos\n"},
      {{"--RESIZE-ALGORITHM", "=", "B"}, "bicubic\nbilinear\nbox\nbspline\n"},
      {{"--resize-algorithm=la"}, "--resize-algorithm=lanczos\n"},
      {{"--png-compression", "=", ""}, "none\nzlib1\nzlib6\nzlib9\n"},
      {{"--wm-text-position", "=", "bottom"}, "bottomcenter\nbottomleft\nbottomright\n"},
      {{"-c", "p"}, "pbm\npcx\npdf\npfm\npgm\npng\nppm\npsd\n"},
      {{"--conversion", "=", "ti"}, "tiff\n"},
      {{"-i", "pic"}, "picture.pict\npictures\n"},
      {{"-o", "pic"}, "pictures\n"},
      {{"--profile=pic"}, "--profile=picture.pict\n--profile=pictures\n"},
      {{"--width", "=", ""}, ""},
      {{"--exit"}, "--exit-status\n"},
  };
  for (const Case& c : kCases) {
    std::string words = "marrowickcmd";
    for (const std::string& word : c.words) words += " '" + word + "'";
    const std::string script = "export LC_ALL=C; cd '" + scratch.path() + "' && source '" +
                               COMPLETION_PATH + "' && COMP_WORDS=(" + words +
                               ") && COMP_CWORD=" + std::to_string(c.words.size()) +
                               " && _marrowickcmd && printf '%s\\n' \"${COMPREPLY[@]}\" | sort";
    ASSERT_TRUE(WriteFileBytes(scratch / "complete.sh", script));
    std::string replies = Output("bash --norc --noprofile '" + scratch / "complete.sh" + "'");
    if (replies == "\n") replies.clear();  // printf prints one line for no reply
    EXPECT_EQ(replies, c.replies) << words;
  }
}
