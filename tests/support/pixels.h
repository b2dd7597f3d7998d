// tests/support/pixels.h: reading the pictures a run wrote pixel by pixel, finding a colour in
// them, and writing small PNG files (logos) for a run to read.
#pragma once

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/drawing.h"  // Rgba
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

struct Rgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const Rgb &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Rgb &color);

// A rectangle of pixels, (x, y) its top-left corner counted from the top-left of the picture.
struct PixelBox {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelBox &) const = default;
};
std::ostream &operator<<(std::ostream &out, const PixelBox &box);

// A picture file as written: its size and depth as stored, and its pixels read as RGB.
class PictureFile {
 public:
  PictureFile() = default;
  // Loads any file FreeImage can read; IsLoaded() is false when it cannot.
  explicit PictureFile(const std::string &path);
  bool IsLoaded() const { return static_cast<bool>(rgb_); }
  int width() const { return width_; }
  int height() const { return height_; }
  int bpp() const { return bpp_; }
  // The colour at (x, y), counted from the top-left corner; black outside the picture.
  Rgb At(int x, int y) const;
  // True when (x, y) lies inside the picture.
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // The smallest box holding every pixel of exactly this colour; all zero when there is none.
  PixelBox BoundsOf(Rgb color) const;
  // Number of pixels of exactly this colour.
  int Count(Rgb color) const;

 private:
  struct Unloader {
    void operator()(FIBITMAP *dib) const { FreeImage_Unload(dib); }
  };
  std::unique_ptr<FIBITMAP, Unloader> rgb_;  // a 24-bit copy of the file's picture
  int width_ = 0, height_ = 0, bpp_ = 0;
};

// Writes a 32-bit PNG (24-bit when withAlpha is false) whose pixel (x, y), counted from the
// top-left corner, is color(x, y); true on success.
bool WritePng(const std::string &path, int width, int height, bool withAlpha,
              const std::function<Rgba(int x, int y)> &color);

// Passes when every pixel (x, y) of expected shows at where(x, y) in actual; names the first
// pixel that does not.
::testing::AssertionResult PixelsMapTo(
    const PictureFile &expected, const PictureFile &actual,
    const std::function<std::pair<int, int>(int x, int y)> &where);

// Passes when both pictures have the same size and the same pixels.
::testing::AssertionResult SamePixels(const PictureFile &expected, const PictureFile &actual);

struct Conversion {
  std::string output;                // standard output of the run
  std::vector<std::string> written;  // names of the files written, sorted
  PictureFile picture;               // the first written file, when there is one
};

// Writes the picture into a fresh folder below scratch as "a.pct", runs marrowickcmd on that
// file with -o (another fresh folder), -c extension, -q and then options, and reads what was
// written.
Conversion ConvertPicture(const ScratchFolder &scratch, TestPicture picture,
                          const std::vector<std::string> &options,
                          const std::string &extension = "png");
