// The entry point of marrowickcmd: start-up, the dispatch on the first parameter, the option
// pass and the end sequence. The exit code is 0 on every path.
#include <FreeImage.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/console.h"
#include "app/options.h"
#include "batch/driver.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "settings/formats.h"
#include "settings/settings.h"

// Which value fills %s2% of a usage line.
enum class UsageValue { None, InputExtension, OutputExtension };

struct UsageLine {
  const char* text;
  UsageValue value;
};

static constexpr UsageLine kUsageLines[] = {
    {" ", UsageValue::None},
    {"Usage: %s1% -i <filename> [options]", UsageValue::None},
    {" ", UsageValue::None},
    {"  %s1% -i example.%s2%", UsageValue::InputExtension},
    {"  %s1% -i c:\\tmp\\example.%s2%", UsageValue::InputExtension},
    {"  %s1% -i c:\\tmp\\example.%s2% -o d:\\converted", UsageValue::InputExtension},
    {"  %s1% -i c:\\tmp\\filelist.txt", UsageValue::None},
    {"  %s1% -i c:\\tmp\\ -o d:\\converted --jpg-quality=95", UsageValue::None},
    {"  %s1% -i c:\\tmp\\ -o d:\\converted -c %s2% --jpg-quality=95", UsageValue::OutputExtension},
    {" ", UsageValue::None},
    {"Options:", UsageValue::None},
    {" ", UsageValue::None},
    {"  -h, -?, --help            Display this help and exit", UsageValue::None},
    {"  -i FILE, --input=FILE     Set input file/list/folder", UsageValue::None},
    {"  -o PATH, --output=PATH    Set output folder", UsageValue::None},
    {"  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)", UsageValue::None},
    {" ", UsageValue::None},
    {"Advanced options:", UsageValue::None},
    {" ", UsageValue::None},
    {"  --width=NUM               Set output image width", UsageValue::None},
    {"  --height=NUM              Set output image height", UsageValue::None},
    {"  --filename-mask=STR       Define output filename format", UsageValue::None},
    {"  --flip-horizontal         Flip output image horizontally", UsageValue::None},
    {"  --flip-vertical           Flip output image vertically", UsageValue::None},
    {"  --brightness=NUM          Set output image brightness, NUM = -100..100", UsageValue::None},
    {"  --contrast=NUM            Set output image contrast, NUM = -100..100", UsageValue::None},
    {"  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99", UsageValue::None},
    {"  --invert                  Invert output image", UsageValue::None},
    {"  --greyscale               Greyscale output image", UsageValue::None},
    {"  --profile=FILE            Set configuration file with required settings", UsageValue::None},
    {"    ...                     Refer documentation for all available options", UsageValue::None},
    {" ", UsageValue::None},
    {"Other options:", UsageValue::None},
    {" ", UsageValue::None},
    {"  -q, --quiet               Don't print status messages to stdout", UsageValue::None},
    {"  -d, --debug               Print debug information to stdout", UsageValue::None},
    {"  -p, --pause               Pause at exit", UsageValue::None},
    {"  -v, --version             Display version information and exit", UsageValue::None},
};

// The input extensions the examples of the usage text pick from.
static constexpr std::string_view kUsageInputExtensions[] = {"pic"};

static void PrintUsage(const std::string& title) {
  SetConsoleTitle(title);
  const std::string name = ProgramName();
  for (const UsageLine& line : kUsageLines) {
    std::string_view value;
    if (line.value == UsageValue::InputExtension) {
      const size_t pick =
          static_cast<size_t>(DrawRandomNumber()) % std::size(kUsageInputExtensions);
      value = kUsageInputExtensions[pick];
    } else if (line.value == UsageValue::OutputExtension) {
      value = kOutputFormats[0].extension;
    }
    PrintLine(SubstitutePlaceholders(line.text, name, value));
  }
}

// The banner spells the copyright sign "(c)", which every terminal font can show.
static std::string BannerCopyright(std::string_view notice) {
  constexpr std::string_view kSign = "\u00A9";
  std::string text(notice);
  for (size_t at = text.find(kSign); at != std::string::npos; at = text.find(kSign, at + 3))
    text.replace(at, kSign.size(), "(c)");
  return text;
}

static void RunMainFlow(const std::vector<std::string>& parameters) {
  const std::string title = TitleText(kProductName, kVersionNumber);
  if (parameters.empty()) return;  // the interactive edition is not part of this build

  ResetJob();
  SetDefaultSettings(true);
#ifdef QUILLMERE_TEST_CONVERTER_DEADLINE_MS
  // Only in the copy of the program built for the tests of a converter that never ends.
  gJob.converterDeadlineMs = QUILLMERE_TEST_CONVERTER_DEADLINE_MS;
#endif

  const std::string first = OptionName(parameters, 0);
  if (first == "-U" || first == "-T") return;
  if (first == "-V" || first == "--VERSION") {
    SetConsoleTitle(title);
    PrintLine(VersionText(kVersionNumber));
    return;
  }
  if (first == "-H" || first == "-?" || first == "--HELP") {
    PrintUsage(title);
    return;
  }

  const OptionPassResult pass = RunOptionPass(parameters);
  if (!pass.error.empty()) {
    SetConsoleTitle(title);
    PrintLine("Error: " + pass.error);
    if (pass.pause) WaitForKey();
    return;
  }
  if (!gJob.inputGiven) return;

  SetConsoleTitle(title);
  if (!pass.quiet) {
    PrintLine(title);
    PrintLine(BannerCopyright(kCopyrightNotice));
    PrintLine(kWebAddressLine);
    PrintLine(" ");
  }
  RunBatch(pass.quiet);
  if (pass.pause) {
    PrintLine("Press any key to exit.");
    WaitForKey();
  }
}

int main(int argc, char** argv) {
  IgnoreBrokenPipe();
  FreeImage_Initialise(FALSE);
  ilInit();
  iluInit();
  if (AcquireSingleInstance(TitleText(kProductName, kVersionNumber))) {
    RunMainFlow(std::vector<std::string>(argv + 1, argv + argc));
  }
  ilShutDown();
  FreeImage_DeInitialise();
  return 0;
}
