#include "tests/support/pixels.h"

#include <algorithm>
#include <filesystem>

#include "tests/support/run_program.h"

std::ostream &operator<<(std::ostream &out, const Rgb &color) {
  return out << "(" << color.red << "," << color.green << "," << color.blue << ")";
}

std::ostream &operator<<(std::ostream &out, const PixelBox &box) {
  return out << box.width << "x" << box.height << " at (" << box.x << "," << box.y << ")";
}

PictureFile::PictureFile(const std::string &path) {
  FIBITMAP *loaded = LoadAny(path);
  if (!loaded) return;
  bpp_ = static_cast<int>(FreeImage_GetBPP(loaded));
  width_ = static_cast<int>(FreeImage_GetWidth(loaded));
  height_ = static_cast<int>(FreeImage_GetHeight(loaded));
  rgb_.reset(FreeImage_ConvertTo24Bits(loaded));
  FreeImage_Unload(loaded);
}

Rgb PictureFile::At(int x, int y) const {
  if (!rgb_ || !Contains(x, y)) return {};
  // FreeImage counts rows from the bottom.
  const BYTE *pixel = FreeImage_GetScanLine(rgb_.get(), height_ - 1 - y) + 3 * x;
  return {pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE]};
}

PixelBox PictureFile::BoundsOf(Rgb color) const {
  int left = width_, top = height_, right = -1, bottom = -1;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (At(x, y) == color) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

int PictureFile::Count(Rgb color) const {
  int count = 0;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) count += At(x, y) == color ? 1 : 0;
  return count;
}

bool WritePng(const std::string &path, int width, int height, bool withAlpha,
              const std::function<Rgba(int x, int y)> &color) {
  const int bpp = withAlpha ? 32 : 24;
  FIBITMAP *dib = FreeImage_Allocate(width, height, bpp);
  if (!dib) return false;
  for (int y = 0; y < height; ++y) {
    BYTE *pixel = FreeImage_GetScanLine(dib, height - 1 - y);
    for (int x = 0; x < width; ++x, pixel += bpp / 8) {
      const Rgba c = color(x, y);
      pixel[FI_RGBA_RED] = static_cast<BYTE>(c.red);
      pixel[FI_RGBA_GREEN] = static_cast<BYTE>(c.green);
      pixel[FI_RGBA_BLUE] = static_cast<BYTE>(c.blue);
      if (withAlpha) pixel[FI_RGBA_ALPHA] = static_cast<BYTE>(c.alpha);
    }
  }
  const bool saved = FreeImage_Save(FIF_PNG, dib, path.c_str(), PNG_DEFAULT) != 0;
  FreeImage_Unload(dib);
  return saved;
}

::testing::AssertionResult PixelsMapTo(
    const PictureFile &expected, const PictureFile &actual,
    const std::function<std::pair<int, int>(int x, int y)> &where) {
  if (!expected.IsLoaded() || !actual.IsLoaded())
    return ::testing::AssertionFailure() << "a picture could not be read";
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x) {
      const auto [toX, toY] = where(x, y);
      if (!actual.Contains(toX, toY) || actual.At(toX, toY) != expected.At(x, y))
        return ::testing::AssertionFailure()
               << "pixel (" << x << "," << y << ") " << expected.At(x, y) << " shows "
               << actual.At(toX, toY) << " at (" << toX << "," << toY << ")";
    }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SamePixels(const PictureFile &expected, const PictureFile &actual) {
  if (expected.width() != actual.width() || expected.height() != actual.height())
    return ::testing::AssertionFailure()
           << "size " << actual.width() << "x" << actual.height() << ", expected "
           << expected.width() << "x" << expected.height();
  return PixelsMapTo(expected, actual, [](int x, int y) { return std::pair{x, y}; });
}

Conversion ConvertPicture(const ScratchFolder &scratch, TestPicture picture,
                          const std::vector<std::string> &options, const std::string &extension) {
  namespace fs = std::filesystem;
  static int runs = 0;
  const std::string folder = scratch / ("conversion" + std::to_string(++runs) + "/");
  const std::string in = folder + "in/", out = folder + "out/";
  fs::create_directories(in);
  fs::create_directories(out);
  Conversion conversion;
  if (!WriteTestPicture(picture, in + "a.pct")) return conversion;
  std::vector<std::string> arguments = {"-i", in + "a.pct", "-o", out, "-c", extension, "-q"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  conversion.output = RunMarrowick(arguments).output;
  for (const auto &entry : fs::directory_iterator(out))
    conversion.written.push_back(entry.path().filename().string());
  std::sort(conversion.written.begin(), conversion.written.end());
  if (!conversion.written.empty()) conversion.picture = PictureFile(out + conversion.written[0]);
  return conversion;
}
