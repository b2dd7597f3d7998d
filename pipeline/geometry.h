// pipeline/geometry.h: rotation, resizing and flipping.
#pragma once

#include <optional>
#include <utility>

#include "picture/picture.h"
#include "settings/settings.h"

// Returns the picture turned by rotation.angle degrees (only 1..359 with rotation enabled);
// an empty picture comes back empty.
Bitmap RotatePicture(Bitmap picture, const RotationSettings& rotation);

// Returns the picture rescaled to the resize targets; width and height are its current size.
Bitmap ResizePicture(Bitmap picture, int width, int height, const ResizeSettings& resize);

// The size the resize targets give a picture of width x height, or nothing when it keeps its
// own (resizing off, a target of 0 or less, the same size, LARGEIMAGES and a smaller picture).
std::optional<std::pair<int, int>> ResizedSize(int width, int height, const ResizeSettings& resize);

// Flips in place, horizontally then vertically; a null picture is left alone.
void FlipPicture(FIBITMAP* picture, const FlipSettings& flip);

// The target size in pixels for value in unit, given the current size.
int ScaledDimension(int value, SizeUnit unit, int current);

// The FreeImage filter for a resize algorithm code.
FREE_IMAGE_FILTER ResizeFilter(ResizeAlgorithm algorithm);
