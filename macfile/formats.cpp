#include "macfile/formats.h"

#include "macfile/limits.h"

namespace macfile {

bool IsForkWithinCap(Wrapper wrapper, std::string_view fork, uint64_t size, std::string& message) {
  if (size <= kMaxForkBytes) return true;
  message = std::string(WrapperName(wrapper)) + ": a " + std::string(fork) + " fork of " +
            std::to_string(size) + " bytes, more than the reader allows (" +
            std::to_string(kMaxForkBytes) + ")";
  return false;
}

std::string FourBytes(ByteView bytes, size_t offset) {
  const ByteView code = bytes.subspan(offset, 4);
  return IsAllZero(code) ? std::string() : ToString(code);
}

}  // namespace macfile
