// The decoder's fuzz entry point on damaged pictures, in every build: the pictures of fuzz/seeds/,
// each also drawn as a drawing, each whole one there with every bit flipped in turn, and, with the
// corpus, every corpus picture cut short and with bytes changed. Under the sanitizers (make
// check-sanitize) a read out of bounds or undefined behaviour in the decoder fails the suite here,
// not only in a fuzz run.
#include "tests/support/fuzz_replay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "tests/support/corpus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Replay(const std::string& name, const std::string& bytes) {
  ::Replay(LLVMFuzzerTestOneInput, name, bytes);
}

TEST(FuzzReplay, DamagedPicturesOfEveryOpcodeFamilyDecodeOrAreRefused) {
  ForEachFileBelow(FUZZ_SEEDS_DIR, 250, [](const std::string& path, const std::string& bytes) {
    Replay(path, bytes);
    // Once more with the first byte's top bit set: drawn beside the pixels, and rendered.
    if (bytes.empty()) return;
    std::string drawn = bytes;
    drawn[0] = char(drawn[0] | 0x80);
    Replay(path + " as a drawing", drawn);
  });
}

// Small pictures of every family.
TEST(FuzzReplay, WholePicturesWithEveryBitFlippedInTurnDecodeOrAreRefused) {
  ReplayEveryBitFlipped(LLVMFuzzerTestOneInput, FUZZ_SEEDS_DIR "/whole", 20);
}

TEST(FuzzReplay, CorpusPicturesCutShortOrWithBytesChangedDecodeOrAreRefused) {
  REQUIRE_CORPUS();
  // A fixed seed, so that every machine replays the same inputs.
  std::mt19937 random(16);
  int pictures = 0;
  for (const char* folder : {"pict-synthetic", "pict-real"})
    for (const std::string& path : FilesBelow(Corpus(folder))) {
      const std::string extension = ToLower(path.substr(path.rfind('.') + 1));
      if (extension != "pct" && extension != "pict" && extension != "pic") continue;
      const auto bytes = ReadFileBytes(path);
      ASSERT_TRUE(bytes) << path;
      ++pictures;
      const size_t size = bytes->size();
      // In the header, and at a few places among the opcodes; each behind the target's scale
      // byte, at scale 1, or at 2 for half of the changed pictures.
      for (const size_t cut : {size_t(530), size / 8, size / 3, size / 2, size * 7 / 8, size - 1})
        if (cut < size)
          Replay(path + " cut to " + std::to_string(cut), '\0' + bytes->substr(0, cut));
      for (int variant = 0; variant < 6 && size > 0; ++variant) {
        std::string name = path + " with bytes changed:";
        const std::string changed = WithBytesChanged(*bytes, 1 + variant % 3, random, name);
        Replay(name + " at scale " + std::to_string(1 + variant % 2), char(variant % 2) + changed);
        // A third of them drawn beside the pixels as well (the first byte's top bit).
        if (variant < 2)
          Replay(name + " at scale " + std::to_string(1 + variant) + " as a drawing",
                 char(0x80 | variant) + changed);
      }
    }
  EXPECT_GT(pictures, 50) << "pictures found in the corpus";
}

}  // namespace
