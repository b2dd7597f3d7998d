// The picture's resolution in the files written: a 300 x 150 dpi picture is labelled so, after
// the steps that change it (a quarter turn swaps it, a resize keeps the physical size,
// --pict-scale multiplies it), as another reader, ImageMagick's identify, reads it back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/pict_writer.h"
#include "tests/support/run_program.h"

namespace fs = std::filesystem;

namespace {

// identify's resolution of the file, in dots per inch, rounded: "300x150".
std::string IdentifiedDpi(const std::string& path) {
  std::string output;
  FILE* pipe = popen(("identify -units PixelsPerInch -format '%[fx:round(resolution.x)]x"
                      "%[fx:round(resolution.y)]' '" +
                      path + "' 2>/dev/null")
                         .c_str(),
                     "r");
  char buffer[256];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (pipe) pclose(pipe);
  return output;
}

TEST(Resolution, OutputsCarryThePicturesResolutionThroughTheSteps) {
  ScratchFolder scratch;
  // 80 x 40 pixels recorded at 300 x 150 dpi: a frame of 20 x 20 points.
  const std::string input = scratch / "hires.pct";
  ASSERT_TRUE(PictWriter()
                  .ExtendedVersion2(300, 150, {0, 0, 80, 40})
                  .Frame(0, 0, 20, 20)
                  .End()
                  .Save(input));
  struct Case {
    std::vector<std::string> options;
    const char* dpi;
  } kCases[] = {
      {{}, "300x150"},
      {{"--width=50", "--height=50", "--width-unit=percent", "--height-unit=percent"}, "150x75"},
      {{"--width=160", "--height=80"}, "600x300"},
      {{"--rotation=90"}, "150x300"},
      {{"--pict-scale=2"}, "600x300"},
  };
  for (const char* extension : {"png", "bmp", "jpg", "tiff", "pcx"}) {
    for (const Case& c : kCases) {
      const std::string out = scratch / "out/";
      fs::remove_all(out);
      fs::create_directories(out);
      std::vector<std::string> arguments = {"-i", input, "-o", out, "-c", extension, "-q"};
      arguments.insert(arguments.end(), c.options.begin(), c.options.end());
      const RunResult run = RunMarrowick(arguments);
      ASSERT_EQ(run.errors, "") << extension;
      EXPECT_EQ(IdentifiedDpi(out + "hires." + extension), c.dpi)
          << extension << " " << (c.options.empty() ? "" : c.options[0]);
    }
  }
}

}  // namespace
