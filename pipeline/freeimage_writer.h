// pipeline/freeimage_writer.h (private to pipeline/): the writer of the formats FreeImage
// writes.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"
#include "pipeline/save_request.h"

// The file FreeImage writes for the picture in the request's format, after the preparation the
// format's row asks for; nothing, with the reason in message, when the format cannot hold the
// picture or FreeImage fails.
std::optional<std::string> EncodeWithFreeImageWriter(FIBITMAP* picture, const SaveRequest& request,
                                                     std::string& message);
