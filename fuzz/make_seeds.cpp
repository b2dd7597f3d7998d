// Writes the pictures of fuzz/seeds/: in whole/, a small valid picture of each opcode family the
// decoder knows; in drawings/, a drawing of each family; in damaged/, each of them cut short and
// with single bytes changed. The replay
// test feeds them to the fuzz entry point in every build, and `make fuzz` starts from them. Each
// run writes the same names, so a rerun replaces its own files and leaves fuzz/seeds/crashes/
// alone. Run by hand after the decoder learns a new family (docs/pict.md):
//   cmake --build build --target pict_fuzz_seeds && build/pict_fuzz_seeds fuzz/seeds
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/conformance_pictures.h"

namespace {

using Bytes = std::vector<uint8_t>;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string whole = std::string(argv[1]) + "/whole/";
  const std::string drawings = std::string(argv[1]) + "/drawings/";
  const std::string damaged = std::string(argv[1]) + "/damaged/";
  if (!MakeFolder(whole) || !MakeFolder(drawings) || !MakeFolder(damaged)) {
    std::fprintf(stderr, "cannot make the folders in %s\n", argv[1]);
    return 1;
  }
  // The drawings, larger, go to a folder of their own: the replay test flips every bit of the
  // pictures in whole/ only.
  std::vector<std::pair<std::string, ConformancePicture>> seeds;
  for (ConformancePicture& picture : OpcodeFamilyPictures())
    seeds.emplace_back(whole, std::move(picture));
  for (ConformancePicture& picture : DrawingPictures())
    seeds.emplace_back(drawings, std::move(picture));
  std::vector<std::pair<std::string, Bytes>> files;
  for (const auto& [folder, seed] : seeds) {
    const Bytes bytes = seed.picture.Bytes();
    const size_t body = seed.picture.Body().size(), header = bytes.size() - body;
    files.emplace_back(folder + seed.name, bytes);
    // Cut in the header, inside the opcodes, and just before the end opcode's last byte.
    const size_t cuts[] = {header - 3, header + body / 3, header + 2 * body / 3, bytes.size() - 1};
    for (size_t i = 0; i < std::size(cuts); ++i)
      files.emplace_back(damaged + seed.name + "-cut" + std::to_string(i + 1),
                         Bytes(bytes.begin(), bytes.begin() + long(cuts[i])));
    // One byte changed at a time, spread over the opcodes; the values turn small lengths and
    // counts huge, negative or zero.
    const uint8_t kChanges[] = {0xFF, 0x80, 0x7F, 0x01, 0xF0};
    for (size_t i = 0; i < std::size(kChanges); ++i) {
      Bytes changed = bytes;
      changed[header + body * (2 * i + 1) / (2 * std::size(kChanges))] ^= kChanges[i];
      files.emplace_back(damaged + seed.name + "-changed" + std::to_string(i + 1), changed);
    }
  }
  // Each behind the fuzz target's scale byte: 0, scale 1.
  for (const auto& [path, bytes] : files)
    if (!WriteFileBytes(path + ".pict", '\0' + std::string(bytes.begin(), bytes.end()))) {
      std::fprintf(stderr, "cannot write %s.pict\n", path.c_str());
      return 1;
    }
  std::printf("%zu pictures in %s\n", files.size(), argv[1]);
  return 0;
}
