// The decoder's fuzz entry point on damaged pictures, in every build: the pictures of fuzz/seeds/,
// each whole one there with every bit flipped in turn, and, with the corpus, every corpus picture
// cut short and with bytes changed. Under the sanitizers (make check-sanitize) a read out of
// bounds or undefined behaviour in the decoder fails the suite here, not only in a fuzz run.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
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

// Sanitizer runtimes call this back when a report ends the process; without them it is absent.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

// The input in hand. A crash or a sanitizer's report ends the process before the test can say
// which input it was on, so the process says it on its way out.
char gInput[1024] = "";

void NameTheInput() { std::fprintf(stderr, "\nFuzzReplay: the input was %s\n", gInput); }

void NameTheInputAndDie(int signal) {
  NameTheInput();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

class InputNamer : public ::testing::Environment {
  void SetUp() override {
    // AddressSanitizer reports the faults of memory itself; the fuzz target's trap and an abort
    // are left to the handlers here.
    std::vector<int> signals = {SIGILL, SIGABRT};
    if (__sanitizer_set_death_callback)
      __sanitizer_set_death_callback(NameTheInput);
    else
      signals.insert(signals.end(), {SIGSEGV, SIGBUS, SIGFPE});
    for (const int signal : signals) std::signal(signal, NameTheInputAndDie);
  }
};
const auto* const kInputNamer = ::testing::AddGlobalTestEnvironment(new InputNamer);

void Replay(const std::string& name, const std::string& bytes) {
  std::snprintf(gInput, sizeof gInput, "%s", name.c_str());
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
  ASSERT_GE(files.size(), 250u) << "the pictures belong in " << FUZZ_SEEDS_DIR;
  for (const std::string& path : files) {
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    Replay(path, *bytes);
    // Once more with the first byte's top bit set: drawn beside the pixels, and rendered.
    if (bytes->empty()) continue;
    std::string drawn = *bytes;
    drawn[0] = char(drawn[0] | 0x80);
    Replay(path + " as a drawing", drawn);
  }
}

// Small pictures of every family, so each of their fields, lengths and counts comes out too
// large, too small, negative or zero somewhere.
TEST(FuzzReplay, WholePicturesWithEveryBitFlippedInTurnDecodeOrAreRefused) {
  const std::vector<std::string> files = FilesBelow(FUZZ_SEEDS_DIR "/whole");
  ASSERT_GE(files.size(), 20u) << "the whole pictures belong in " << FUZZ_SEEDS_DIR "/whole";
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
      // In the header, and at a few places among the opcodes; each behind the target's scale
      // byte, at scale 1, or at 2 for half of the changed pictures.
      for (const size_t cut : {size_t(530), size / 8, size / 3, size / 2, size * 7 / 8, size - 1})
        if (cut < size)
          Replay(path + " cut to " + std::to_string(cut), '\0' + bytes->substr(0, cut));
      for (int variant = 0; variant < 6 && size > 0; ++variant) {
        std::string changed = *bytes;
        std::string name = path + " with bytes changed:";
        for (int change = 0; change <= variant % 3; ++change) {
          const size_t at = random() % size;
          const uint8_t mask = uint8_t(1 + random() % 255);
          changed[at] = char(uint8_t(changed[at]) ^ mask);
          name += " " + std::to_string(at) + " ^ " + std::to_string(mask);
        }
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
