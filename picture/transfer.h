// picture/transfer.h: a bitmap as bytes and back, losslessly, to hand a picture from a child
// process to its parent.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "picture/picture.h"

// Writes all size bytes; false when they cannot be written.
using ByteWriter = std::function<bool(const void* data, size_t size)>;

// Writes the bitmap through write: its size, type, depth, colour masks, palette, transparency,
// background colour, resolution and pixel rows. False when a write fails.
bool WriteBitmapBytes(FIBITMAP* bitmap, const ByteWriter& write);

// The bitmap that WriteBitmapBytes wrote; empty unless the bytes are exactly one consistent
// transfer.
Bitmap ReadBitmapBytes(std::string_view bytes);
