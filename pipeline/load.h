// pipeline/load.h: getting the picture of a PICT file into memory.
#pragma once

#include <string>

#include "picture/picture.h"

// Decodes the PICT file at inputPath: first with our own decoder (24 bits, no process, no
// file); what it refuses through the external converter `convert`, found on PATH, into a TGA
// in tempFolder (a private folder ending in "/"), waiting for it up to converterDeadlineMs,
// after which the converter and all it started are killed; when that gives no picture, with
// FreeImage's own reader in an isolated child process limited to 5 seconds.
// Never hangs and never brings the caller down; empty when no picture could be had, at once
// for an empty or missing file. Leaves nothing in tempFolder. A 32-bit picture from
// FreeImage's reader whose alpha is 0 everywhere comes back opaque. Safe on a worker thread;
// calls running at the same time need different temp folders.
Bitmap LoadPicture(const std::string& inputPath, const std::string& tempFolder,
                   int converterDeadlineMs);

// The steps of that chain one by one.
// Our decoder: a 24-bit picture, or empty when it refuses the bytes.
Bitmap LoadWithOwnDecoder(const std::string& data);
// The external converter, writing its TGA at tgaPath, which is gone afterwards.
Bitmap LoadThroughConverter(const std::string& inputPath, const std::string& tgaPath,
                            int deadlineMs);
// FreeImage's reader in its isolated child.
Bitmap LoadWithFreeImage(const std::string& data);
