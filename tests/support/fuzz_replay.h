// tests/support/fuzz_replay.h: feeding inputs to a fuzz entry point in an ordinary test, as the
// replay tests do in every build. A crash or a sanitizer's report ends the process before the
// test can say which input it was on, so the process names the input on standard error on its
// way out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

// A libFuzzer entry point: LLVMFuzzerTestOneInput.
using FuzzTarget = int (*)(const uint8_t* data, size_t size);

// Runs target on bytes, under name, and expects it to return 0.
void Replay(FuzzTarget target, const std::string& name, const std::string& bytes);

// The files below folder, sorted, so that every run feeds the same inputs in the same order.
std::vector<std::string> FilesBelow(const std::string& folder);

// What a replay is given of each file: its path and its bytes.
using FileReplayer = std::function<void(const std::string& path, const std::string& bytes)>;

// Calls replay with each file below folder and its bytes, in the order of FilesBelow; there must
// be at least atLeast files.
void ForEachFileBelow(const std::string& folder, size_t atLeast, const FileReplayer& replay);

// Replays every file below folder whole; there must be at least atLeast of them.
void ReplayFilesBelow(FuzzTarget target, const std::string& folder, size_t atLeast);

// Replays every file below folder with each of its bits flipped in turn, so that each of its
// fields, lengths and counts comes out too large, too small, negative or zero somewhere; there
// must be at least atLeast files.
void ReplayEveryBitFlipped(FuzzTarget target, const std::string& folder, size_t atLeast);

// bytes (not empty) with count bytes changed, at places and by masks that random chooses; name
// gets the changes appended (" AT ^ MASK").
std::string WithBytesChanged(std::string bytes, int count, std::mt19937& random, std::string& name);
