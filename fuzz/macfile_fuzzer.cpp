// libFuzzer entry point for the reader of Macintosh files: any bytes must be recognised and
// read or refused, within the caps, without a crash, a leak or undefined behaviour; the path of
// a sidecar is worked out of the same bytes taken as text.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "macfile/mac_file.h"
#include "pict/sniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  const macfile::MacFileListing listing = macfile::ListMacFile(file);
  // A refusal and resources come only with a wrapper; a refusal is one line.
  if (listing.wrapper == macfile::Wrapper::None && !listing.refusal.empty()) __builtin_trap();
  if (!listing.refusal.empty() && !listing.picts.empty()) __builtin_trap();
  if (listing.refusal.find('\n') != std::string::npos) __builtin_trap();

  std::string message;
  const std::optional<macfile::MacFile> unwrapped = macfile::UnwrapMacFile(file, message);
  if (unwrapped.has_value() == !message.empty()) __builtin_trap();
  if (unwrapped) {
    const std::span<const uint8_t> fork(
        reinterpret_cast<const uint8_t*>(unwrapped->resourceFork.data()),
        unwrapped->resourceFork.size());
    const auto picts = macfile::ReadPictResources(fork, message);
    if (picts && picts->size() != listing.picts.size()) __builtin_trap();
    int previous = -32769;
    for (const macfile::PictResource& resource :
         picts.value_or(std::vector<macfile::PictResource>{})) {
      // In strictly rising id order, each with its data inside the fork.
      if (resource.id <= previous) __builtin_trap();
      previous = resource.id;
      const std::span<const uint8_t> bytes = macfile::ResourceData(fork, resource);
      if (bytes.size() != resource.size) __builtin_trap();
      pict::IsPictFile(bytes);
    }
    pict::IsPictFile(std::span(reinterpret_cast<const uint8_t*>(unwrapped->dataFork.data()),
                               unwrapped->dataFork.size()));
  }
  macfile::SidecarDataForkPath(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
