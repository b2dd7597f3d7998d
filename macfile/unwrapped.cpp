#include "macfile/unwrapped.h"

namespace macfile {

std::string_view WrapperName(Wrapper wrapper) {
  switch (wrapper) {
    case Wrapper::None:
      return "no Macintosh file";
    case Wrapper::BinHex:
      return "BinHex 4.0";
    case Wrapper::MacBinary1:
      return "MacBinary I";
    case Wrapper::MacBinary2:
      return "MacBinary II";
    case Wrapper::MacBinary3:
      return "MacBinary III";
    case Wrapper::AppleSingle:
      return "AppleSingle";
    case Wrapper::AppleDouble:
      return "AppleDouble";
    case Wrapper::ResourceFork:
      return "resource fork";
  }
  return "no Macintosh file";
}

}  // namespace macfile
