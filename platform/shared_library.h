// platform/shared_library.h: a shared library loaded when it is first needed rather than when
// the program starts, for large libraries that few runs use.
#pragma once

#include <string>

// The library of soname, loaded once and kept for the life of the process; null, with the
// loader's reason in error, when it cannot be loaded.
void* LoadSharedLibrary(const std::string& soname, std::string& error);

// The address of name in library; null when the library has no such symbol.
void* FindSharedSymbol(void* library, const char* name);
