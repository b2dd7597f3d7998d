#include "tests/support/fuzz_replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "platform/files.h"

// Sanitizer runtimes call this back when a report ends the process; without them it is absent.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

// The input in hand.
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
// Linked into a test with Replay, which lives in this file.
const auto* const kInputNamer = ::testing::AddGlobalTestEnvironment(new InputNamer);

}  // namespace

void Replay(FuzzTarget target, const std::string& name, const std::string& bytes) {
  std::snprintf(gInput, sizeof gInput, "%s", name.c_str());
  EXPECT_EQ(target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0) << name;
}

void ForEachFileBelow(const std::string& folder, size_t atLeast, const FileReplayer& replay) {
  const std::vector<std::string> files = FilesBelow(folder);
  ASSERT_GE(files.size(), atLeast) << "the inputs belong in " << folder;
  for (const std::string& path : files) {
    const auto bytes = ReadFileBytes(path);
    ASSERT_TRUE(bytes) << path;
    replay(path, *bytes);
  }
}

void ReplayFilesBelow(FuzzTarget target, const std::string& folder, size_t atLeast) {
  ForEachFileBelow(folder, atLeast, [target](const std::string& path, const std::string& bytes) {
    Replay(target, path, bytes);
  });
}

void ReplayEveryBitFlipped(FuzzTarget target, const std::string& folder, size_t atLeast) {
  ForEachFileBelow(folder, atLeast, [target](const std::string& path, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size(); ++at)
      for (int bit = 0; bit < 8; ++bit) {
        std::string changed = bytes;
        changed[at] = char(changed[at] ^ (1 << bit));
        Replay(target,
               path + " with bit " + std::to_string(bit) + " of byte " + std::to_string(at) +
                   " flipped",
               changed);
      }
  });
}

// The engine's own numbers (no distribution, whose results the standard leaves open), so that
// every machine replays the same inputs.
std::string WithBytesChanged(std::string bytes, int count, std::mt19937& random,
                             std::string& name) {
  for (int change = 0; change < count; ++change) {
    const size_t at = random() % bytes.size();
    const uint8_t mask = uint8_t(1 + random() % 255);
    bytes[at] = char(uint8_t(bytes[at]) ^ mask);
    name += " " + std::to_string(at) + " ^ " + std::to_string(mask);
  }
  return bytes;
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}
