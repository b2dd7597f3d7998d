// pipeline/freeimage_writer.h (private to pipeline/): the writer of the formats FreeImage
// writes.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"
#include "pipeline/save_request.h"
#include "settings/formats.h"
#include "settings/settings.h"

// FreeImage's save flags for the format with these settings: compression, quality, chroma
// subsampling, interlacing, the colour model, and the flags the format always has. 0 for a
// format without any (also PNM_DEFAULT, the binary Netpbm files) and for one FreeImage does not
// write here.
int SaveFlags(const OutputFormat& format, const OutputFormatSettings& output);

// The file FreeImage writes for the picture in the request's format, after the preparation the
// format's row asks for; nothing, with the reason in message, when the format cannot hold the
// picture or FreeImage fails.
std::optional<std::string> EncodeWithFreeImageWriter(FIBITMAP* picture, const SaveRequest& request,
                                                     std::string& message);
