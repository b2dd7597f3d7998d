// The entry point of marrowickcmd: start-up, the dispatch on the first parameter, the option
// pass and the end sequence. The exit code is 0 on every path.
#include <FreeImage.h>
#include <IL/il.h>
#include <IL/ilu.h>

#include <string>
#include <vector>

#include "app/console.h"
#include "app/options.h"
#include "batch/driver.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/process.h"
#include "settings/formats.h"
#include "settings/settings.h"

static void PrintUsage(const std::string& title) {
  SetConsoleTitle(title);
  const std::string name = ProgramName();
  const std::string input(kInputFamilies[0]);
  const std::string output(kOutputFormats[0].extension);
  const char* const kLines[] = {
      " ",
      "Usage: %s1% -i <filename> [options]",
      " ",
      "  %s1% -i example.%s2%",
      "  %s1% -i c:\\tmp\\example.%s2%",
      "  %s1% -i c:\\tmp\\example.%s2% -o d:\\converted",
      "  %s1% -i c:\\tmp\\filelist.txt",
      "  %s1% -i c:\\tmp\\ -o d:\\converted --jpg-quality=95",
      "  %s1% -i c:\\tmp\\ -o d:\\converted -c %s3% --jpg-quality=95",
      " ",
      "Options:",
      " ",
      "  -h, -?, --help            Display this help and exit",
      "  -i FILE, --input=FILE     Set input file/list/folder",
      "  -o PATH, --output=PATH    Set output folder",
      "  -c STR, --conversion=STR  Set output extension, STR = (jpg | bmp | ...)",
      " ",
      "Advanced options:",
      " ",
      "  --width=NUM               Set output image width",
      "  --height=NUM              Set output image height",
      "  --filename-mask=STR       Define output filename format",
      "  --flip-horizontal         Flip output image horizontally",
      "  --flip-vertical           Flip output image vertically",
      "  --brightness=NUM          Set output image brightness, NUM = -100..100",
      "  --contrast=NUM            Set output image contrast, NUM = -100..100",
      "  --gamma=NUM               Set output image gamma, NUM = 0.01..9.99",
      "  --invert                  Invert output image",
      "  --greyscale               Greyscale output image",
      "  --profile=FILE            Set configuration file with required settings",
      "    ...                     Refer documentation for all available options",
      " ",
      "Other options:",
      " ",
      "  -q, --quiet               Don't print status messages to stdout",
      "  -d, --debug               Print debug information to stdout",
      "  -p, --pause               Pause at exit",
      "  -v, --version             Display version information and exit",
  };
  // Line 9 names the first output extension; the others name an input extension.
  for (const char* line : kLines) {
    PrintLine(SubstitutePlaceholders(line, name, input, output));
  }
}

static void RunMainFlow(const std::vector<std::string>& parameters) {
  const std::string title = TitleText(kProductName, kVersionNumber);
  if (parameters.empty()) return;  // the interactive edition is not part of this build

  ResetJob();
  SetDefaultSettings(true);

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
    PrintLine(kCopyrightNotice);
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
  FreeImage_Initialise(FALSE);
  ilInit();
  iluInit();
  if (AcquireSingleInstance(TitleText(kProductName, kVersionNumber))) {
    RunMainFlow(std::vector<std::string>(argv + 1, argv + argc));
  }
  FreeImage_DeInitialise();
  return 0;
}
