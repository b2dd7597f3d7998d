// Writes the wrappers of fuzz/macfile_seeds/: in whole/, a small Macintosh file with 'PICT'
// resources in every wrapper the reader knows; in damaged/, each of them cut short and with
// single bytes changed, and its resource fork with the map's fields changed. The replay test
// feeds them to the fuzz entry point in every build, and `make fuzz` starts from them. Each run
// writes the same names, so a rerun replaces its own files and leaves fuzz/macfile_seeds/crashes/
// alone. Run by hand after the reader learns a new wrapper (docs/macfiles.md):
//   cmake --build build --target macfile_fuzz_seeds && build/macfile_fuzz_seeds fuzz/macfile_seeds
#include <cctype>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "tests/support/mac_wrappers.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string whole = std::string(argv[1]) + "/whole/";
  const std::string damaged = std::string(argv[1]) + "/damaged/";
  if (!MakeFolder(argv[1]) || !MakeFolder(whole) || !MakeFolder(damaged)) {
    std::fprintf(stderr, "cannot make the folders in %s\n", argv[1]);
    return 1;
  }
  const MacForks forks = SampleMacFile();
  std::vector<std::pair<std::string, std::string>> files;
  for (const WrappedFile& wrapped : EveryWrapper(forks)) {
    std::string name;
    for (const char c : wrapped.label)
      name += std::isalnum(uint8_t(c)) ? char(std::tolower(c)) : '-';
    const std::string& bytes = wrapped.bytes;
    files.emplace_back(whole + name, bytes);
    // Cut in the header, in the middle and just before the end.
    const size_t cuts[] = {bytes.size() / 20, bytes.size() / 2, bytes.size() - 1};
    for (size_t i = 0; i < std::size(cuts); ++i)
      files.emplace_back(damaged + name + "-cut" + std::to_string(i + 1), bytes.substr(0, cuts[i]));
    // One byte changed at a time, spread over the file; the values turn lengths and counts
    // huge, negative or zero.
    const uint8_t kChanges[] = {0xFF, 0x80, 0x7F, 0x01, 0xF0};
    for (size_t i = 0; i < std::size(kChanges); ++i) {
      std::string changed = bytes;
      changed[bytes.size() * (2 * i + 1) / (2 * std::size(kChanges))] ^= char(kChanges[i]);
      files.emplace_back(damaged + name + "-changed" + std::to_string(i + 1), changed);
    }
  }
  // The bare fork with each field of its map's header and type list changed: offsets, counts.
  const std::string& fork = forks.resourceFork;
  const ForkLayout layout = LayoutOf(fork);
  const size_t kFields[] = {layout.mapOffset + 24,   layout.mapOffset + 26,
                            layout.typeList,         layout.typeList + 2 + 4,
                            layout.typeList + 2 + 6, layout.typeList + 2 + 8 * 3,
                            layout.nameList};
  for (size_t i = 0; i < std::size(kFields); ++i) {
    std::string changed = fork;
    changed[kFields[i]] ^= char(0x81);
    files.emplace_back(damaged + "map-field" + std::to_string(i + 1), changed);
  }
  for (const auto& [path, bytes] : files)
    if (!WriteFileBytes(path, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  std::printf("%zu files in %s\n", files.size(), argv[1]);
  return 0;
}
