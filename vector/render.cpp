#include "vector/render.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/drawing.h"
#include "vector/text_layout.h"

namespace vector {

namespace {

struct CairoDestroy {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
struct SurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfaceOwner = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;
struct PatternDestroy {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using PatternOwner = std::unique_ptr<cairo_pattern_t, PatternDestroy>;
struct PathDestroy {
  void operator()(cairo_path_t* path) const { cairo_path_destroy(path); }
};

// Twice the area the path's closed contours enclose, each counted positive when it goes round
// the way cairo_rectangle does (clockwise on the page) and negative the other way; curves count
// by their control points, which go round the same way.
double SignedArea(const cairo_path_t* path) {
  double sum = 0;
  double startX = 0, startY = 0, lastX = 0, lastY = 0;
  const auto edgeTo = [&](double x, double y) {
    sum += lastX * y - x * lastY;
    lastX = x;
    lastY = y;
  };
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* data = &path->data[i];
    switch (data->header.type) {
      case CAIRO_PATH_MOVE_TO:
        edgeTo(startX, startY);
        startX = lastX = data[1].point.x;
        startY = lastY = data[1].point.y;
        break;
      case CAIRO_PATH_LINE_TO:
        edgeTo(data[1].point.x, data[1].point.y);
        break;
      case CAIRO_PATH_CURVE_TO:
        for (int k = 1; k <= 3; ++k) edgeTo(data[k].point.x, data[k].point.y);
        break;
      case CAIRO_PATH_CLOSE_PATH:
        edgeTo(startX, startY);
        break;
    }
  }
  edgeTo(startX, startY);
  return sum;
}

// Shows the line's glyphs where the layout put them, or with asPath adds their outlines to the
// path, drawn from the fonts' own outlines. The layout's fonts are hinted to whole units for
// the canvas; outlines hinted at the size of a page's unit would look blocky once zoomed in.
// The glyphs' places stay the layout's, so they stand where the canvas shows them.
void ShowTrueGlyphs(cairo_t* cr, PangoLayoutLine* line, bool asPath) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_save(cr);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  std::vector<cairo_glyph_t> glyphs;
  int x = 0;  // in Pango units from the line's start
  for (const GSList* runs = line->runs; runs; runs = runs->next) {
    const auto* run = static_cast<const PangoGlyphItem*>(runs->data);
    const PangoGlyphString* string = run->glyphs;
    glyphs.clear();
    for (int i = 0; i < string->num_glyphs; ++i) {
      const PangoGlyphInfo& glyph = string->glyphs[i];
      if (glyph.glyph != PANGO_GLYPH_EMPTY && !(glyph.glyph & PANGO_GLYPH_UNKNOWN_FLAG))
        glyphs.push_back({glyph.glyph, double(x + glyph.geometry.x_offset) / PANGO_SCALE,
                          double(glyph.geometry.y_offset) / PANGO_SCALE});
      x += glyph.geometry.width;
    }
    cairo_scaled_font_t* font =
        run->item->analysis.font
            ? pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(run->item->analysis.font))
            : nullptr;
    if (!font || glyphs.empty()) continue;
    cairo_matrix_t size;
    cairo_scaled_font_get_font_matrix(font, &size);
    cairo_set_font_face(cr, cairo_scaled_font_get_font_face(font));
    cairo_set_font_matrix(cr, &size);
    if (asPath)
      cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    else
      cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
  }
  cairo_restore(cr);
}

cairo_matrix_t ToCairo(const Matrix& m) { return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}; }

// Cairo's image surfaces hold at most 32767 pixels a side; images are drawn in tiles well
// within that, so a surface never takes more than 256 MiB.
constexpr int kTileSide = 8192;

// Where the picture of one operation is drawn, and the colours it goes through.
class Renderer {
 public:
  Renderer(cairo_t* cr, const RenderOptions& options) : cr_(cr), options_(options) {}

  bool Draw(const Drawing& drawing, std::string& message) {
    cairo_save(cr_);
    const cairo_matrix_t transform = ToCairo(options_.transform);
    cairo_transform(cr_, &transform);
    bool ok = true;
    for (const Operation& operation : drawing.operations) {
      ok = std::visit([&](const auto& op) { return Do(op, message); }, operation);
      if (!ok || cairo_status(cr_) != CAIRO_STATUS_SUCCESS) break;
    }
    for (; clips_ > 0; --clips_) cairo_restore(cr_);
    cairo_restore(cr_);
    if (ok && cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
      message = std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr_));
      ok = false;
    }
    return ok;
  }

 private:
  Colour Map(Colour c) {
    if (!options_.colour) return c;
    if ((c & 0xFFFFFF) != lastIn_ || !hasLast_) {
      lastIn_ = c & 0xFFFFFF;
      lastOut_ = options_.colour(lastIn_) & 0xFFFFFF;
      hasLast_ = true;
    }
    return (c & 0xFF000000) | lastOut_;
  }

  void SetColour(Colour c) {
    c = Map(c);
    cairo_set_source_rgba(cr_, (c >> 16 & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0,
                          (c & 0xFF) / 255.0, (c >> 24) / 255.0);
  }

  void SetPath(const Path& path) {
    cairo_new_path(cr_);
    for (const Path::Segment& s : path.Segments()) {
      const Point* p = s.points;
      switch (s.kind) {
        case Path::Kind::Move:
          cairo_move_to(cr_, p[0].x, p[0].y);
          break;
        case Path::Kind::Line:
          cairo_line_to(cr_, p[0].x, p[0].y);
          break;
        case Path::Kind::Curve:
          cairo_curve_to(cr_, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
          break;
        case Path::Kind::Close:
          cairo_close_path(cr_);
          break;
      }
    }
  }

  void SetRule(FillRule rule) {
    cairo_set_fill_rule(
        cr_, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  }

  // A surface of the pixels of area (colours mapped), or of ink wherever they have any alpha,
  // each pixel a block of enlarge x enlarge; RGB24 when they are all opaque.
  SurfaceOwner Surface(const Pixels& pixels, int left, int top, int width, int height,
                       std::optional<Colour> ink = std::nullopt, int enlarge = 1) {
    const auto colourAt = [&](int x, int y) {
      const Colour c = pixels.At(x, y);
      return !ink ? c : c >> 24 ? *ink : 0;
    };
    bool opaque = true;
    for (int y = top; y < top + height && opaque; ++y)
      for (int x = left; x < left + width; ++x)
        if ((colourAt(x, y) >> 24) != 0xFF) {
          opaque = false;
          break;
        }
    SurfaceOwner surface(cairo_image_surface_create(
        opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width * enlarge, height * enlarge));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height * enlarge; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride);
      // The rows of one enlarged pixel row after its first are copies of it.
      if (y % enlarge != 0) {
        std::memcpy(row, data + ptrdiff_t(y - 1) * stride, size_t(width) * enlarge * 4);
        continue;
      }
      for (int x = 0; x < width; ++x) {
        const Colour c = Map(colourAt(left + x, top + y / enlarge));
        const uint32_t a = c >> 24;
        const uint32_t premultiplied = a << 24 | PremultiplyChannel(c >> 16 & 0xFF, a) << 16 |
                                       PremultiplyChannel(c >> 8 & 0xFF, a) << 8 |
                                       PremultiplyChannel(c & 0xFF, a);
        std::fill(row + x * enlarge, row + (x + 1) * enlarge, premultiplied);
      }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
  }

  // A one-bit surface: set where a pixel of area has any alpha.
  static SurfaceOwner MaskSurface(const Pixels& pixels, int left, int top, int width, int height) {
    SurfaceOwner surface(cairo_image_surface_create(CAIRO_FORMAT_A1, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(data + ptrdiff_t(y) * stride);
      std::fill(row, row + stride / 4, 0u);
      // A1 packs 32 pixels a word, the first pixel in the bit the platform's order puts first.
      for (int x = 0; x < width; ++x)
        if (pixels.At(left + x, top + y) >> 24)
          row[x / 32] |=
              std::endian::native == std::endian::little ? 1u << (x % 32) : 0x80000000u >> (x % 32);
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
  }

  bool Do(const FillOp& op, std::string& message) {
    if (op.path.IsEmpty()) return true;
    SetPath(op.path);
    SetRule(op.rule);
    if (op.paint.tile.IsEmpty()) {
      SetColour(op.paint.colour);
      cairo_fill(cr_);
      return true;
    }
    const Pixels& tile = op.paint.tile;
    const SurfaceOwner surface = Surface(tile, 0, 0, tile.width, tile.height);
    if (!surface) return OutOfMemory(message);
    const PatternOwner pattern(cairo_pattern_create_for_surface(surface.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    cairo_matrix_t toTile = ToCairo(op.paint.tilePlacement);
    if (cairo_matrix_invert(&toTile) != CAIRO_STATUS_SUCCESS) return true;  // a flat tile
    cairo_pattern_set_matrix(pattern.get(), &toTile);
    cairo_set_source(cr_, pattern.get());
    cairo_fill(cr_);
    return true;
  }

  bool Do(const ClipOp& op, std::string&) {
    cairo_save(cr_);
    ++clips_;
    SetPath(op.path);
    SetRule(op.rule);
    cairo_clip(cr_);
    return true;
  }

  bool Do(const UnclipOp&, std::string&) {
    if (clips_ == 0) return true;
    cairo_restore(cr_);
    --clips_;
    return true;
  }

  bool Do(const TextOp& op, std::string& message) {
    const std::optional<LaidOutText> text = LayOutText(op.run, message);
    if (!text) return false;
    if (!text->line) return true;
    const cairo_matrix_t placement = ToCairo(op.placement);
    if (op.outline || op.shadow) DrawOutline(op, text->line, placement);
    cairo_save(cr_);
    cairo_transform(cr_, &placement);
    // Outlined glyphs are hollow: the text goes on them all but invisible, to be found.
    constexpr Colour kAlmostClear = 0x02000000;
    SetColour(op.outline || op.shadow ? kAlmostClear | (op.colour & 0xFFFFFF) : op.colour);
    cairo_new_path(cr_);
    // In a PDF the fonts go in whole, outlines and all, and Pango's way of showing the text
    // also tells which characters each glyph stands for, for finding and copying; an SVG
    // holds the glyphs as outlines.
    if (cairo_surface_get_type(cairo_get_target(cr_)) == CAIRO_SURFACE_TYPE_SVG) {
      ShowTrueGlyphs(cr_, text->line, false);
    } else {
      cairo_move_to(cr_, 0, 0);
      pango_cairo_show_layout_line(cr_, text->line);
    }
    cairo_restore(cr_);
    return true;
  }

  // QuickDraw's outline face: the glyphs grown by a unit each way, less the glyphs; its shadow
  // face adds the grown glyphs once more, a unit right and down.
  void DrawOutline(const TextOp& op, PangoLayoutLine* line, const cairo_matrix_t& placement) {
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_transform(cr_, &placement);
    ShowTrueGlyphs(cr_, line, true);
    cairo_restore(cr_);
    const std::unique_ptr<cairo_path_t, PathDestroy> glyphs(cairo_copy_path(cr_));
    // Everything but the glyphs, by the winding rule: a box going round against the glyphs'
    // outer contours. Not by the even-odd rule, which Cairo's SVG writer puts on the element
    // the clip applies to, where SVG readers ignore it, rather than on the clip's own path.
    const bool glyphsClockwise = SignedArea(glyphs.get()) > 0;
    double left, top, right, bottom;
    cairo_clip_extents(cr_, &left, &top, &right, &bottom);
    cairo_save(cr_);
    cairo_new_path(cr_);
    if (glyphsClockwise) {
      cairo_move_to(cr_, left, top);
      cairo_line_to(cr_, left, bottom);
      cairo_line_to(cr_, right, bottom);
      cairo_line_to(cr_, right, top);
      cairo_close_path(cr_);
    } else {
      cairo_rectangle(cr_, left, top, right - left, bottom - top);
    }
    cairo_append_path(cr_, glyphs.get());
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr_);
    SetColour(op.colour);
    cairo_set_line_width(cr_, 2);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_append_path(cr_, glyphs.get());
    cairo_stroke(cr_);
    if (op.shadow) {
      cairo_translate(cr_, 1, 1);
      cairo_append_path(cr_, glyphs.get());
      cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
      cairo_fill_preserve(cr_);
      cairo_stroke(cr_);
    }
    cairo_restore(cr_);
  }

  bool Do(const ImageOp& op, std::string& message) {
    const Pixels& pixels = op.pixels;
    if (pixels.IsEmpty() || pixels.argb.size() != size_t(pixels.width) * size_t(pixels.height))
      return true;
    cairo_save(cr_);
    const cairo_matrix_t placement = ToCairo(op.placement);
    cairo_transform(cr_, &placement);
    const cairo_filter_t filter =
        op.sampling == Sampling::Nearest ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD;
    // Cairo's SVG surface puts a mask at the origin whatever the transformation: there a mask
    // is an image in its colour. Nor can it ask for nearest sampling, and viewers smooth an
    // image they enlarge: in SVG an image the drawing enlarges is stored enlarged by the whole
    // factor, each pixel a block, so that it shows sharp at the size of the drawing's units.
    const bool svg = cairo_surface_get_type(cairo_get_target(cr_)) == CAIRO_SURFACE_TYPE_SVG;
    const bool asMask = op.mask && !svg;
    int enlarge = 1;
    if (svg && op.sampling == Sampling::Nearest) {
      const double scale = std::min(std::hypot(op.placement.xx, op.placement.yx),
                                    std::hypot(op.placement.xy, op.placement.yy));
      enlarge = static_cast<int>(std::clamp(std::floor(scale + 1e-6), 1.0, 16.0));
    }
    const int side = kTileSide / enlarge;
    bool ok = true;
    for (int top = 0; top < pixels.height && ok; top += side)
      for (int left = 0; left < pixels.width && ok; left += side) {
        const int width = std::min(side, pixels.width - left);
        const int height = std::min(side, pixels.height - top);
        const SurfaceOwner surface =
            asMask ? MaskSurface(pixels, left, top, width, height)
                   : Surface(pixels, left, top, width, height, op.mask, enlarge);
        if (!surface) {
          ok = false;
          break;
        }
        // The JPEG stands for the whole image, and only while its colours stay as they are.
        if (!op.jpeg.empty() && !op.mask && !options_.colour && width == pixels.width &&
            height == pixels.height)
          AttachJpeg(surface.get(), op.jpeg);
        const PatternOwner pattern(cairo_pattern_create_for_surface(surface.get()));
        cairo_pattern_set_filter(pattern.get(), filter);
        cairo_matrix_t at;
        cairo_matrix_init_scale(&at, enlarge, enlarge);
        cairo_matrix_translate(&at, -left, -top);
        cairo_pattern_set_matrix(pattern.get(), &at);
        cairo_new_path(cr_);
        if (asMask) {
          SetColour(*op.mask);
          cairo_mask(cr_, pattern.get());
        } else {
          cairo_set_source(cr_, pattern.get());
          cairo_rectangle(cr_, left, top, width, height);
          cairo_fill(cr_);
        }
      }
    cairo_restore(cr_);
    return ok || OutOfMemory(message);
  }

  static void AttachJpeg(cairo_surface_t* surface, const std::vector<uint8_t>& jpeg) {
    // Cairo keeps the bytes until the document is written, which may be after the drawing is
    // gone: it gets a copy of its own.
    auto* copy = static_cast<unsigned char*>(std::malloc(jpeg.size()));
    if (!copy) return;
    std::memcpy(copy, jpeg.data(), jpeg.size());
    if (cairo_surface_set_mime_data(surface, CAIRO_MIME_TYPE_JPEG, copy, jpeg.size(), std::free,
                                    copy) != CAIRO_STATUS_SUCCESS)
      std::free(copy);
  }

  static bool OutOfMemory(std::string& message) {
    message = "out of memory for an image";
    return false;
  }

  cairo_t* cr_;
  const RenderOptions& options_;
  int clips_ = 0;
  bool hasLast_ = false;
  Colour lastIn_ = 0, lastOut_ = 0;
};

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

using SurfaceMaker = cairo_surface_t* (*)(std::vector<uint8_t>& bytes, double width, double height);

// The page onto the surface maker's document, finished and in memory.
std::optional<std::vector<uint8_t>> Encode(const OutputPage& page, SurfaceMaker make,
                                           std::string& message) {
  // Cairo's documents hold pages of up to 32767 points a side, as its image surfaces do.
  if (!(page.width >= 1 && page.height >= 1 && page.width <= 32767 && page.height <= 32767)) {
    message = "page of " + std::to_string(page.width) + " x " + std::to_string(page.height) +
              " points: empty or larger than allowed";
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  const SurfaceOwner surface(make(bytes, page.width, page.height));
  bool ok = true;
  {
    const std::unique_ptr<cairo_t, CairoDestroy> cr(cairo_create(surface.get()));
    if (page.background) {
      const Colour c = *page.background;
      cairo_set_source_rgba(cr.get(), (c >> 16 & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0,
                            (c & 0xFF) / 255.0, (c >> 24) / 255.0);
      cairo_paint(cr.get());
    }
    for (const Layer& layer : page.layers)
      if (ok && layer.drawing) ok = Render(*layer.drawing, cr.get(), layer.render, message);
  }
  cairo_surface_finish(surface.get());
  if (ok && cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    message = std::string("cannot write the document: ") +
              cairo_status_to_string(cairo_surface_status(surface.get()));
    ok = false;
  }
  if (!ok) return std::nullopt;
  return bytes;
}

cairo_surface_t* MakeSvg(std::vector<uint8_t>& bytes, double width, double height) {
  cairo_surface_t* surface = cairo_svg_surface_create_for_stream(Append, &bytes, width, height);
  cairo_svg_surface_restrict_to_version(surface, CAIRO_SVG_VERSION_1_1);
  cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PT);
  return surface;
}

cairo_surface_t* MakePdf(std::vector<uint8_t>& bytes, double width, double height) {
  return cairo_pdf_surface_create_for_stream(Append, &bytes, width, height);
}

}  // namespace

bool Render(const Drawing& drawing, cairo_t* cr, const RenderOptions& options,
            std::string& message) {
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    message = std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr));
    return false;
  }
  return Renderer(cr, options).Draw(drawing, message);
}

OutputPage PageOf(const Drawing& drawing) {
  const Page& page = drawing.page;
  const double sx = page.unitsPerInchX > 0 ? 72 / page.unitsPerInchX : 1;
  const double sy = page.unitsPerInchY > 0 ? 72 / page.unitsPerInchY : 1;
  OutputPage output;
  output.width = page.width * sx;
  output.height = page.height * sy;
  output.layers.push_back({&drawing, {Matrix::Scaling(sx, sy), {}}});
  return output;
}

std::optional<std::vector<uint8_t>> EncodeSvg(const OutputPage& page, std::string& message) {
  return Encode(page, MakeSvg, message);
}

std::optional<std::vector<uint8_t>> EncodePdf(const OutputPage& page, std::string& message) {
  return Encode(page, MakePdf, message);
}

}  // namespace vector
