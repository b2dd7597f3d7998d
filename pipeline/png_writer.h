// pipeline/png_writer.h (private to pipeline/): the writer of png files.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"
#include "pipeline/save_request.h"

// The PNG file of the picture. One that stores its pixels (no compression, the default) is
// written through libpng without choosing a filter for each row: filtering cannot make stored
// bytes fewer, and the choice costs more than all the rest of the writing. Its pixels, palette,
// transparency, resolution, colour profile and background colour are those FreeImage would
// write. A compressed one, or a picture of a kind written here no other way, is FreeImage's.
// Nothing, with the reason in message, when neither can write it.
std::optional<std::string> EncodePng(FIBITMAP* picture, const SaveRequest& request,
                                     std::string& message);
