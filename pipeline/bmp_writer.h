// pipeline/bmp_writer.h (private to pipeline/): the writer of bmp files.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"
#include "pipeline/save_request.h"

// An 8-bit picture that asks for the exact colour table: a BMP whose table holds only the
// entries up to the highest index any pixel uses, with RLE8-compressed pixels when the bmp
// compression is RLE. Any other picture: FreeImage's BMP.
std::optional<std::string> EncodeBmp(FIBITMAP* picture, const SaveRequest& request,
                                     std::string& message);
