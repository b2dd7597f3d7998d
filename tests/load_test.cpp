// Loading a PICT picture: through the converter, through the isolated FreeImage reader when
// the converter gives nothing, and never a hang, a crash or a file left behind.
#include "pipeline/load.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/files.h"
#include "platform/isolated.h"
#include "platform/process.h"
#include "settings/settings.h"  // kConverterDeadlineMs
#include "tests/support/corpus.h"
#include "tests/support/pict_writer.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

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

  Bitmap Load(const std::string& path, int scale = 1) {
    return LoadPicture(path, temp_, kConverterDeadlineMs, scale).picture;
  }
  // The converter alone, as the chain uses it for what our decoder refuses.
  Bitmap LoadWithConverter(const std::string& path, int deadlineMs = kConverterDeadlineMs) {
    std::string said;
    return LoadThroughConverter(path, temp_, deadlineMs, said);
  }
  // FreeImage's reader alone, as the chain uses it for what the other decoders refuse.
  Bitmap LoadWithReader(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string said;
    return LoadWithFreeImage(std::string{std::istreambuf_iterator<char>(file), {}}, said);
  }

  // Writes a test picture into the scratch folder; its path.
  std::string Write(TestPicture picture) {
    std::ostringstream name;
    name << picture << ".pct";
    const std::string path = scratch_ / name.str();
    EXPECT_TRUE(WriteTestPicture(picture, path)) << picture;
    return path;
  }
  std::string Write(const std::string& name, const PictWriter& pict) {
    const std::string path = scratch_ / name;
    EXPECT_TRUE(pict.Save(path)) << name;
    return path;
  }

  // The picture ImageMagick itself decodes, written to an unambiguous top-row-first PPM.
  Bitmap Reference(const std::string& path) {
    const std::string ppm = scratch_ / "reference.ppm";
    if (!RunProgram({"/usr/bin/convert", "-quiet", "pict:" + path, "-auto-orient", "ppm:" + ppm},
                    kConverterDeadlineMs))
      return nullptr;
    return Bitmap(FreeImage_Load(FIF_PPM, ppm.c_str(), 0));
  }

  ScratchFolder scratch_;
  std::string temp_ = scratch_ / "temp/";

 private:
  std::string savedPath_;
  int fdsBefore_ = 0;
};

// A 10 x 4 picture of one 32-bit DirectBitsRect with an alpha plane, every pixel 0xAARRGGBB.
PictWriter AlphaPict(uint32_t colour) {
  PixmapPlan plan;
  plan.depth = 32;
  plan.width = 10;
  plan.height = 4;
  plan.pixels.assign(40, colour);
  plan.components = 4;
  return PictWriter().Frame(0, 0, 10, 4).Pixmap(plan).End();
}

// An AlphaPict whose frame is empty: our decoder refuses it, FreeImage's reader does not.
PictWriter ZeroFramePict() {
  PictWriter pict = AlphaPict(0xFF336699);
  return pict.Frame(0, 0, 0, 0);
}

// An indexed picture of depth 1, 2, 4 or 8 with a full colour table, every pixel different from
// its neighbours. FreeImage's reader overflows its heap on every depth below 8.
PictWriter IndexedPict(int depth) {
  PixmapPlan plan;
  plan.depth = depth;
  plan.width = 33;
  plan.height = 7;
  for (uint32_t i = 0; i < (1u << depth); ++i) plan.palette.push_back(0x0F1F2Fu * i % 0xFFFFFF);
  for (int y = 0; y < plan.height; ++y)
    for (int x = 0; x < plan.width; ++x)
      plan.pixels.push_back(static_cast<uint32_t>(x + 3 * y) % (1u << depth));
  return PictWriter().Frame(0, 0, plan.width, plan.height).Pixmap(plan).End();
}

// The reader in the child and the reader in this process give the same bitmap.
void ExpectSameAsDirectRead(const std::string& file, const Bitmap& loaded) {
  auto bytes = [](const void* data, size_t size) {
    return std::string(static_cast<const char*>(data), data ? size : 0);
  };
  const Bitmap direct(FreeImage_Load(FIF_PICT, file.c_str(), 0));
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
  for (TestPicture kind : {TestPicture::Orange, TestPicture::Gradient, TestPicture::RedYellow}) {
    const std::string file = Write(kind);
    const Bitmap picture = LoadWithConverter(file);
    const Bitmap reference = Reference(file);
    ASSERT_TRUE(picture) << kind;
    ASSERT_TRUE(reference) << kind;
    EXPECT_EQ(FreeImage_GetWidth(picture.get()), FreeImage_GetWidth(reference.get())) << kind;
    EXPECT_EQ(FreeImage_GetHeight(picture.get()), FreeImage_GetHeight(reference.get())) << kind;
    EXPECT_EQ(Rows(picture.get()), Rows(reference.get())) << kind;
  }
  // Only a picture whose top and bottom differ shows the orientation.
  const std::vector<std::string> rows = Rows(Reference(Write(TestPicture::Gradient)).get());
  EXPECT_NE(rows.front(), rows.back());
}

TEST_F(LoadPictureTest, OddCharactersInTheInputNameReachTheConverterIntact) {
  UseRealConverter();
  const std::string gradient = Write(TestPicture::Gradient);
  const std::string odd = scratch_ / "-a ‘b’ \"c\" $d [0] %e *.pct";
  ASSERT_TRUE(CopyFile(gradient, odd));
  const Bitmap picture = LoadWithConverter(odd);
  ASSERT_TRUE(picture);
  EXPECT_EQ(Rows(picture.get()), Rows(Reference(gradient).get()));
}

TEST_F(LoadPictureTest, ReaderPictureCrossesFromTheChildUnchanged) {
  // On files it reads cleanly, FreeImage's reader can run in this process for comparison.
  UseNoConverter();
  for (TestPicture kind :
       {TestPicture::Gradient, TestPicture::Odd, TestPicture::Ramp, TestPicture::RedYellow}) {
    const std::string file = Write(kind);
    ExpectSameAsDirectRead(file, LoadWithReader(file));
  }
  const std::string indexed = Write("indexed.pct", IndexedPict(8));
  ExpectSameAsDirectRead(indexed, LoadWithReader(indexed));
  const std::string alpha = Write("alpha.pct", AlphaPict(0x80336699));
  ExpectSameAsDirectRead(alpha, LoadWithReader(alpha));
}

TEST_F(LoadPictureTest, CorpusPicturesCrossFromTheChildUnchanged) {
  REQUIRE_CORPUS();
  UseNoConverter();
  for (const char* file :
       {"pict-synthetic/im-jpeg-97x61-q10.pct", "pict-synthetic/im-rgba-100x80-alpha50.pct",
        "pict-real/pictsharp/pal2-grayscale.pict"})
    ExpectSameAsDirectRead(Corpus(file), LoadWithReader(Corpus(file)));
}

TEST_F(LoadPictureTest, FilesThatHangOrCrashTheReaderFailWithinTheDeadline) {
  UseNoConverter();
  // The reader hangs on a text file and overflows its heap on indexed pictures of fewer than
  // 8 bits.
  const std::string kFiles[] = {Write(TestPicture::Text), Write("indexed1.pct", IndexedPict(1)),
                                Write("indexed2.pct", IndexedPict(2)),
                                Write("indexed4.pct", IndexedPict(4))};
  for (const std::string& file : kFiles) {
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(LoadWithReader(file)) << file;
    EXPECT_LT(SecondsSince(start), 6.0) << file;
  }
}

TEST_F(LoadPictureTest, CorpusFilesThatHangOrCrashTheReaderFailWithinTheDeadline) {
  REQUIRE_CORPUS();
  UseNoConverter();
  for (const char* file : kReaderKillers) {
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(LoadWithReader(Corpus(file))) << file;
    EXPECT_LT(SecondsSince(start), 6.0) << file;
  }
}

TEST_F(LoadPictureTest, ReaderSentRoundInACycleIsStoppedAtTheDeadline) {
  // A reserved opcode (0x00D0) whose length, -8, seeks back to the last word of the header,
  // a NOP before it: the reader never reaches the end of the file, so only the time limit can
  // stop it.
  PixmapPlan plan;
  plan.width = 8;
  plan.height = 2;
  plan.pixels.assign(16, 1);
  plan.palette = {0x000000, 0xFF0000};
  const std::string cycle = Write(
      "cycle.pct", PictWriter().Frame(0, 0, 8, 2).Op(0x00D0).U32(0xFFFFFFF8).Pixmap(plan).End());
  UseNoConverter();
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(Load(cycle));
  EXPECT_GT(SecondsSince(start), 4.5);
  EXPECT_LT(SecondsSince(start), 7.0);
}

TEST_F(LoadPictureTest, EmptyOrMissingFileFailsAtOnce) {
  UseNoConverter();
  const Clock::time_point start = Clock::now();
  const std::string empty = scratch_ / "empty.pct";
  std::ofstream{empty};
  EXPECT_FALSE(Load(empty));
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
  const std::string refused = Write("zero-frame.pct", ZeroFramePict());
  for (const auto& [what, script] : kConverters) {
    UseFakeConverter(script);
    const Bitmap picture = Load(refused);
    ASSERT_TRUE(picture) << what;
    EXPECT_EQ(FreeImage_GetWidth(picture.get()), 10u) << what;
    EXPECT_EQ(FreeImage_GetHeight(picture.get()), 4u) << what;
    EXPECT_EQ(CountEntries(temp_), 0) << what;
  }
  // The same TGA with status 0 is taken as it is: the checks above did see the fallback.
  UseFakeConverter(target + blackTga + "exit 0");
  const Bitmap picture = Load(refused);
  ASSERT_TRUE(picture);
  EXPECT_EQ(FreeImage_GetWidth(picture.get()), 7u);
}

TEST_F(LoadPictureTest, ConverterIsStoppedAtTheDeadlineWithAllItStarted) {
  // Each converter leaves a process of its own in the background; it must not outlive the call.
  const OrphanCatcher orphans;
  const std::string pidFile = scratch_ / "background.pid";
  const std::string background = "/bin/sleep 1000 &\necho $! > '" + pidFile + "'\n";
  struct Case {
    const char* what;
    std::string script;
    int deadlineMs;
    bool picture;  // whether the converter's TGA comes back
  };
  const Case kCases[] = {
      {"never ends", background + "exec /bin/sleep 1000", 300, false},
      {"ends in time", background + "exec /usr/bin/convert \"$@\"", kConverterDeadlineMs, true},
  };
  for (const Case& c : kCases) {
    UseFakeConverter(c.script);
    const std::string gradient = Write(TestPicture::Gradient);
    const Clock::time_point start = Clock::now();
    const Bitmap picture = LoadWithConverter(gradient, c.deadlineMs);
    EXPECT_EQ(static_cast<bool>(picture), c.picture) << c.what;
    if (picture) {
      EXPECT_EQ(FreeImage_GetWidth(picture.get()), 80u) << c.what;
    }
    EXPECT_TRUE(c.picture || SecondsSince(start) >= 0.3) << c.what << ": not stopped in time";
    EXPECT_TRUE(orphans.AwaitEnd(pidFile)) << c.what << ": left running";
    EXPECT_EQ(CountEntries(temp_), 0) << c.what;
  }
}

TEST_F(LoadPictureTest, OwnDecoderComesFirstAndStartsNoConverter) {
  const std::string marker = scratch_ / "converter-ran";
  UseFakeConverter(": > '" + marker + "'\nexit 1");
  const std::string gradient = Write(TestPicture::Gradient);
  const Bitmap picture = Load(gradient);
  ASSERT_TRUE(picture);
  EXPECT_EQ(FreeImage_GetBPP(picture.get()), 24u);
  EXPECT_EQ(Rows(picture.get()), Rows(Reference(gradient).get()));
  EXPECT_FALSE(fs::exists(marker));
}

// A file our decoder drew a part of before damage comes back as that part, with the damage,
// and no other reader is asked; one damaged before anything was drawn is a refusal like any
// other, which the converter gets.
TEST_F(LoadPictureTest, DamagedPictureComesBackWithoutAskingTheOtherReaders) {
  const std::string marker = scratch_ / "converter-ran";
  UseFakeConverter(": > '" + marker + "'\nexit 1");
  PixmapPlan plan;
  plan.depth = 32;
  plan.width = 20;
  plan.height = 40;
  for (int i = 0; i < 800; ++i) plan.pixels.push_back(uint32_t(i * 0x010203));
  const std::vector<uint8_t> whole = PictWriter().Frame(0, 0, 20, 40).Pixmap(plan).End().Bytes();
  const struct {
    const char* what;
    size_t size;
    bool drawn;
  } cases[] = {
      {"cut in its rows", whole.size() / 2, true},
      {"cut before its first row", 512 + 40 + 40, false},
  };
  for (const auto& c : cases) {
    fs::remove(marker);
    const std::string file = scratch_ / "cut.pct";
    ASSERT_TRUE(
        WriteFileBytes(file, std::string(whole.begin(), whole.begin() + ptrdiff_t(c.size))));
    const LoadResult result = LoadPicture(file, temp_, kConverterDeadlineMs);
    EXPECT_EQ(static_cast<bool>(result.picture), c.drawn) << c.what;
    EXPECT_EQ(fs::exists(marker), !c.drawn) << c.what << ": the converter";
    EXPECT_EQ(result.reports.size(), c.drawn ? 1u : 3u) << c.what << ": " << result.Account();
    EXPECT_EQ(result.IsDamaged(), c.drawn) << c.what;
    EXPECT_EQ(result.reports.front().said.rfind("damaged at byte ", 0), 0u) << result.Account();
    if (c.drawn) {
      EXPECT_EQ(FreeImage_GetHeight(result.picture.get()), 40u);
      EXPECT_LE(result.notes.damage->offset, c.size);
    }
  }
}

// The converter runs within ImageMagick's limits, given in its environment, its arguments as
// they were; a picture that does not fit in them fails with that reason.
TEST_F(LoadPictureTest, ConverterRunsWithinItsLimitsAndSaysWhenAPictureDoesNotFit) {
  const std::string seen = scratch_ / "seen";
  UseFakeConverter("/usr/bin/env | /bin/grep '^MAGICK_' | LC_ALL=C /usr/bin/sort > '" + seen +
                   "'\nprintf '%s\\n' \"$@\" >> '" + seen + "'\nexec /usr/bin/convert \"$@\"");
  const std::string gradient = Write(TestPicture::Gradient);
  ASSERT_TRUE(LoadWithConverter(gradient));
  std::vector<std::string> lines;
  std::istringstream text(ReadFileBytes(seen).value_or(""));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  std::vector<std::string> wanted(std::begin(kConverterLimits), std::end(kConverterLimits));
  wanted.push_back("MAGICK_TEMPORARY_PATH=" + AbsolutePath(temp_));
  std::sort(wanted.begin(), wanted.end());
  for (const char* argument : {"-quiet", "-colorspace", "sRGB", "-orient", "TopLeft"})
    wanted.push_back(argument);
  wanted.push_back("pict:" + AbsolutePath(gradient));
  ASSERT_EQ(lines.size(), wanted.size() + 1);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end() - 1), wanted);
  EXPECT_EQ(lines.back().rfind("tga:" + AbsolutePath(temp_), 0), 0u) << lines.back();

  // A frame of 12000 x 12000 pixels: more than our decoder draws, and 1.1 GB of ImageMagick's
  // pixel cache, which fits in none of its limits.
  UseRealConverter();
  const std::string huge = Write("huge.pct", PictWriter().Frame(0, 0, 12000, 12000).End());
  std::string said;
  EXPECT_FALSE(LoadThroughConverter(huge, temp_, kConverterDeadlineMs, said));
  EXPECT_EQ(said, "the picture does not fit in the memory and disk it may use (exit status 1)");
  // One that fits in them is read within them, its pixel cache on disk in the temp folder.
  const std::string large = Write("large.pct", PictWriter().Frame(0, 0, 4200, 4200).End());
  const Bitmap picture = LoadWithConverter(large);
  ASSERT_TRUE(picture);
  EXPECT_EQ(FreeImage_GetWidth(picture.get()), 4200u);
}

// Whichever decoder reads a file, a scale gives a picture that many times the frame: ours draws
// it anew, the converter's and the reader's 72-dpi pictures are enlarged pixel by pixel at the
// depth and with the palette they came in.
TEST_F(LoadPictureTest, EveryDecoderGivesThePictureAtTheScale) {
  // Each pixel of small at (x, y) must fill the scale x scale block at (x, y) * scale of large.
  const auto expectEnlarged = [](FIBITMAP* small, FIBITMAP* large, int scale, const char* what) {
    ASSERT_EQ(FreeImage_GetWidth(large), FreeImage_GetWidth(small) * unsigned(scale)) << what;
    ASSERT_EQ(FreeImage_GetHeight(large), FreeImage_GetHeight(small) * unsigned(scale)) << what;
    ASSERT_EQ(FreeImage_GetBPP(large), FreeImage_GetBPP(small)) << what;
    ASSERT_EQ(FreeImage_GetColorsUsed(large), FreeImage_GetColorsUsed(small)) << what;
    if (FreeImage_GetColorsUsed(small) > 0) {
      EXPECT_EQ(std::memcmp(FreeImage_GetPalette(large), FreeImage_GetPalette(small),
                            FreeImage_GetColorsUsed(small) * sizeof(RGBQUAD)),
                0)
          << what;
    }
    const unsigned bytes = FreeImage_GetBPP(small) / 8;
    for (unsigned y = 0; y < FreeImage_GetHeight(large); ++y)
      for (unsigned x = 0; x < FreeImage_GetWidth(large); ++x)
        ASSERT_EQ(
            std::memcmp(FreeImage_GetScanLine(large, int(y)) + x * bytes,
                        FreeImage_GetScanLine(small, int(y) / scale) + x / unsigned(scale) * bytes,
                        bytes),
            0)
            << what << ": pixel " << x << "," << y;
  };
  struct Case {
    const char* what;
    std::string file;
    bool converter;
  };
  const Case cases[] = {
      {"the converter's picture", Write(TestPicture::ConverterOnly), true},
      {"the reader's picture", Write(TestPicture::ReaderOnly), false},
      // An empty frame: our decoder refuses it, the reader reads the pixels all the same.
      {"the reader's palette picture", Write("indexed.pct", IndexedPict(8).Frame(0, 0, 0, 0)),
       false},
  };
  for (const Case& c : cases) {
    if (c.converter)
      UseRealConverter();
    else
      UseNoConverter();
    const Bitmap plain = Load(c.file);
    ASSERT_TRUE(plain) << c.what;
    for (int scale : {2, 3}) expectEnlarged(plain.get(), Load(c.file, scale).get(), scale, c.what);
  }
  // Our own decoder's picture comes at the scale too (how it draws is its own tests' matter).
  UseNoConverter();
  const std::string gradient = Write(TestPicture::Gradient);
  const Bitmap plain = Load(gradient), scaled = Load(gradient, 3);
  ASSERT_TRUE(plain);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(FreeImage_GetWidth(scaled.get()), 3 * FreeImage_GetWidth(plain.get()));
  EXPECT_EQ(FreeImage_GetHeight(scaled.get()), 3 * FreeImage_GetHeight(plain.get()));
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
  const Bitmap zero = LoadWithReader(Write("zero.pct", AlphaPict(0x00336699)));
  ASSERT_TRUE(zero);
  ASSERT_EQ(FreeImage_GetBPP(zero.get()), 32u);
  for (BYTE alpha : alphas(zero.get())) ASSERT_EQ(alpha, 255);
  // A real alpha channel stays as it is.
  const Bitmap half = LoadWithReader(Write("half.pct", AlphaPict(0x80336699)));
  ASSERT_TRUE(half);
  ASSERT_EQ(FreeImage_GetBPP(half.get()), 32u);
  for (BYTE alpha : alphas(half.get())) ASSERT_EQ(alpha, 128);
}

TEST_F(LoadPictureTest, WorksOnAWorkerThread) {
  UseNoConverter();
  Bitmap picture;
  const std::string gradient = Write(TestPicture::Gradient);
  std::thread worker([&] { picture = Load(gradient); });
  worker.join();
  EXPECT_TRUE(picture);
}

TEST_F(LoadPictureTest, EveryCorpusFileLoadsOrFailsCleanly) {
  REQUIRE_CORPUS();
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
