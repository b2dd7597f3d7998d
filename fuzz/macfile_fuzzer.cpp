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

namespace {

std::span<const uint8_t> Span(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

// A reason is one line.
bool IsOneLine(const std::string& reason) { return reason.find('\n') == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  std::string message;
  const std::optional<macfile::MacFile> unwrapped = macfile::UnwrapMacFile(file, message);
  if (unwrapped.has_value() == !message.empty() || !IsOneLine(message)) __builtin_trap();
  std::optional<std::vector<macfile::PictResource>> picts;
  if (unwrapped) {
    const std::span<const uint8_t> fork = Span(unwrapped->resourceFork);
    picts = macfile::ReadPictResources(fork, message);
    if (!picts && (message.empty() || !IsOneLine(message))) __builtin_trap();
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
    pict::IsPictFile(Span(unwrapped->dataFork));
  }
  // The listing is the same work again: a wrapper's refusal or its resources, never both, and
  // nothing without a wrapper. Large inputs, which are slow to read twice, are left to the
  // calls above.
  if (size <= 65536) {
    const macfile::MacFileListing listing = macfile::ListMacFile(file);
    if (listing.wrapper == macfile::Wrapper::None) {
      if (!listing.refusal.empty() || unwrapped) __builtin_trap();
    } else if (listing.refusal.empty() != picts.has_value() ||
               listing.picts.size() !=
                   picts.value_or(std::vector<macfile::PictResource>{}).size()) {
      __builtin_trap();
    }
  }
  macfile::SidecarDataForkPath(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
