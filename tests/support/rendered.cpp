#include "tests/support/rendered.h"

#include <cstdlib>

#include "platform/files.h"
#include "platform/process.h"
#include "vector/render.h"

namespace {

constexpr int kRenderMilliseconds = 120000;

}  // namespace

std::optional<std::string> WriteDocument(const vector::Drawing& drawing, Document format,
                                         const std::string& folder, std::string& message) {
  const vector::OutputPage page = vector::PageOf(drawing.page);
  const std::optional<std::vector<uint8_t>> bytes = format == Document::Svg
                                                        ? vector::EncodeSvg(drawing, page, message)
                                                        : vector::EncodePdf(drawing, page, message);
  if (!bytes) return std::nullopt;
  const std::string path = folder + (format == Document::Svg ? "drawing.svg" : "drawing.pdf");
  if (!WriteFileBytes(path, std::string(bytes->begin(), bytes->end()), message))
    return std::nullopt;
  return path;
}

PictureFile RenderBack(const std::string& document, Renderer renderer, const vector::Page& page) {
  // By resolution rather than by size: rsvg-convert asked for a size smooths pattern tiles that
  // its rounding of the page to whole pixels leaves a hair off their size.
  const auto dpi = [](double unitsPerInch) { return std::to_string(unitsPerInch); };
  const std::string x = dpi(page.unitsPerInchX), y = dpi(page.unitsPerInchY);
  const std::string png = document + ".png";
  std::vector<std::string> argv;
  switch (renderer) {
    case Renderer::Librsvg:
      argv = {"rsvg-convert", "--dpi-x", x, "--dpi-y", y, "-o", png, document};
      break;
    // Both poppler programs add the extension to the name they are given.
    case Renderer::PopplerCairo:
      argv = {"pdftocairo", "-png", "-singlefile", "-rx", x, "-ry", y, document, document};
      break;
    case Renderer::PopplerSplash:
      argv = {"pdftoppm", "-png", "-singlefile", "-rx", x, "-ry", y, document, document};
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

double Agreement(const pict::Image& reference, const PictureFile& rendered) {
  const int width = reference.width, height = reference.height;
  if (rendered.width() != width || rendered.height() != height || width * height == 0) return 0;
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

long DifferingPixels(const pict::Image& reference, const PictureFile& rendered) {
  if (rendered.width() != reference.width || rendered.height() != reference.height) return -1;
  long differing = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const uint32_t p = reference.At(x, y);
      differing +=
          !(rendered.At(x, y) == Rgb{int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)});
    }
  return differing;
}
