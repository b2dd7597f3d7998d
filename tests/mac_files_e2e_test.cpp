// --mac-files end to end: the pictures of the corpus's two BinHex files, in every wrapper and for
// any number of jobs, against the same resources taken out by Debian's hexbin and a reading of
// the resource map written here, converted as files; a run without the option as before; and
// damaged wrappers, one reason line each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "tests/support/corpus.h"
#include "tests/support/mac_wrappers.h"
#include "tests/support/run_program.h"

namespace fs = std::filesystem;

namespace {

bool HasLine(const std::string& output, const std::string& line) {
  const std::vector<std::string> lines = Lines(output);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A big-endian number of size bytes at offset (std::string::at throws past the end, which
// fails the test).
uint32_t BigEndian(const std::string& bytes, size_t offset, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i)
    value = value << 8 | static_cast<uint8_t>(bytes.at(offset + static_cast<size_t>(i)));
  return value;
}

// The 'PICT' resources of a resource fork by id, read here from the format's description in
// Inside Macintosh, apart from the program's reader: the header's data and map offsets, the
// map's type list, each type's references (id, name, attributes and 24-bit data offset), and
// each resource's length word before its data.
std::map<int, std::string> PictsReadHere(const std::string& fork) {
  const uint32_t dataOffset = BigEndian(fork, 0, 4), mapOffset = BigEndian(fork, 4, 4);
  const size_t typeList = mapOffset + BigEndian(fork, mapOffset + 24, 2);
  std::map<int, std::string> picts;
  for (uint32_t type = 0; type <= BigEndian(fork, typeList, 2); ++type) {
    const size_t entry = typeList + 2 + 8 * type;
    if (fork.substr(entry, 4) != "PICT") continue;
    const size_t references = typeList + BigEndian(fork, entry + 6, 2);
    for (uint32_t i = 0; i <= BigEndian(fork, entry + 4, 2); ++i) {
      const size_t reference = references + 12 * i;
      const auto id = static_cast<int16_t>(BigEndian(fork, reference, 2));
      const size_t data = dataOffset + BigEndian(fork, reference + 5, 3);
      picts[id] = fork.substr(data + 4, BigEndian(fork, data, 4));
    }
  }
  return picts;
}

// The two forks of a BinHex file as Debian's hexbin (macutils) writes them.
MacForks HexbinForks(const std::string& folder, const std::string& hqx, const std::string& name) {
  const ProgramEnd end =
      RunProgram({"sh", "-c", "cd \"$1\" && exec hexbin -3 \"$2\"", "sh", folder, hqx}, 60000);
  EXPECT_TRUE(end) << "hexbin (Debian: macutils): " << DescribeProgramEnd(end, 60000);
  MacForks forks;
  forks.name = name;
  forks.type = "gliH";
  forks.creator = "ozm5";
  forks.dataFork = ReadFileBytes(folder + "/" + name + ".data").value_or("");
  forks.resourceFork = ReadFileBytes(folder + "/" + name + ".rsrc").value_or("");
  return forks;
}

// The pixels of a picture file as FreeImage reads them, row by row; empty when it cannot.
std::string Pixels(const std::string& path) {
  FIBITMAP* picture = LoadAny(path);
  if (!picture) return {};
  const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
  const unsigned rowBytes = FreeImage_GetLine(picture);
  std::string pixels = std::to_string(width) + "x" + std::to_string(height) + "@" +
                       std::to_string(FreeImage_GetBPP(picture)) + ":";
  for (unsigned y = 0; y < height; ++y)
    pixels.append(reinterpret_cast<const char*>(FreeImage_GetScanLine(picture, int(y))), rowBytes);
  FreeImage_Unload(picture);
  return pixels;
}

// "House/id" of an output named "House.PICT-id.png" or "House.PICT-id Name.png".
std::string PictureOf(const std::string& outputName) {
  static const std::regex kName(R"((.+)\.PICT-(-?[0-9]+)( [^/]*)?\.png)");
  std::smatch match;
  if (!std::regex_match(outputName, match, kName)) return "not a resource's name: " + outputName;
  return match[1].str() + "/" + match[2].str();
}

constexpr const char* kHouses[] = {"Demo House", "In The Mirror"};

TEST(MacFiles, CorpusHousesGiveTheirPicturesInEveryWrapperForAnyJobs) {
  REQUIRE_CORPUS();
  const ScratchFolder scratch;
  for (const char* folder : {"hqx", "forks", "reference", "referenceOut", "bin", "single", "double",
                             "macosx/__MACOSX", "rsrc", "all"})
    fs::create_directories(scratch / folder);

  // The pictures taken out by hand, converted as files of their own.
  std::map<std::string, MacForks> forks;
  for (const std::string house : kHouses) {
    const std::string hqx = Corpus("containers/" + house + ".hqx");
    ASSERT_TRUE(CopyFile(hqx, scratch / ("hqx/" + house + ".hqx")));
    std::string hexbinName = house;
    std::replace(hexbinName.begin(), hexbinName.end(), ' ', '_');
    forks[house] = HexbinForks(scratch / "forks", hqx, hexbinName);
    forks[house].name = house;
    for (const auto& [id, data] : PictsReadHere(forks[house].resourceFork))
      ASSERT_TRUE(
          WriteFileBytes(scratch / ("reference/" + house + "." + std::to_string(id) + ".pct"),
                         std::string(512, '\0') + data));
  }
  const RunResult reference =
      RunMarrowick({"-i", scratch / "reference", "-o", scratch / "referenceOut", "-c", "png"});
  ASSERT_TRUE(HasLine(reference.output, "Files converted: 34 of 34")) << reference.output;
  std::map<std::string, std::string> expected;  // "House/id" -> pixels
  for (const auto& [name, bytes] : FileBytesBelow(scratch / "referenceOut/")) {
    const size_t dot = name.find('.');
    expected[name.substr(0, dot) + "/" + name.substr(dot + 1, name.rfind('.') - dot - 1)] =
        Pixels(scratch / ("referenceOut/" + name));
  }
  ASSERT_EQ(expected.size(), 34u);

  // The same forks in the other wrappers; an AppleDouble sidecar beside its data fork, or in
  // the __MACOSX/ of a zip file beside it.
  for (const std::string house : kHouses) {
    const MacForks& f = forks[house];
    ASSERT_TRUE(WriteFileBytes(scratch / ("bin/" + house + ".bin"), MacBinary(f, 2)));
    ASSERT_TRUE(WriteFileBytes(scratch / ("single/" + house + ".as"), AppleSingle(f)));
    ASSERT_TRUE(WriteFileBytes(scratch / ("double/" + house), f.dataFork));
    ASSERT_TRUE(WriteFileBytes(scratch / ("double/._" + house), AppleDouble(f)));
    ASSERT_TRUE(WriteFileBytes(scratch / ("macosx/" + house), f.dataFork));
    ASSERT_TRUE(WriteFileBytes(scratch / ("macosx/__MACOSX/._" + house), AppleDouble(f)));
    ASSERT_TRUE(WriteFileBytes(scratch / ("rsrc/" + house + ".rsrc"), f.resourceFork));
  }
  std::map<std::string, std::string> firstRun;
  for (const auto& [folder, jobs] :
       std::vector<std::pair<std::string, std::string>>{{"hqx", "1"},
                                                        {"hqx", "3"},
                                                        {"bin", "2"},
                                                        {"single", "2"},
                                                        {"double", "2"},
                                                        {"macosx", "3"},
                                                        {"rsrc", "1"}}) {
    const std::string label = folder + " with " + jobs + " jobs";
    const std::string out = scratch / ("out-" + folder + "-" + jobs + "/");
    fs::create_directories(out);
    const RunResult run = RunMarrowick({"-i", scratch / folder, "-o", out, "-c", "png",
                                        "--mac-files", "--exit-status", "--jobs=" + jobs});
    EXPECT_EQ(run.exitCode, 0) << label << "\n" << run.errors;
    EXPECT_TRUE(HasLine(run.output, "Files converted: 34 of 34")) << label << "\n" << run.output;
    EXPECT_EQ(run.errors, "") << label;
    const std::map<std::string, std::string> files = FileBytesBelow(out);
    std::map<std::string, std::string> pictures;
    for (const auto& [name, bytes] : files) pictures[PictureOf(name)] = Pixels(out + name);
    EXPECT_EQ(pictures.size(), 34u) << label;
    for (const auto& [picture, pixels] : expected)
      EXPECT_TRUE(pictures.contains(picture) && pictures.at(picture) == pixels)
          << label << ": " << picture;
    // The same names and bytes from every wrapper and for any number of jobs.
    if (firstRun.empty()) firstRun = files;
    EXPECT_EQ(files, firstRun) << label;
  }

  // Without --mac-files a folder holding all of them and one picture file converts that one.
  for (const char* folder : {"hqx", "bin", "single", "double", "macosx", "rsrc"})
    fs::copy(scratch / folder, scratch / ("all/" + std::string(folder)),
             fs::copy_options::recursive);
  ASSERT_TRUE(
      CopyFile(fs::directory_iterator(scratch / "reference")->path(), scratch / "all/a.pct"));
  const RunResult without =
      RunMarrowick({"-i", scratch / "all", "-o", scratch / "all", "-c", "png", "--exit-status"});
  EXPECT_EQ(without.exitCode, 0) << without.errors;
  EXPECT_TRUE(HasLine(without.output, "Import complete, new files added: 1")) << without.output;
  EXPECT_TRUE(HasLine(without.output, "Files converted: 1 of 1")) << without.output;
  EXPECT_EQ(without.errors, "");
}

std::string Patched(std::string bytes, size_t offset, const std::string& replacement) {
  bytes.replace(offset, replacement.size(), replacement);
  return bytes;
}

std::string U32Bytes(uint32_t value) {
  std::string bytes;
  PutU32(bytes, value);
  return bytes;
}

// Damaged wrappers say why, one line each, and fail the exit status; the pictures beside them
// convert, a resource no decoder reads fails with its own reason line, and without --mac-files a
// sidecar named like a picture fails with a reason that names the option.
TEST(MacFiles, DamagedWrappersAndFailedResourcesSayWhy) {
  const ScratchFolder scratch;
  const std::string in = scratch / "in/";
  fs::create_directories(in);
  const MacForks sample = SampleMacFile();
  const auto withFork = [&sample](std::string fork) {
    MacForks forks = sample;
    forks.resourceFork = std::move(fork);
    return MacBinary(forks, 2);
  };
  const std::string pictFork =
      ResourceForkWriter().Add("PICT", 128, sample.dataFork.substr(512)).Bytes();
  ResourceForkWriter many;
  for (int id = 0; id < 100000; ++id) many.Add(id < 50000 ? "PICT" : "junk", id % 50000, "");
  std::string stream = BinHexStream(sample);
  stream[3] = static_cast<char>(stream[3] ^ 1);
  const struct {
    std::string name, bytes, reason;
  } kDamaged[] = {
      {"crc.hqx", BinHexText(stream), "BinHex 4.0: the header fails its CRC"},
      {"many.bin", withFork(many.Bytes()),
       "resource map: 100000 resources, more than the reader allows (16384)"},
      {"map.bin", withFork(Patched(pictFork, 4, U32Bytes(0x7FFFFFF0))),
       "resource fork: the map lies outside the fork"},
      {"past.bin", withFork(Patched(pictFork, LayoutOf(pictFork).dataOffset, U32Bytes(1 << 30))),
       "resource map: the data of 'PICT' 128 run past the end of the data area"},
  };
  for (const auto& damaged : kDamaged)
    ASSERT_TRUE(WriteFileBytes(in + damaged.name, damaged.bytes));
  ASSERT_TRUE(WriteFileBytes(in + "good.bin", MacBinary(sample, 2)));  // data fork and 3 PICTs
  MacForks junk = sample;  // of another type: only its resource is a picture
  junk.type = "TEXT";
  junk.resourceFork =
      ResourceForkWriter().Add("PICT", 7, std::string(600, 'x')).Add("PICT", 8, "").Bytes();
  ASSERT_TRUE(WriteFileBytes(in + "junk.bin", MacBinary(junk, 2)));
  const RunResult run =
      RunMarrowick({"-i", in, "-o", scratch.path(), "-c", "png", "--mac-files", "--exit-status"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(HasLine(run.output, "Files converted: 4 of 6")) << run.output;
  std::vector<std::string> errors = Lines(run.errors);
  ASSERT_EQ(errors.size(), std::size(kDamaged) + 2) << run.errors;
  for (size_t i = 0; i < std::size(kDamaged); ++i)
    EXPECT_EQ(errors[i], "marrowickcmd: " + in + kDamaged[i].name + ": " + kDamaged[i].reason);
  EXPECT_TRUE(errors[std::size(kDamaged)].starts_with(
      "marrowickcmd: " + in + "junk.bin (PICT 7): no decoder could read it (our decoder: "))
      << run.errors;
  // An empty resource costs no reader a try.
  EXPECT_EQ(errors.back(), "marrowickcmd: " + in + "junk.bin (PICT 8): the resource is empty");
  EXPECT_TRUE(fs::exists(scratch / "good.PICT-128 Caf\xC3\xA9 \xE2\x84\xA2.png"));
  EXPECT_TRUE(fs::exists(scratch / "good.png"));  // the data fork, whose type is 'PICT'

  const ScratchFolder sidecars;
  ASSERT_TRUE(WriteFileBytes(sidecars / "food.pct", sample.dataFork));
  ASSERT_TRUE(WriteFileBytes(sidecars / "._food.pct", AppleDouble(sample)));
  const RunResult plain = RunMarrowick({"-i", sidecars.path(), "-c", "png", "--exit-status"});
  EXPECT_EQ(plain.exitCode, 1);
  EXPECT_TRUE(HasLine(plain.output, "Files converted: 1 of 2")) << plain.output;
  EXPECT_EQ(plain.errors, "marrowickcmd: " + sidecars.path() +
                              "._food.pct: an AppleDouble sidecar (the resource fork of the file "
                              "beside it), not a picture; --mac-files converts the pictures it "
                              "holds\n");
}

}  // namespace
