// The Macintosh file reader's fuzz entry point on damaged files, in every build: the wrappers of
// fuzz/macfile_seeds/, each whole one there with every bit flipped in turn, and, with the
// corpus, the house files cut short and with bytes changed, and their resource maps changed. Under
// the sanitizers (make check-sanitize) a read out of bounds or undefined behaviour in the reader
// fails the suite here, not only in a fuzz run.
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
  ReplayFilesBelow(LLVMFuzzerTestOneInput, FUZZ_SEEDS_DIR, 80);
}

// Every length, offset, count and CRC of every wrapper and of the map.
TEST(MacFileFuzzReplay, WholeWrappersWithEveryBitFlippedInTurnAreReadOrRefused) {
  ReplayEveryBitFlipped(LLVMFuzzerTestOneInput, FUZZ_SEEDS_DIR "/whole", 10);
}

TEST(MacFileFuzzReplay, CorpusHousesCutShortOrWithBytesChangedAreReadOrRefused) {
  REQUIRE_CORPUS();
  // A fixed seed, so that every machine replays the same inputs.
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
    for (int variant = 0; variant < 8; ++variant) {
      std::string name = path + " with bytes changed:";
      Replay(name, WithBytesChanged(*bytes, 1 + variant % 3, random, name));
      name = path + "'s resource fork with bytes of its map changed (from " +
             std::to_string(mapOffset) + "):";
      const std::string map =
          WithBytesChanged(fork.substr(mapOffset), 1 + variant % 3, random, name);
      Replay(name, fork.substr(0, mapOffset) + map);
    }
  }
}

}  // namespace
