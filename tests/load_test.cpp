// Loading a PICT picture: through the converter, through the isolated FreeImage reader when
// the converter gives nothing, and never a hang, a crash or a file left behind.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "pipeline/load.h"
#include "platform/isolated.h"
#include "platform/process.h"
#include "tests/support/run_program.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

class FreeImageEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { FreeImage_Initialise(FALSE); }
  void TearDown() override { FreeImage_DeInitialise(); }
};
const auto* const kFreeImage = ::testing::AddGlobalTestEnvironment(new FreeImageEnvironment);

int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

// True when this process has no child left, running or zombie.
bool HasNoChildren() { return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Pixels as 24-bit rows, top row first, so pictures of any depth compare.
std::vector<std::string> Rows(FIBITMAP* dib) {
  Bitmap rgb(FreeImage_ConvertTo24Bits(dib));
  std::vector<std::string> rows;
  const unsigned width = FreeImage_GetWidth(rgb.get());
  for (int y = static_cast<int>(FreeImage_GetHeight(rgb.get())) - 1; y >= 0; --y)
    rows.emplace_back(reinterpret_cast<const char*>(FreeImage_GetScanLine(rgb.get(), y)),
                      width * 3);
  return rows;
}

// Chooses which `convert` LoadPicture finds, and gives each test a fresh temp folder.
class LoadPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* path = std::getenv("PATH")) savedPath_ = path;
    fs::create_directories(temp_);
    fs::create_directories(scratch_ / "none");
    fs::create_directories(scratch_ / "real");
    fs::create_symlink("/usr/bin/convert", scratch_ / "real/convert");
    fdsBefore_ = OpenDescriptors();
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    EXPECT_EQ(CountEntries(temp_), 0) << "left behind in the temp folder";
    EXPECT_EQ(OpenDescriptors(), fdsBefore_) << "descriptors leaked";
    EXPECT_TRUE(HasNoChildren()) << "a child was not reaped";
  }

  void UseRealConverter() { setenv("PATH", (scratch_ / "real").c_str(), 1); }
  void UseNoConverter() { setenv("PATH", (scratch_ / "none").c_str(), 1); }
  void UseFakeConverter(const std::string& script) {
    const std::string folder = scratch_ / "fake";
    fs::create_directories(folder);
    std::ofstream(folder + "/convert") << "#!/bin/sh\n" << script << "\n";
    chmod((folder + "/convert").c_str(), 0755);
    setenv("PATH", folder.c_str(), 1);
  }

  Bitmap Load(const std::string& path) { return LoadPicture(path, temp_); }
  // The converter alone, as the chain uses it for what our decoder refuses.
  Bitmap LoadWithConverter(const std::string& path) {
    return LoadThroughConverter(path, temp_ + "picture.tga");
  }
  // FreeImage's reader alone, as the chain uses it for what the other decoders refuse.
  Bitmap LoadWithReader(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return LoadWithFreeImage(std::string{std::istreambuf_iterator<char>(file), {}});
  }

  // The picture ImageMagick itself decodes, written to an unambiguous top-row-first PPM.
  Bitmap Reference(const std::string& path) {
    const std::string ppm = scratch_ / "reference.ppm";
    if (!RunProgram({"/usr/bin/convert", "-quiet", "pict:" + path, "-auto-orient", "ppm:" + ppm}))
      return nullptr;
    return Bitmap(FreeImage_Load(FIF_PPM, ppm.c_str(), 0));
  }

  ScratchFolder scratch_;
  std::string temp_ = scratch_ / "temp/";

 private:
  std::string savedPath_;
  int fdsBefore_ = 0;
};

const char* const kGradient = "pict-synthetic/im-rgb-80x60-gradient.pct";

// FreeImage's own reader hangs or overflows its heap on each of these. (It overflows on
// twelvemonkeys/FC10.PCT too, but whether that kills the child depends on the heap layout.)
const char* const kReaderKillers[] = {
    "pict-synthetic/bad-1byte.pct",
    "pict-synthetic/bad-text.pct",
    "pict-synthetic/bad-png-disguised.pct",
    "pict-synthetic/bad-header-only.pct",
    "pict-synthetic/bad-header-plus-frame.pct",
    "pict-synthetic/bad-negative-bounds.pct",
    "pict-synthetic/nohdr-hb-v1-1bit-64x32.pct",
    "pict-synthetic/bad-corrupt-packbits.pct",
    "pict-synthetic/hb-v1-bitsrect-1bit-160x120-grey.pct",
    "pict-synthetic/quirk-im-rgb-64x40-bytecounts.pct",
    "pict-real/pictsharp/pal1.pict",
};

}  // namespace

TEST_F(LoadPictureTest, ConverterPictureHasTheRightSizeAndComesTheRightWayUp) {
  UseRealConverter();
  for (const char* file : {"pict-synthetic/im-rgb-3x2.pct", kGradient,
                           "pict-synthetic/nb-pal16-320x200-redyellow.pct"}) {
    const Bitmap picture = LoadWithConverter(Corpus(file));
    const Bitmap reference = Reference(Corpus(file));
    ASSERT_TRUE(picture) << file;
    ASSERT_TRUE(reference) << file;
    EXPECT_EQ(FreeImage_GetWidth(picture.get()), FreeImage_GetWidth(reference.get())) << file;
    EXPECT_EQ(FreeImage_GetHeight(picture.get()), FreeImage_GetHeight(reference.get())) << file;
    EXPECT_EQ(Rows(picture.get()), Rows(reference.get())) << file;
  }
  // Only a picture whose top and bottom differ shows the orientation.
  const std::vector<std::string> rows = Rows(Reference(Corpus(kGradient)).get());
  EXPECT_NE(rows.front(), rows.back());
}

TEST_F(LoadPictureTest, OddCharactersInTheInputNameReachTheConverterIntact) {
  UseRealConverter();
  const std::string odd = scratch_ / "-a ‘b’ \"c\" $d [0] %e *.pct";
  ASSERT_TRUE(CopyFile(Corpus(kGradient), odd));
  const Bitmap picture = LoadWithConverter(odd);
  ASSERT_TRUE(picture);
  EXPECT_EQ(Rows(picture.get()), Rows(Reference(Corpus(kGradient)).get()));
}

TEST_F(LoadPictureTest, ReaderPictureCrossesFromTheChildUnchanged) {
  // On files it reads cleanly, FreeImage's reader can run in this process for comparison.
  const char* const kClean[] = {
      kGradient, "pict-synthetic/nb-pal16-320x200-redyellow.pct",
      "pict-synthetic/im-jpeg-97x61-q10.pct", "pict-synthetic/im-rgba-100x80-alpha50.pct",
      "pict-synthetic/im-rgb-251x17-odd.pct", "pict-real/pictsharp/pal2-grayscale.pict"};
  auto bytes = [](const void* data, size_t size) {
    return std::string(static_cast<const char*>(data), data ? size : 0);
  };
  UseNoConverter();
  for (const char* file : kClean) {
    const Bitmap direct(FreeImage_Load(FIF_PICT, Corpus(file).c_str(), 0));
    const Bitmap loaded = LoadWithReader(Corpus(file));
    ASSERT_TRUE(direct) << file;
    ASSERT_TRUE(loaded) << file;
    FIBITMAP* a = direct.get();
    FIBITMAP* b = loaded.get();
    EXPECT_EQ(FreeImage_GetBPP(a), FreeImage_GetBPP(b)) << file;
    EXPECT_EQ(FreeImage_GetWidth(a), FreeImage_GetWidth(b)) << file;
    EXPECT_EQ(FreeImage_GetHeight(a), FreeImage_GetHeight(b)) << file;
    EXPECT_EQ(FreeImage_GetColorType(a), FreeImage_GetColorType(b)) << file;
    EXPECT_EQ(bytes(FreeImage_GetPalette(a), FreeImage_GetColorsUsed(a) * sizeof(RGBQUAD)),
              bytes(FreeImage_GetPalette(b), FreeImage_GetColorsUsed(b) * sizeof(RGBQUAD)))
        << file;
    EXPECT_EQ(bytes(FreeImage_GetBits(a), FreeImage_GetPitch(a) * FreeImage_GetHeight(a)),
              bytes(FreeImage_GetBits(b), FreeImage_GetPitch(b) * FreeImage_GetHeight(b)))
        << file;
  }
}

TEST_F(LoadPictureTest, FilesThatHangOrCrashTheReaderFailWithinTheDeadline) {
  UseNoConverter();
  for (const char* file : kReaderKillers) {
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(LoadWithReader(Corpus(file))) << file;
    EXPECT_LT(SecondsSince(start), 6.0) << file;
  }
}

TEST_F(LoadPictureTest, ReaderSentRoundInACycleIsStoppedAtTheDeadline) {
  // A reserved opcode (0x00D0) whose length, -8, seeks back to the opcode before it: the
  // reader never reaches the end of the file, so only the time limit can stop it.
  std::ifstream source(Corpus("pict-synthetic/nb-pal16-320x200-redyellow.pct"), std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(source), {}};
  ASSERT_EQ(bytes.substr(552, 2), std::string("\x00\x01", 2)) << "first opcode moved";
  bytes.insert(552, "\x00\xD0\xFF\xFF\xFF\xF8", 6);
  const std::string cycle = scratch_ / "cycle.pct";
  std::ofstream(cycle, std::ios::binary) << bytes;
  UseNoConverter();
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(Load(cycle));
  EXPECT_GT(SecondsSince(start), 4.5);
  EXPECT_LT(SecondsSince(start), 7.0);
}

TEST_F(LoadPictureTest, EmptyOrMissingFileFailsAtOnce) {
  UseNoConverter();
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(Load(Corpus("pict-synthetic/bad-empty.pct")));
  EXPECT_FALSE(Load(scratch_ / "missing.pct"));
  EXPECT_LT(SecondsSince(start), 1.0);
}

TEST_F(LoadPictureTest, ConverterThatGivesNoUsablePictureFallsBackToTheReader) {
  // The last argument is "tga:PATH".
  const std::string target = "for last; do :; done; tga=${last#tga:}\n";
  const std::string blackTga = "/usr/bin/convert -size 7x7 xc:black \"tga:$tga\"\n";
  const std::pair<const char*, std::string> kConverters[] = {
      {"exits 0, writes nothing", "exit 0"},
      {"exits 0, writes an empty TGA", target + ": > \"$tga\"\nexit 0"},
      {"writes a TGA, exits 1", target + blackTga + "exit 1"},
      {"writes a TGA, dies", target + blackTga + "kill -9 $$"},
  };
  // Our decoder refuses an empty frame; FreeImage's reader takes the size of the pixels.
  const char* const kRefusedByOurDecoder = "pict-synthetic/bad-zero-frame.pct";
  for (const auto& [what, script] : kConverters) {
    UseFakeConverter(script);
    const Bitmap picture = Load(Corpus(kRefusedByOurDecoder));
    ASSERT_TRUE(picture) << what;
    EXPECT_EQ(FreeImage_GetWidth(picture.get()), 320u) << what;
    EXPECT_EQ(FreeImage_GetHeight(picture.get()), 200u) << what;
    EXPECT_EQ(CountEntries(temp_), 0) << what;
  }
  // The same TGA with status 0 is taken as it is: the checks above did see the fallback.
  UseFakeConverter(target + blackTga + "exit 0");
  const Bitmap picture = Load(Corpus(kRefusedByOurDecoder));
  ASSERT_TRUE(picture);
  EXPECT_EQ(FreeImage_GetWidth(picture.get()), 7u);
}

TEST_F(LoadPictureTest, OwnDecoderComesFirstAndStartsNoConverter) {
  const std::string marker = scratch_ / "converter-ran";
  UseFakeConverter(": > '" + marker + "'\nexit 1");
  const Bitmap picture = Load(Corpus(kGradient));
  ASSERT_TRUE(picture);
  EXPECT_EQ(FreeImage_GetBPP(picture.get()), 24u);
  EXPECT_EQ(Rows(picture.get()), Rows(Reference(Corpus(kGradient)).get()));
  EXPECT_FALSE(fs::exists(marker));
}

TEST_F(LoadPictureTest, ReaderAlphaOfZeroEverywhereBecomesOpaque) {
  UseNoConverter();
  auto alphas = [](FIBITMAP* dib) {
    std::vector<BYTE> values;
    for (unsigned y = 0; y < FreeImage_GetHeight(dib); ++y) {
      const BYTE* pixel = FreeImage_GetScanLine(dib, static_cast<int>(y));
      for (unsigned x = 0; x < FreeImage_GetWidth(dib); ++x) values.push_back(pixel[4 * x + 3]);
    }
    return values;
  };
  const Bitmap zero = LoadWithReader(Corpus("pict-real/pictsharp/rgb32.pict"));
  ASSERT_TRUE(zero);
  ASSERT_EQ(FreeImage_GetBPP(zero.get()), 32u);
  for (BYTE alpha : alphas(zero.get())) ASSERT_EQ(alpha, 255);
  // A real alpha channel stays as it is.
  const Bitmap half = LoadWithReader(Corpus("pict-synthetic/im-rgba-100x80-alpha50.pct"));
  ASSERT_TRUE(half);
  ASSERT_EQ(FreeImage_GetBPP(half.get()), 32u);
  for (BYTE alpha : alphas(half.get())) ASSERT_EQ(alpha, 128);
}

TEST_F(LoadPictureTest, WorksOnAWorkerThread) {
  UseNoConverter();
  Bitmap picture;
  std::thread worker([&] { picture = Load(Corpus(kGradient)); });
  worker.join();
  EXPECT_TRUE(picture);
}

TEST_F(LoadPictureTest, EveryCorpusFileLoadsOrFailsCleanly) {
  std::vector<std::string> files;
  for (const char* folder : {"pict-synthetic", "pict-real"})
    for (const auto& entry : fs::recursive_directory_iterator(Corpus(folder)))
      if (entry.is_regular_file() && entry.path().filename() != "MANIFEST.md")
        files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  ASSERT_GT(files.size(), 100u);
  // Each file through the whole chain, and through the reader alone, which meets every file
  // that crashes or hangs it.
  for (const bool withConverter : {true, false}) {
    int loaded = 0;
    for (const std::string& file : files) {
      withConverter ? UseRealConverter() : UseNoConverter();
      const Clock::time_point start = Clock::now();
      const Bitmap picture = Load(file);
      EXPECT_LT(SecondsSince(start), 10.0) << file;
      loaded += picture ? 1 : 0;
    }
    std::cout << (withConverter ? "with converter: " : "reader alone: ") << loaded << " of "
              << files.size() << " loaded\n";
  }
}

TEST(LoadIsolatedRun, RunawayAllocationFailsInTheChild) {
  const IsolatedResult run = RunIsolated(
      [](const IsolatedWriter&) {
        std::vector<char*> blocks;
        for (;;) blocks.push_back(new char[64 << 20]);  // throws once the limit is reached
        return true;
      },
      {.memoryBytes = 256 << 20});
  EXPECT_FALSE(run.completed);
  EXPECT_FALSE(run.timedOut);
}
