#include "pict/libav.h"

#include <mutex>
#include <string_view>
#include <vector>

#include "platform/shared_library.h"

namespace pict {

namespace {

// The libraries by the sonames of the headers the program was built with, each after the ones
// it uses.
std::vector<std::string> Sonames() {
  const auto soname = [](std::string_view name, int major) {
    return "lib" + std::string(name) + ".so." + std::to_string(major);
  };
  return {soname("avutil", LIBAVUTIL_VERSION_MAJOR), soname("swscale", LIBSWSCALE_VERSION_MAJOR),
          soname("avcodec", LIBAVCODEC_VERSION_MAJOR),
          soname("avformat", LIBAVFORMAT_VERSION_MAJOR)};
}

// The address of name in the first of libraries that has it.
void* Find(const std::vector<void*>& libraries, const char* name) {
  for (void* library : libraries)
    if (void* address = FindSharedSymbol(library, name)) return address;
  return nullptr;
}

struct Loaded {
  Libav functions;
  std::string failure;  // why they are not there; empty when they are
};

Loaded Load() {
  Loaded loaded;
  std::vector<void*> libraries;
  for (const std::string& soname : Sonames()) {
    void* library = LoadSharedLibrary(soname, loaded.failure);
    if (!library) return loaded;
    libraries.push_back(library);
  }
#define PICT_LIBAV_FUNCTION(name)                                                      \
  loaded.functions.name = reinterpret_cast<decltype(&::name)>(Find(libraries, #name)); \
  if (!loaded.functions.name) {                                                        \
    loaded.failure = "libavcodec's libraries lack " #name;                             \
    return loaded;                                                                     \
  }
#include "pict/libav_functions.inc"
#undef PICT_LIBAV_FUNCTION
  // They report damaged data on stderr; a decoder reports it in its result instead.
  loaded.functions.av_log_set_level(AV_LOG_QUIET);
  return loaded;
}

}  // namespace

const Libav* LoadLibav(std::string& reason) {
  static std::once_flag once;
  static Loaded loaded;
  std::call_once(once, [] { loaded = Load(); });
  if (!loaded.failure.empty()) {
    reason = "cannot load libavcodec: " + loaded.failure;
    return nullptr;
  }
  return &loaded.functions;
}

}  // namespace pict
