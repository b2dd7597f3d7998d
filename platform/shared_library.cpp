#include "platform/shared_library.h"

#include <dlfcn.h>

void* LoadSharedLibrary(const std::string& soname, std::string& error) {
  // Its symbols stay private: the program calls it only through the addresses it asks for.
  void* library = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* reason = dlerror();
    error = reason ? reason : soname + " cannot be loaded";
  }
  return library;
}

void* FindSharedSymbol(void* library, const char* name) { return dlsym(library, name); }
