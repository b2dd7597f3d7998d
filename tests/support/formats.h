// tests/support/formats.h: an output format's row by its extension, for tests that name formats.
#pragma once

#include <cassert>
#include <string_view>

#include "settings/formats.h"

inline const OutputFormat& Format(std::string_view extension) {
  const OutputFormat* format = FindOutputFormat(extension);
  assert(format && "tests name output formats that exist");
  return *format;
}
