// pipeline/devil_writer.h (private to pipeline/): the writer of the formats DevIL writes.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"
#include "pipeline/save_request.h"

// DevIL for psd, dds (with its full mipmap chain) and pcx, through a file in the scratch folder;
// 24- and 32-bit pictures only.
std::optional<std::string> EncodeWithDevil(FIBITMAP* picture, const SaveRequest& request,
                                           std::string& message);
