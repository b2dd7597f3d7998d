// pipeline/jxr_writer.h (private to pipeline/): the writer of JPEG XR files.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"

// JPEG XR through Debian's JxrEncApp, losslessly, from and to files in scratchFolder. Takes
// 1-bit black and white, 8-bit grey, 16-bit 5-6-5, 24, 32, 48 and 96 bits.
std::optional<std::string> EncodeJxrWithEncoder(FIBITMAP* picture, const std::string& scratchFolder,
                                                std::string& message);
