// Macintosh files in their wrappers: recognition by content, the forks each wrapper gives back,
// the 'PICT' resources of the resource map, the refusal of damaged files, the path calls the
// program makes, and sidecars' data forks. Debian's hexbin (macutils) checks the BinHex reading
// and writing from outside.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "macfile/limits.h"
#include "macfile/mac_file.h"
#include "pict/sniff.h"
#include "platform/files.h"
#include "platform/process.h"
#include "tests/support/corpus.h"
#include "tests/support/mac_wrappers.h"
#include "tests/support/pict_writer.h"
#include "tests/support/run_program.h"

namespace {

using macfile::Wrapper;

std::span<const uint8_t> Span(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

// The 'PICT' resources of a fork as the tests compare them: id, name and data.
struct Pict {
  int id;
  std::string name, data;
  bool operator==(const Pict&) const = default;
};

std::vector<Pict> PictsOf(const std::string& fork) {
  std::string message;
  const auto resources = macfile::ReadPictResources(Span(fork), message);
  EXPECT_TRUE(resources) << message;
  std::vector<Pict> picts;
  for (const macfile::PictResource& resource :
       resources.value_or(std::vector<macfile::PictResource>{})) {
    const auto data = macfile::ResourceData(Span(fork), resource);
    picts.push_back({resource.id, resource.name, std::string(data.begin(), data.end())});
  }
  return picts;
}

// Unwrapped, or a failure of the test that names why not.
macfile::MacFile Unwrapped(const std::string& bytes, const std::string& label) {
  std::string message;
  std::optional<macfile::MacFile> file = macfile::UnwrapMacFile(Span(bytes), message);
  EXPECT_TRUE(file) << label << ": " << message;
  return file.value_or(macfile::MacFile{});
}

TEST(MacFile, EveryWrapperGivesTheSameForksAndResourcesByteForByte) {
  const MacForks forks = SampleMacFile();
  const std::vector<Pict> expected = PictsOf(forks.resourceFork);
  // In id order, with names from Mac OS Roman.
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_EQ(expected[0].id, -5);
  EXPECT_EQ(expected[0].name, "");
  EXPECT_EQ(expected[1].id, 128);
  EXPECT_EQ(expected[1].name, "Café ™");
  EXPECT_EQ(expected[2].id, 300);
  EXPECT_EQ(expected[2].name, "Room");
  for (const Pict& pict : expected) EXPECT_TRUE(pict::IsPictFile(Span(pict.data))) << pict.id;

  for (const WrappedFile& wrapped : EveryWrapper(forks)) {
    const std::string& label = wrapped.label;
    EXPECT_EQ(macfile::RecogniseWrapper(Span(wrapped.bytes), wrapped.bytes.size()), wrapped.wrapper)
        << label;
    const macfile::MacFile file = Unwrapped(wrapped.bytes, label);
    EXPECT_EQ(file.wrapper, wrapped.wrapper) << label;
    EXPECT_EQ(file.resourceFork, forks.resourceFork) << label;
    EXPECT_EQ(PictsOf(file.resourceFork), expected) << label;
    // What each wrapper says besides the resource fork.
    const bool named =
        wrapped.wrapper != Wrapper::AppleDouble && wrapped.wrapper != Wrapper::ResourceFork;
    const bool typed = wrapped.wrapper != Wrapper::ResourceFork;
    EXPECT_EQ(file.name, named ? "Sample • House" : "") << label;
    EXPECT_EQ(file.type, typed ? "PICT" : "") << label;
    EXPECT_EQ(file.creator, typed ? "ttxt" : "") << label;
    EXPECT_EQ(file.dataFork, named ? forks.dataFork : "") << label;

    const macfile::MacFileListing listing = macfile::ListMacFile(Span(wrapped.bytes));
    EXPECT_EQ(listing.wrapper, wrapped.wrapper) << label;
    EXPECT_EQ(listing.refusal, "") << label;
    EXPECT_EQ(listing.dataForkSize, file.dataFork.size()) << label;
    ASSERT_EQ(listing.picts.size(), expected.size()) << label;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(listing.picts[i].id, expected[i].id) << label;
      EXPECT_EQ(listing.picts[i].name, expected[i].name) << label;
    }
  }
}

TEST(MacFile, RecognitionGoesByContentAlone) {
  const MacForks forks = SampleMacFile();
  std::string badCrc = MacBinary(forks, 2);
  badCrc[124] ^= 1;
  std::string macBinary1WithJunk = MacBinary(forks, 1);
  macBinary1WithJunk[110] = 1;  // MacBinary I left this zero
  std::string zeroCopy = ResourceForkWriter().Add("PICT", 1, "x").ZeroCopy().Bytes();
  std::string otherCopy = ResourceForkWriter().Add("PICT", 1, "x").Bytes();
  otherCopy[LayoutOf(otherCopy).mapOffset + 3] ^= 1;
  const std::string marker = "(This file must be converted with BinHex 4.0)";
  const struct {
    std::string label, bytes;
    Wrapper wrapper;
  } kCases[] = {
      // A MacBinary II header with a wrong CRC is still MacBinary II: unwrapping says why not.
      {"MacBinary II with a wrong CRC", badCrc, Wrapper::MacBinary2},
      {"MacBinary I with bytes where zeros belong", macBinary1WithJunk, Wrapper::None},
      {"MacBinary I cut inside its resource fork", MacBinary(forks, 1).substr(0, 600),
       Wrapper::None},
      {"a resource fork whose map's copy is zero", zeroCopy, Wrapper::ResourceFork},
      {"a resource fork whose map's copy differs", otherCopy, Wrapper::None},
      {"BinHex's line inside other text", "see " + marker + "\n:abc:\n", Wrapper::None},
      {"BinHex's line with more after it", marker + " or not\n:abc:\n", Wrapper::None},
      {"BinHex's line at the end", "\n" + marker, Wrapper::BinHex},
      {"AppleSingle of version 3", std::string("\0\x05\x16\0\0\x03\0\0", 8) + std::string(20, '\0'),
       Wrapper::None},
      {"a PICT file", forks.dataFork, Wrapper::None},
      {"a PNG file", "\x89PNG\r\n\x1A\n" + std::string(200, '\0'), Wrapper::None},
      {"text", "Some notes about the house\n", Wrapper::None},
      {"nothing", "", Wrapper::None},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(macfile::RecogniseWrapper(Span(c.bytes), c.bytes.size()), c.wrapper) << c.label;
}

// A fork for the damaged cases: one named 'PICT' resource after another type's.
std::string SmallFork() {
  return ResourceForkWriter()
      .Add("snd ", 5, "sound")
      .Add("PICT", 128, std::string(30, 'p'), "abc")
      .Bytes();
}

// The fork with its bytes at offset replaced.
std::string Patched(std::string bytes, size_t offset, const std::string& replacement) {
  return bytes.replace(offset, replacement.size(), replacement);
}

std::string U16Bytes(uint32_t value) {
  std::string bytes;
  PutU16(bytes, value);
  return bytes;
}

std::string U32Bytes(uint32_t value) {
  std::string bytes;
  PutU32(bytes, value);
  return bytes;
}

// A BinHex stream whose header, changed, has a matching CRC again at crcAt.
std::string WithHeaderCrc(const std::string& stream, size_t crcAt) {
  return Patched(stream, crcAt, U16Bytes(XmodemCrc(stream.substr(0, crcAt))));
}

std::string Flipped(std::string bytes, size_t at) {
  bytes.at(at) ^= 0x20;
  return bytes;
}

TEST(MacFile, DamagedFilesAreRefusedWithOneReasonEach) {
  MacForks forks = SampleMacFile();
  forks.resourceFork = SmallFork();
  const std::string fork = forks.resourceFork;
  const ForkLayout layout = LayoutOf(fork);
  // In the map: the type list's count, then 'snd ' and 'PICT' (type, count, offset of the
  // references); the references of 'PICT' after those of 'snd '; the name list last.
  const size_t pictType = layout.typeList + 2 + 8, pictReference = layout.typeList + 2 + 16 + 12;

  const std::string stream = BinHexStream(forks);
  const size_t headerSize = 1 + forks.name.size() + 21, dataAt = headerSize;
  const size_t resourceAt = dataAt + forks.dataFork.size() + 2;
  const std::string text = BinHex(forks);
  const size_t textStart = text.find(':');
  const auto flipped = [&stream](size_t at) { return BinHexText(Flipped(stream, at)); };
  const auto cut = [&stream](size_t size) { return BinHexText(stream.substr(0, size)); };
  const size_t macResourceAt = 128 + (forks.dataFork.size() + 127) / 128 * 128;
  const std::string appleSingle = AppleSingle(forks);
  std::string badCharacter = text;
  badCharacter[textStart + 70] = '~';
  const auto inMacBinary = [&forks](const std::string& resourceFork) {
    MacForks changed = forks;
    changed.resourceFork = resourceFork;
    return MacBinary(changed, 2);
  };
  ResourceForkWriter manyResources;
  for (int id = 0; id < 100000; ++id)
    manyResources.Add(id < 50000 ? "PICT" : "junk", id % 50000, "");
  const std::string many = manyResources.Bytes();

  const struct {
    std::string label, bytes, reason;
  } kCases[] = {
      {"BinHex header's CRC", flipped(3), "BinHex 4.0: the header fails its CRC"},
      {"BinHex data fork's CRC", flipped(dataAt + 20), "BinHex 4.0: the data fork fails its CRC"},
      {"BinHex resource fork's CRC", flipped(resourceAt + 300),
       "BinHex 4.0: the resource fork fails its CRC"},
      {"BinHex cut in its name", cut(5), "BinHex 4.0: the data end inside the header"},
      {"BinHex cut in its data fork", cut(dataAt + 100),
       "BinHex 4.0: the data end inside the data fork"},
      {"BinHex cut in its resource fork", cut(resourceAt + 100),
       "BinHex 4.0: the data end inside the resource fork"},
      {"BinHex cut before its last CRC", cut(stream.size() - 1),
       "BinHex 4.0: the data end inside the resource fork"},
      {"BinHex text cut in its first line of data", text.substr(0, textStart + 10),
       "BinHex 4.0: the data end inside the header"},
      {"BinHex text cut before its last characters", text.substr(0, text.size() - 5),
       "BinHex 4.0: the data end inside the resource fork"},
      {"BinHex with a character outside its alphabet", badCharacter,
       "BinHex 4.0: a character that is no BinHex (byte 126 on line 3)"},
      {"BinHex with no colon", text.substr(0, textStart),
       "BinHex 4.0: no colon begins the data after the first line"},
      {"BinHex with a name of 64 bytes", BinHexText(Patched(stream, 0, "\x40")),
       "BinHex 4.0: a name of 64 bytes (1 to 63 are allowed)"},
      {"BinHex with a data fork of 2 GiB",
       BinHexText(
           WithHeaderCrc(Patched(stream, headerSize - 10, U32Bytes(0x80000000)), headerSize - 2)),
       "BinHex 4.0: a data fork of 2147483648 bytes, more than the reader allows (268435456)"},
      {"BinHex that begins with a run", BinHexText("\x90\x05" + stream.substr(2), "\n", "", false),
       "BinHex 4.0: a run that repeats no byte"},
      {"MacBinary II's CRC", Flipped(MacBinary(forks, 2), 124),
       "MacBinary II: the header fails its CRC"},
      {"MacBinary III's name", Flipped(MacBinary(forks, 3), 3),
       "MacBinary III: the header fails its CRC"},
      {"MacBinary II cut in its resource fork", MacBinary(forks, 2).substr(0, macResourceAt + 10),
       "MacBinary II: the resource fork runs past the end of the file"},
      {"MacBinary II cut in its data fork", MacBinary(forks, 2).substr(0, 300),
       "MacBinary II: the data fork runs past the end of the file"},
      // Without a CRC, a header whose forks do not fit the file is no MacBinary I.
      {"MacBinary I cut in its resource fork", MacBinary(forks, 1).substr(0, macResourceAt + 10),
       "not a Macintosh file in a wrapper the reader knows"},
      {"AppleSingle cut in its resource fork", appleSingle.substr(0, appleSingle.size() - 10),
       "AppleSingle: the resource fork runs past the end of the file"},
      {"AppleSingle cut in its entry table", appleSingle.substr(0, 40),
       "AppleSingle: the entry table runs past the end of the file"},
      {"AppleDouble with a comment past its end",
       Patched(AppleDouble(forks), 26, U32Bytes(4) + U32Bytes(0x7FFFFFFF)),
       "AppleDouble: the entry of kind 4 runs past the end of the file"},
      {"AppleDouble with 5000 entries", Patched(AppleDouble(forks), 24, U16Bytes(5000)),
       "AppleDouble: 5000 entries, more than the reader allows (256)"},
      {"AppleSingle with its data fork twice", Patched(appleSingle, 26 + 12, U32Bytes(1)),
       "AppleSingle: the data fork is there twice"},
      {"a map outside its fork", inMacBinary(Patched(fork, 4, U32Bytes(0x7FFFFFF0))),
       "resource fork: the map lies outside the fork"},
      {"a data area that overlaps the map",
       inMacBinary(Patched(fork, 8, U32Bytes(uint32_t(layout.mapOffset - 200)))),
       "resource fork: the data area and the map overlap"},
      {"a map whose copy of the header differs",
       inMacBinary(Patched(fork, layout.mapOffset + 2, "\x07")),
       "resource fork: the map's copy of the header differs from the header"},
      {"a type list outside the map",
       inMacBinary(Patched(fork, layout.mapOffset + 24, U16Bytes(0xFFF0))),
       "resource map: the type list or the name list lies outside the map"},
      {"references outside the map", inMacBinary(Patched(fork, pictType + 6, U16Bytes(0xFF00))),
       "resource map: the references of type 'PICT' run past the end of the map"},
      {"a resource that runs past the end of the data area",
       inMacBinary(Patched(fork, layout.dataOffset + 4 + 5, U32Bytes(31))),
       "resource map: the data of 'PICT' 128 run past the end of the data area"},
      {"a resource whose data begin past the data area",
       inMacBinary(Patched(fork, pictReference + 5, std::string("\x7F\0\0", 3))),
       "resource map: the data of 'PICT' 128 run past the end of the data area"},
      {"a name that runs outside the name list",
       inMacBinary(Patched(fork, fork.size() - 4, "\x04")),
       "resource map: the name of 'PICT' 128 runs past the end of the name list"},
      {"a name that begins outside the name list",
       inMacBinary(Patched(fork, pictReference + 2, U16Bytes(4))),
       "resource map: the name of 'PICT' 128 runs past the end of the name list"},
      {"two resources of one id",
       inMacBinary(ResourceForkWriter().Add("PICT", 9, "a").Add("PICT", 9, "b").Bytes()),
       "resource map: two resources are 'PICT' 9"},
      {"100,000 empty resources", many,
       "resource map: 100000 resources, more than the reader allows (16384)"},
  };
  for (const auto& c : kCases) {
    const macfile::MacFileListing listing = macfile::ListMacFile(Span(c.bytes));
    std::string message;
    const auto file = macfile::UnwrapMacFile(Span(c.bytes), message);
    if (file) {
      EXPECT_FALSE(macfile::ReadPictResources(Span(file->resourceFork), message)) << c.label;
    }
    EXPECT_EQ(message, c.reason) << c.label;
    EXPECT_EQ(listing.refusal, listing.wrapper == Wrapper::None ? "" : c.reason) << c.label;
    EXPECT_TRUE(listing.picts.empty()) << c.label;
  }
}

TEST(MacFile, MapsUpToTheCapAreRead) {
  ResourceForkWriter writer;
  for (size_t id = 0; id < macfile::kMaxResources; ++id) writer.Add("PICT", int(id), "");
  const std::string full = writer.Bytes();
  std::string message;
  const auto picts = macfile::ReadPictResources(Span(full), message);
  ASSERT_TRUE(picts) << message;
  EXPECT_EQ(picts->size(), macfile::kMaxResources);
  const std::string over = writer.Add("PICT", -1, "").Bytes();
  EXPECT_FALSE(macfile::ReadPictResources(Span(over), message));
  EXPECT_EQ(message, "resource map: 16385 resources, more than the reader allows (16384)");
  // An empty map (its type count is 0xFFFF) and an empty fork hold nothing.
  for (const std::string& empty : {ResourceForkWriter().Bytes(), std::string()}) {
    const auto none = macfile::ReadPictResources(Span(empty), message);
    ASSERT_TRUE(none) << message;
    EXPECT_TRUE(none->empty());
  }
}

TEST(MacFile, ThePathCallsReadWhatTheProgramAsksFor) {
  const ScratchFolder folder;
  MacForks forks = SampleMacFile();
  const std::string compressed = std::string("\xA8\x9F\x65\x72\x00\x12\x08\x01", 8) + "packed";
  forks.resourceFork = ResourceForkWriter()
                           .Add("PICT", 2, "picture two", "Two")
                           .Add("PICT", 1, compressed)
                           .Add("PICT", 3, std::string(100000, 'x'))
                           .Bytes();
  const std::string hqx = folder / "House.hqx", rsrc = folder / "Big.rsrc";
  ASSERT_TRUE(WriteFileBytes(hqx, BinHex(forks)));
  // Its map lies beyond the first bytes read to recognise it.
  ASSERT_TRUE(WriteFileBytes(rsrc, forks.resourceFork));
  ASSERT_TRUE(WriteFileBytes(folder / "notes", "nothing Macintosh here"));
  ASSERT_TRUE(WriteFileBytes(folder / "late.hqx",
                             std::string(macfile::kRecognitionBytes, '\n') + BinHex(forks)));

  for (const std::string& path : {hqx, rsrc}) {
    const macfile::MacFileListing listing = macfile::ListMacFile(path);
    EXPECT_EQ(listing.refusal, "") << path;
    ASSERT_EQ(listing.picts.size(), 3u) << path;
    EXPECT_EQ(listing.picts[1].name, "Two") << path;
    EXPECT_TRUE(listing.picts[0].compressed) << path;
    std::string message;
    EXPECT_EQ(macfile::ReadPictResource(path, 2, message), "picture two") << message;
    EXPECT_EQ(macfile::ReadPictResource(path, 3, message), std::string(100000, 'x')) << message;
    EXPECT_FALSE(macfile::ReadPictResource(path, 1, message));
    EXPECT_EQ(message,
              "'PICT' 1 is compressed (System 7 resource compression), which the reader does "
              "not expand");
    EXPECT_FALSE(macfile::ReadPictResource(path, 4, message));
    EXPECT_EQ(message, "no 'PICT' resource with id 4");
  }
  std::string message;
  EXPECT_EQ(macfile::ReadDataFork(hqx, message), forks.dataFork) << message;
  EXPECT_EQ(macfile::ListMacFile(hqx).name, "Sample • House");

  const struct {
    std::string path, refusal;
  } kNoWrappers[] = {
      {folder / "notes", ""},
      {folder / "late.hqx", ""},  // its first line lies too late
      {folder / "missing", "cannot read it: No such file or directory"},
      {folder.path(), "cannot read it: Is a directory"},
  };
  for (const auto& c : kNoWrappers) {
    const macfile::MacFileListing listing = macfile::ListMacFile(c.path);
    EXPECT_EQ(listing.wrapper, Wrapper::None) << c.path;
    EXPECT_EQ(listing.refusal, c.refusal) << c.path;
    EXPECT_FALSE(macfile::ReadPictResource(c.path, 2, message)) << c.path;
    EXPECT_EQ(message,
              c.refusal.empty() ? "not a Macintosh file in a wrapper the reader knows" : c.refusal)
        << c.path;
  }
}

TEST(MacFile, SidecarsBelongToTheirDataForks) {
  const std::pair<std::string, std::optional<std::string>> kCases[] = {
      {"pictures/._Demo House", "pictures/Demo House"},
      {"._food.pct", "food.pct"},
      {"/a/b/.AppleDouble/Picture 1", "/a/b/Picture 1"},
      {".AppleDouble/x", "x"},
      {"/a/b/.AppleDouble/.Parent", std::nullopt},  // the folder's own
      {"unzipped/__MACOSX/art/._Demo House", "unzipped/art/Demo House"},
      {"__MACOSX/._top", "top"},
      // Only the first __MACOSX goes: the rest is the mirrored tree.
      {"z/__MACOSX/a/__MACOSX/._b", "z/a/__MACOSX/b"},
      {"a/__MACOSX/plain", std::nullopt},
      {"a/my__MACOSX/._b", "a/my__MACOSX/b"},
      {"a/._", std::nullopt},
      {"a/x.AppleDouble/y", std::nullopt},
      {"Demo House", std::nullopt},
      {"a/.hidden", std::nullopt},
  };
  for (const auto& [path, dataFork] : kCases)
    EXPECT_EQ(macfile::SidecarDataForkPath(path), dataFork) << path;
}

std::string PictBytes(PictWriter writer) {
  const std::vector<uint8_t> bytes = writer.End().Bytes();
  return std::string(bytes.begin(), bytes.end());
}

TEST(PictSniff, PicturesAreKnownWithOrWithoutThePreamble) {
  std::string noHeaderOpcode = PictBytes(PictWriter().NoPreamble().Frame(0, 0, 5, 5));
  noHeaderOpcode[14] = 0x00;
  const struct {
    std::string label, bytes;
    bool picture;
  } kCases[] = {
      {"version 2", PictBytes(PictWriter().Frame(0, 0, 5, 5)), true},
      {"version 2 without the preamble", PictBytes(PictWriter().NoPreamble().Frame(0, 0, 5, 5)),
       true},
      {"version 1", PictBytes(PictWriter().Version1().Frame(0, 0, 5, 5)), true},
      {"version 1 without the preamble",
       PictBytes(PictWriter().Version1().NoPreamble().Frame(2, 3, 5, 5)), true},
      {"an empty frame", PictBytes(PictWriter().Frame(0, 0, 5, 0)), false},
      {"version 2 without its header opcode", noHeaderOpcode, false},
      {"the header alone", PictBytes(PictWriter().Frame(0, 0, 5, 5)).substr(0, 522), false},
      {"a PNG", "\x89PNG\r\n\x1A\n" + std::string(600, '\0'), false},
      {"nothing", "", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(pict::IsPictFile(Span(c.bytes)), c.picture) << c.label;

  REQUIRE_CORPUS();
  int pictures = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Corpus("pict-real"))) {
    const std::string path = entry.path().string();
    if (!entry.is_regular_file() || path.ends_with(".md")) continue;
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    // One file of the corpus is a PNG named .pict.
    EXPECT_EQ(pict::IsPictFile(Span(*bytes)), !path.ends_with("polygon-reference.pict")) << path;
    ++pictures;
  }
  EXPECT_GT(pictures, 40);
}

// The two house files of the corpus: their counts, and the same resources in every wrapper.
TEST(MacFile, CorpusBinHexFilesHoldTheirPicturesInEveryWrapper) {
  REQUIRE_CORPUS();
  const struct {
    std::string file, name;
    size_t picts;
  } kHouses[] = {{"Demo House.hqx", "Demo House", 19}, {"In The Mirror.hqx", "In The Mirror", 15}};
  for (const auto& house : kHouses) {
    const auto bytes = ReadFileBytes(Corpus("containers/" + house.file));
    ASSERT_TRUE(bytes) << house.file;
    const macfile::MacFile file = Unwrapped(*bytes, house.file);
    EXPECT_EQ(file.wrapper, Wrapper::BinHex);
    EXPECT_EQ(file.name, house.name);
    EXPECT_EQ(file.type, "gliH");
    EXPECT_EQ(file.creator, "ozm5");
    const std::vector<Pict> picts = PictsOf(file.resourceFork);
    EXPECT_EQ(picts.size(), house.picts) << house.file;
    EXPECT_TRUE(std::is_sorted(picts.begin(), picts.end(),
                               [](const Pict& a, const Pict& b) { return a.id < b.id; }));
    for (const Pict& pict : picts) EXPECT_TRUE(pict::IsPictFile(Span(pict.data))) << pict.id;
    const MacForks forks{file.name, file.type, file.creator, file.dataFork, file.resourceFork};
    for (const WrappedFile& wrapped : EveryWrapper(forks))
      EXPECT_EQ(PictsOf(Unwrapped(wrapped.bytes, wrapped.label).resourceFork), picts)
          << house.file << " as " << wrapped.label;
  }
}

// The forks hexbin writes for a BinHex file in folder (name.data and name.rsrc).
MacForks HexbinForks(const ScratchFolder& folder, const std::string& hqx, const std::string& name) {
  const ProgramEnd end = RunProgram(
      {"sh", "-c", "cd \"$1\" && exec hexbin -3 \"$2\"", "sh", folder.path(), hqx}, 60000);
  EXPECT_TRUE(end) << "hexbin (Debian: macutils): " << DescribeProgramEnd(end, 60000);
  MacForks forks;
  forks.dataFork = ReadFileBytes(folder / (name + ".data")).value_or("no data fork");
  forks.resourceFork = ReadFileBytes(folder / (name + ".rsrc")).value_or("no resource fork");
  return forks;
}

// Debian's hexbin, which shares no code with ours, reads the BinHex the tests write, and
// reads the corpus files as we do; its MacBinary I output reads as MacBinary I here.
TEST(MacFile, DebianHexbinAgreesWithTheReader) {
  {
    const ScratchFolder folder;
    MacForks forks = SampleMacFile();
    forks.name = "Sample";
    ASSERT_TRUE(WriteFileBytes(folder / "sample.hqx", BinHex(forks, "\r\n", "Some text\r\n")));
    const MacForks read = HexbinForks(folder, folder / "sample.hqx", "Sample");
    EXPECT_EQ(read.dataFork, forks.dataFork);
    EXPECT_EQ(read.resourceFork, forks.resourceFork);
  }
  REQUIRE_CORPUS();
  const ScratchFolder folder;
  const std::string hqx = Corpus("containers/Demo House.hqx");
  const auto bytes = ReadFileBytes(hqx);
  ASSERT_TRUE(bytes);
  const macfile::MacFile ours = Unwrapped(*bytes, hqx);
  const MacForks theirs = HexbinForks(folder, hqx, "Demo_House");
  EXPECT_EQ(theirs.dataFork, ours.dataFork);
  EXPECT_EQ(theirs.resourceFork, ours.resourceFork);

  const ProgramEnd end =
      RunProgram({"sh", "-c", "cd \"$1\" && exec hexbin \"$2\"", "sh", folder.path(), hqx}, 60000);
  ASSERT_TRUE(end) << DescribeProgramEnd(end, 60000);
  const auto macBinary = ReadFileBytes(folder / "Demo_House.bin");
  ASSERT_TRUE(macBinary);
  const macfile::MacFile fromMacBinary = Unwrapped(*macBinary, "hexbin's MacBinary");
  EXPECT_EQ(fromMacBinary.wrapper, Wrapper::MacBinary1);
  EXPECT_EQ(fromMacBinary.name, "Demo House");
  EXPECT_EQ(fromMacBinary.resourceFork, ours.resourceFork);
  EXPECT_EQ(fromMacBinary.dataFork, ours.dataFork);
}

}  // namespace
