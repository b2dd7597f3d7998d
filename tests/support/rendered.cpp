#include "tests/support/rendered.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "platform/files.h"
#include "platform/process.h"
#include "vector/render.h"

namespace {

constexpr int kRenderMilliseconds = 120000;

}  // namespace

std::optional<std::string> WriteDocument(const vector::Drawing& drawing, Document format,
                                         const std::string& folder, std::string& message) {
  const vector::OutputPage page = vector::PageOf(drawing);
  const std::optional<std::vector<uint8_t>> bytes =
      format == Document::Svg ? vector::EncodeSvg(page, message) : vector::EncodePdf(page, message);
  if (!bytes) return std::nullopt;
  const std::string path = folder + (format == Document::Svg ? "drawing.svg" : "drawing.pdf");
  if (!WriteFileBytes(path, std::string(bytes->begin(), bytes->end()), message))
    return std::nullopt;
  return path;
}

PictureFile RenderBack(const std::string& document, Renderer renderer, const vector::Page& page) {
  const std::string png = document + ".png";
  const std::string width = std::to_string(std::lround(page.width));
  const std::string height = std::to_string(std::lround(page.height));
  std::vector<std::string> argv;
  switch (renderer) {
    // By resolution rather than by size: rsvg-convert asked for a size smooths pattern tiles that
    // its rounding of the page to whole pixels leaves a hair off their size.
    case Renderer::Librsvg:
      argv = {"rsvg-convert",
              "--dpi-x",
              std::to_string(page.unitsPerInchX),
              "--dpi-y",
              std::to_string(page.unitsPerInchY),
              "-o",
              png,
              document};
      break;
    // Both poppler programs add the extension to the name they are given.
    case Renderer::PopplerCairo:
      argv = {"pdftocairo",  "-png", "-singlefile", "-scale-to-x", width,
              "-scale-to-y", height, document,      document};
      break;
    case Renderer::PopplerSplash:
      argv = {"pdftoppm",    "-png", "-singlefile", "-scale-to-x", width,
              "-scale-to-y", height, document,      document};
      break;
  }
  if (!RunProgram(argv, kRenderMilliseconds)) return {};
  return PictureFile(png);
}

std::string PdfText(const std::string& pdf) {
  const std::string text = pdf + ".txt";
  if (!RunProgram({"pdftotext", "-enc", "UTF-8", pdf, text}, kRenderMilliseconds)) return {};
  return ReadFileBytes(text).value_or("");
}

bool IsWellFormedXml(const std::string& path) {
  return RunProgram({"xmllint", "--noout", "--nonet", path}, kRenderMilliseconds).Succeeded();
}

// True when rendered covers reference's size with at most a pixel to spare either way.
static bool IsComparable(const pict::Image& reference, const PictureFile& rendered) {
  const int dx = rendered.width() - reference.width, dy = rendered.height() - reference.height;
  return dx >= 0 && dx <= 1 && dy >= 0 && dy <= 1 && !reference.IsEmpty();
}

double Agreement(const pict::Image& reference, const PictureFile& rendered) {
  const int width = reference.width, height = reference.height;
  if (!IsComparable(reference, rendered)) return 0;
  const auto close = [](uint32_t a, const Rgb& b) {
    return std::abs(int(a >> 16 & 0xFF) - b.red) <= 64 &&
           std::abs(int(a >> 8 & 0xFF) - b.green) <= 64 && std::abs(int(a & 0xFF) - b.blue) <= 64;
  };
  long agreeing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = rendered.At(x, y);
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int nx = x + dx, ny = y + dy;
          found = nx >= 0 && ny >= 0 && nx < width && ny < height && close(reference.At(nx, ny), c);
        }
      agreeing += found;
    }
  return double(agreeing) / (double(width) * height);
}

double MixAgreement(const pict::Image& reference, const PictureFile& rendered) {
  const int width = reference.width, height = reference.height;
  if (!IsComparable(reference, rendered)) return 0;
  using Colour = std::array<int, 3>;
  const auto near = [](const Colour& a, const Colour& c) {
    return std::abs(a[0] - c[0]) <= 64 && std::abs(a[1] - c[1]) <= 64 &&
           std::abs(a[2] - c[2]) <= 64;
  };
  // True when the point of the segment from a to b nearest c is within 64 levels of c in every
  // channel.
  const auto between = [&near](const Colour& a, const Colour& b, const Colour& c) {
    double along = 0, length = 0;
    for (int k = 0; k < 3; ++k) {
      along += double(c[k] - a[k]) * (b[k] - a[k]);
      length += double(b[k] - a[k]) * (b[k] - a[k]);
    }
    const double t = length == 0 ? 0 : std::clamp(along / length, 0.0, 1.0);
    Colour mix;
    for (int k = 0; k < 3; ++k) mix[k] = int(std::lround(a[k] + t * (b[k] - a[k])));
    return near(mix, c);
  };
  long agreeing = 0;
  std::vector<Colour> around;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb shown = rendered.At(x, y);
      const Colour c{shown.red, shown.green, shown.blue};
      around.clear();
      for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny)
        for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
          const uint32_t p = reference.At(nx, ny);
          const Colour colour{int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
          if (std::find(around.begin(), around.end(), colour) == around.end())
            around.push_back(colour);
        }
      bool found = false;
      for (size_t i = 0; i < around.size() && !found; ++i)
        for (size_t j = i; j < around.size() && !found; ++j)
          found = between(around[i], around[j], c);
      agreeing += found;
    }
  return double(agreeing) / (double(width) * height);
}

long DifferingPixels(const pict::Image& reference, const PictureFile& rendered) {
  if (!IsComparable(reference, rendered)) return -1;
  long differing = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const uint32_t p = reference.At(x, y);
      differing +=
          !(rendered.At(x, y) == Rgb{int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)});
    }
  return differing;
}

pict::Image RenderAliased(const vector::Drawing& drawing, const vector::RenderOptions& options,
                          int width, int height) {
  if (width == 0) width = static_cast<int>(drawing.page.width);
  if (height == 0) height = static_cast<int>(drawing.page.height);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  std::string message;
  vector::Render(drawing, cr, options, message);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  pict::Image image(width, height, 0);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.At(x, y) = 0xFF000000 | reinterpret_cast<const uint32_t*>(data + y * stride)[x];
  cairo_surface_destroy(surface);
  return image;
}

long DifferingPixels(const pict::Image& a, const pict::Image& b, int tolerance) {
  if (a.width != b.width || a.height != b.height) return -1;
  long differing = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift = 0; shift <= 16; shift += 8)
      if (std::abs(int(a.pixels[i] >> shift & 0xFF) - int(b.pixels[i] >> shift & 0xFF)) >
          tolerance) {
        ++differing;
        break;
      }
  return differing;
}

::testing::AssertionResult RendersBackAsTheCanvas(const pict::PictResult& result, double least,
                                                  const std::string& folder, std::string& pdf) {
  if (!result.drawing) return ::testing::AssertionFailure() << "no drawing: " << result.refusal;
  for (const auto& [format, renderer] : {std::pair{Document::Svg, Renderer::Librsvg},
                                         std::pair{Document::Pdf, Renderer::PopplerCairo}}) {
    std::string message;
    const auto path = WriteDocument(result.drawing->drawing, format, folder, message);
    if (!path) return ::testing::AssertionFailure() << message;
    const PictureFile back = RenderBack(*path, renderer, result.drawing->drawing.page);
    if (!back.IsLoaded()) return ::testing::AssertionFailure() << *path << " was not rendered";
    const double agreement = Agreement(result.image, back);
    if (agreement < least)
      return ::testing::AssertionFailure()
             << *path << " agrees with the canvas on " << agreement << " of its pixels";
    const double mixes = MixAgreement(result.image, back);
    if (mixes < kMixAgreement)
      return ::testing::AssertionFailure()
             << *path << " shows the canvas's colours or mixes of them on only " << mixes
             << " of its pixels";
    if (format == Document::Svg && !IsWellFormedXml(*path))
      return ::testing::AssertionFailure() << *path << " is not well-formed XML";
    if (format == Document::Pdf) pdf = *path;
  }
  return ::testing::AssertionSuccess();
}
