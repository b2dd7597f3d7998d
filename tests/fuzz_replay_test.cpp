// The decoder's fuzz entry point on damaged pictures, in every build: the pictures of fuzz/seeds/
// and, with the corpus, every corpus picture cut short and with bytes changed. Under the
// sanitizers (make check-sanitize) a read out of bounds or undefined behaviour in the decoder
// fails the suite here, not only in a fuzz run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "tests/support/corpus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Feeds one input to the fuzz entry point. Its name goes to standard error first: a crash or a
// sanitizer's report ends the process, and the last name before it is the input to blame.
void Replay(const std::string& name, const std::string& bytes) {
  std::fprintf(stderr, "%s\n", name.c_str());
  EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0)
      << name;
}

// The files below folder, sorted, so that every run feeds the same inputs in the same order.
std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(FuzzReplay, DamagedPicturesOfEveryOpcodeFamilyDecodeOrAreRefused) {
  const std::vector<std::string> files = FilesBelow(FUZZ_SEEDS_DIR);
  ASSERT_GE(files.size(), 100u) << "the damaged pictures belong in " << FUZZ_SEEDS_DIR;
  for (const std::string& path : files) {
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    Replay(path, *bytes);
  }
}

TEST(FuzzReplay, CorpusPicturesCutShortOrWithBytesChangedDecodeOrAreRefused) {
  REQUIRE_CORPUS();
  // A fixed seed and the engine's own numbers (no distribution, whose results the standard
  // leaves open), so that every machine replays the same inputs.
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
      // In the header, and at a few places among the opcodes.
      for (const size_t cut : {size_t(530), size / 8, size / 3, size / 2, size * 7 / 8, size - 1})
        if (cut < size) Replay(path + " cut to " + std::to_string(cut), bytes->substr(0, cut));
      for (int variant = 0; variant < 6; ++variant) {
        std::string changed = *bytes;
        std::string name = path + " with bytes changed:";
        for (int change = 0, changes = 1 + variant % 3; change < changes && size > 0; ++change) {
          const size_t at = random() % size;
          const uint8_t mask = uint8_t(1 + random() % 255);
          changed[at] = char(uint8_t(changed[at]) ^ mask);
          name += " " + std::to_string(at) + "^" + std::to_string(mask);
        }
        Replay(name, changed);
      }
    }
  EXPECT_GT(pictures, 50) << "pictures found in the corpus";
}

}  // namespace
