// pipeline/load.h: getting the picture of a PICT file into memory.
#pragma once

#include <string>

#include "pipeline/picture.h"

// Decodes the PICT file at inputPath: first through the external converter into a TGA in
// tempFolder, otherwise with FreeImage's own reader in an isolated child process. Never hangs
// and never brings the caller down; empty when no picture could be had. Leaves no file behind.
Bitmap LoadPicture(const std::string& inputPath, const std::string& tempFolder);
