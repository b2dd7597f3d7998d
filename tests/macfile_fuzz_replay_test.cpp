// The Macintosh file reader's fuzz entry point on damaged files, in every build: the wrappers of
// fuzz/macfile_seeds/, each whole one there with every bit flipped in turn, and, with the
// corpus, the house files cut short and with bytes changed, and their resource maps changed. Under the sanitizers (make
// check-sanitize) a read out of bounds or undefined behaviour in the reader fails the suite
// here, not only in a fuzz run.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "macfile/wrapper.h"
#include "platform/files.h"
#include "tests/support/corpus.h"
#include "tests/support/fuzz_replay.h"
#include "tests/support/mac_wrappers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Replay(const std::string& name, const std::string& bytes) {
  ::Replay(LLVMFuzzerTestOneInput, name, bytes);
}

TEST(MacFileFuzzReplay, SeedsOfEveryWrapperAreReadOrRefused) {
  const std::vector<std::string> files = FilesBelow(FUZZ_SEEDS_DIR);
  ASSERT_GE(files.size(), 80u) << "the wrappers belong in " << FUZZ_SEEDS_DIR;
  for (const std::string& path : files) {
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    Replay(path, *bytes);
  }
}

// Every length, offset, count and CRC of every wrapper and of the map comes out too large, too
// small or wrong somewhere.
TEST(MacFileFuzzReplay, WholeWrappersWithEveryBitFlippedInTurnAreReadOrRefused) {
  const std::vector<std::string> files = FilesBelow(FUZZ_SEEDS_DIR "/whole");
  ASSERT_GE(files.size(), 10u) << "the whole wrappers belong in " << FUZZ_SEEDS_DIR "/whole";
  for (const std::string& path : files) {
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    for (size_t at = 0; at < bytes->size(); ++at)
      for (int bit = 0; bit < 8; ++bit) {
        std::string changed = *bytes;
        changed[at] = char(changed[at] ^ (1 << bit));
        Replay(path + " with bit " + std::to_string(bit) + " of byte " + std::to_string(at) +
                   " flipped",
               changed);
      }
  }
}

TEST(MacFileFuzzReplay, CorpusHousesCutShortOrWithBytesChangedAreReadOrRefused) {
  REQUIRE_CORPUS();
  // A fixed seed and the engine's own numbers, so that every machine replays the same inputs.
  std::mt19937 random(25);
  const std::vector<std::string> files = FilesBelow(Corpus("containers"));
  ASSERT_GE(files.size(), 2u);
  for (const std::string& path : files) {
    if (path.ends_with(".md")) continue;
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    const size_t size = bytes->size();
    for (const size_t cut : {size_t(20), size_t(60), size / 8, size / 2, size - 10, size - 1})
      Replay(path + " cut to " + std::to_string(cut), bytes->substr(0, cut));
    // Changes among the BinHex characters, which its CRCs catch; then changes in the map of
    // its resource fork, on its own, which nothing but the map's own checks can catch.
    std::string message;
    const auto file = macfile::UnwrapMacFile(
        {reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()}, message);
    ASSERT_TRUE(file) << path << ": " << message;
    const std::string& fork = file->resourceFork;
    const size_t mapOffset = LayoutOf(fork).mapOffset;
    for (int variant = 0; variant < 16; ++variant) {
      const bool inMap = variant % 2;
      std::string changed = inMap ? fork : *bytes;
      std::string name = path + (inMap ? "'s resource fork" : "") + " with bytes changed:";
      for (int change = 0; change <= variant % 3; ++change) {
        const size_t at = inMap ? mapOffset + random() % (fork.size() - mapOffset) : random() % size;
        const uint8_t mask = uint8_t(1 + random() % 255);
        changed[at] = char(uint8_t(changed[at]) ^ mask);
        name += " " + std::to_string(at) + " ^ " + std::to_string(mask);
      }
      Replay(name, changed);
    }
  }
}

}  // namespace
