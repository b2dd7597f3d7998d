// pipeline/freeimage_file.h (private to pipeline/): a file as FreeImage writes it, kept in
// memory.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"

// The file FreeImage writes for the bitmap in format with flags; nothing when it fails. The bytes
// a plugin seeks over without writing them are zeros.
std::optional<std::string> EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture,
                                               int flags);
