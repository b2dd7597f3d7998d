#include "app/usage.h"

#include <algorithm>
#include <cstdio>

#include "console/messages.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/option_rows.h"

namespace {

// Which value fills %s2% of an example.
enum class ExampleValue { None, InputExtension, OutputExtension };

struct Example {
  std::string_view text;
  ExampleValue value;
};

constexpr Example kExamples[] = {
    {"  %s1% -i example.%s2%", ExampleValue::InputExtension},
    {"  %s1% -i c:\\tmp\\example.%s2%", ExampleValue::InputExtension},
    {"  %s1% -i c:\\tmp\\example.%s2% -o d:\\converted", ExampleValue::InputExtension},
    {"  %s1% -i c:\\tmp\\filelist.txt", ExampleValue::None},
    {"  %s1% -i c:\\tmp\\ -o d:\\converted --jpg-quality=95", ExampleValue::None},
    {"  %s1% -i c:\\tmp\\ -o d:\\converted -c %s2% --jpg-quality=95",
     ExampleValue::OutputExtension},
};

// A group of options: its heading, and the front end's own lines before and after its rows.
struct Group {
  UsageGroup group;
  std::string_view heading;
  std::string_view firstTerm = {}, firstText = {};
  std::string_view lastTerm = {}, lastText = {};
};

constexpr Group kGroups[] = {
    {UsageGroup::Basic, "Options:", "-h, -?, --help", "Display this help and exit"},
    {UsageGroup::Advanced,
     "Advanced options:",
     {},
     {},
     "  ...",
     "Refer documentation for all available options"},
    {UsageGroup::Other,
     "Other options:",
     {},
     {},
     "-v, --version",
     "Display version information and exit"},
};

// A term and its text, the text at column 28.
std::string Line(std::string_view term, std::string_view text) {
  std::string line = "  " + std::string(term);
  line.resize(std::max<size_t>(line.size() + 1, 28), ' ');
  return line + std::string(text);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// "-i FILE, --input=FILE", "--width=NUM", "-q, --quiet"; the text with the range a NUM is
// checked against.
std::string RowLine(const OptionRow& row) {
  const Usage& usage = row.usage;
  std::string term;
  if (!row.shortName.empty()) {
    term = ToLower(row.shortName);
    if (!usage.value.empty()) term += " " + std::string(usage.value);
    term += ", ";
  }
  term += ToLower(row.name);
  if (!usage.value.empty()) term += "=" + std::string(usage.value);
  std::string text(usage.text);
  if (usage.value == "NUM" && row.check.kind == CheckKind::Within)
    text += ", NUM = " + Number(row.check.low) + ".." + Number(row.check.high);
  return Line(term, text);
}

}  // namespace

std::vector<std::string> UsageText(std::string_view program) {
  std::vector<std::string> lines = {
      " ", SubstitutePlaceholders("Usage: %s1% -i <filename> [options]", program), " "};
  for (const Example& example : kExamples) {
    std::string_view value;
    // The examples name a file of the one family this program reads.
    if (example.value == ExampleValue::InputExtension) value = kInputFamilies[0];
    if (example.value == ExampleValue::OutputExtension) value = kOutputFormats[0].extension;
    lines.push_back(SubstitutePlaceholders(example.text, program, value));
  }
  for (const Group& group : kGroups) {
    lines.insert(lines.end(), {" ", std::string(group.heading), " "});
    if (!group.firstTerm.empty()) lines.push_back(Line(group.firstTerm, group.firstText));
    std::vector<const OptionRow*> rows;
    for (const OptionRow& row : OptionRows())
      if (row.usage.group == group.group) rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](const OptionRow* a, const OptionRow* b) {
      return a->usage.place < b->usage.place;
    });
    for (const OptionRow* row : rows) lines.push_back(RowLine(*row));
    if (!group.lastTerm.empty()) lines.push_back(Line(group.lastTerm, group.lastText));
  }
  return lines;
}
