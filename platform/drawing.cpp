#include "platform/drawing.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "platform/pango_font.h"

struct SurfaceState {
  cairo_surface_t* surface = nullptr;
};

void SurfaceStateDeleter::operator()(SurfaceState* state) const {
  cairo_surface_destroy(state->surface);
  delete state;
}

struct SurfaceAccess {
  static cairo_surface_t* Get(Surface& surface) {
    return surface.state_ ? surface.state_->surface : nullptr;
  }
};

// Cairo refuses image surfaces beyond this size on each side.
static constexpr int kMaxSurfaceSide = 32767;

Surface::Surface(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return;
  }
  state_.reset(new SurfaceState{surface});
  width_ = width;
  height_ = height;
}

SurfacePixels Surface::Pixels() {
  if (!state_) return {};
  cairo_surface_flush(state_->surface);
  return {width_, height_, cairo_image_surface_get_stride(state_->surface),
          cairo_image_surface_get_data(state_->surface)};
}

void Surface::MarkDirty() {
  if (state_) cairo_surface_mark_dirty(state_->surface);
}

struct CairoDestroyer {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using Cairo = std::unique_ptr<cairo_t, CairoDestroyer>;

// A drawing context on the surface; empty when the surface is empty or Cairo cannot start.
static Cairo StartDrawing(Surface& surface) {
  cairo_surface_t* target = SurfaceAccess::Get(surface);
  if (!target) return nullptr;
  Cairo cr(cairo_create(target));
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return cr;
}

static void SetColor(cairo_t* cr, Rgba color) {
  cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0,
                        color.alpha / 255.0);
}

bool FillRectangle(Surface& surface, int x, int y, int width, int height, Rgba color) {
  Cairo cr = StartDrawing(surface);
  if (!cr) return false;
  SetColor(cr.get(), color);
  cairo_rectangle(cr.get(), x, y, width, height);
  cairo_fill(cr.get());
  return true;
}

bool FillPolygon(Surface& surface, const std::vector<Point>& vertices, Rgba color) {
  Cairo cr = StartDrawing(surface);
  if (!cr) return false;
  if (vertices.empty()) return true;
  // An absolute move to the first vertex, then relative segments, as in an SVG path.
  cairo_move_to(cr.get(), vertices[0].x, vertices[0].y);
  for (size_t i = 1; i < vertices.size(); ++i)
    cairo_rel_line_to(cr.get(), vertices[i].x - vertices[i - 1].x,
                      vertices[i].y - vertices[i - 1].y);
  cairo_close_path(cr.get());
  SetColor(cr.get(), color);
  cairo_fill(cr.get());
  return true;
}

static uint32_t Premultiplied(Rgba color) {
  const auto scale = [&](uint8_t c) { return PremultiplyChannel(c, color.alpha); };
  return static_cast<uint32_t>(color.alpha) << 24 | scale(color.red) << 16 |
         scale(color.green) << 8 | scale(color.blue);
}

// Writes the colour into the part of the rectangle inside the surface, without blending.
// Written directly: cairo_set_source_rgba truncates alpha and would be off by one.
static bool FillExactly(Surface& surface, int x, int y, int width, int height, Rgba color) {
  const SurfacePixels view = surface.Pixels();
  if (!view.pixels) return false;
  const int left = std::max(x, 0), right = std::min(x + width, view.width);
  const int top = std::max(y, 0), bottom = std::min(y + height, view.height);
  const uint32_t word = Premultiplied(color);
  for (int row = top; row < bottom; ++row) {
    auto* line =
        reinterpret_cast<uint32_t*>(view.pixels + static_cast<ptrdiff_t>(row) * view.stride);
    std::fill(line + left, line + std::max(left, right), word);
  }
  surface.MarkDirty();
  return true;
}

bool FillSurface(Surface& surface, Rgba color) {
  return FillExactly(surface, 0, 0, surface.Width(), surface.Height(), color);
}

bool PaintSurface(Surface& target, Surface& source, int x, int y, int opacity) {
  cairo_surface_t* from = SurfaceAccess::Get(source);
  Cairo cr = StartDrawing(target);
  if (!cr || !from) return false;
  cairo_set_source_surface(cr.get(), from, x, y);
  cairo_paint_with_alpha(cr.get(), std::clamp(opacity, 0, 255) / 255.0);
  return true;
}

struct FontState {
  PangoFontMap* fontMap = nullptr;
  PangoFontDescription* description = nullptr;
  PangoAttrList* attributes = nullptr;
};

void FontStateDeleter::operator()(FontState* state) const {
  if (state->attributes) pango_attr_list_unref(state->attributes);
  if (state->description) pango_font_description_free(state->description);
  if (state->fontMap) g_object_unref(state->fontMap);
  delete state;
}

struct FontAccess {
  static const FontState* Get(const Font& font) { return font.state_.get(); }
};

Font LoadFont(const FontRequest& request) {
  // A font map of its own: the default one differs per thread, and the font is loaded on
  // one thread and drawn with on another.
  std::unique_ptr<FontState, FontStateDeleter> state(new FontState);
  state->fontMap = NewFontMap().release();
  state->description = DescribeFont(request).release();
  state->attributes = pango_attr_list_new();
  if (request.underline)
    pango_attr_list_insert(state->attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (request.strikeout) pango_attr_list_insert(state->attributes, pango_attr_strikethrough_new(TRUE));

  const PangoOwned<PangoContext> context(pango_font_map_create_context(state->fontMap));
  if (!LoadPangoFont(context.get(), state->description)) return {};
  Font font;
  font.state_ = std::move(state);
  return font;
}

bool CanLoadFont(const FontRequest& request) {
  // Pango loads a font when fontconfig matches the description with a font file: ask the same.
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* file = nullptr;
  const bool found = match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return found;
}

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using Layout = std::unique_ptr<PangoLayout, GObjectUnref>;

// A layout of one literal line for drawing with `cr`: its context follows cr's target (metrics
// hinting is on for image surfaces) and the antialiasing of `mode`.
static Layout MakeLayout(cairo_t* cr, const FontState& font, const std::string& text,
                         TextMode mode) {
  std::unique_ptr<PangoContext, GObjectUnref> context(pango_font_map_create_context(font.fontMap));
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(
      options, mode == TextMode::Plain ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context.get(), options);
  cairo_font_options_destroy(options);
  pango_cairo_update_context(cr, context.get());

  Layout layout(pango_layout_new(context.get()));
  pango_layout_set_font_description(layout.get(), font.description);
  pango_layout_set_attributes(layout.get(), font.attributes);
  // Line breaks and markup characters in user text stay literal.
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  // Pango warns on stderr about invalid UTF-8; repair it here instead.
  gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
  pango_layout_set_text(layout.get(), valid, -1);
  g_free(valid);
  return layout;
}

TextExtents MeasureText(const Font& font, const std::string& text, TextMode mode) {
  const FontState* state = FontAccess::Get(font);
  if (!state) return {};
  Surface scratch(1, 1);
  Cairo cr = StartDrawing(scratch);
  if (!cr) return {};
  const Layout layout = MakeLayout(cr.get(), *state, text, mode);
  PangoRectangle logical;
  pango_layout_get_extents(layout.get(), nullptr, &logical);
  TextExtents extents;
  extents.exactWidth = static_cast<double>(logical.width) / PANGO_SCALE;
  extents.baseline = static_cast<double>(pango_layout_get_baseline(layout.get())) / PANGO_SCALE;
  pango_extents_to_pixels(&logical, nullptr);
  extents.width = logical.width;
  extents.height = logical.height;
  return extents;
}

bool DrawText(Surface& surface, const Font& font, const std::string& text, int x, int y, Rgba color,
              Rgba background, TextMode mode) {
  const FontState* state = FontAccess::Get(font);
  Cairo cr = StartDrawing(surface);
  if (!cr || !state) return false;
  const Layout layout = MakeLayout(cr.get(), *state, text, mode);
  if (mode == TextMode::Plain) {
    // Underline and strike-out are rectangles drawn with the context's own setting.
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
    // Opaque text cells: the cell and then the glyphs replace what is there.
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    PangoRectangle cell;
    pango_layout_get_pixel_extents(layout.get(), nullptr, &cell);
    FillExactly(surface, x + cell.x, y + cell.y, cell.width, cell.height, background);
  }
  SetColor(cr.get(), color);
  cairo_move_to(cr.get(), x, y);
  pango_cairo_show_layout(cr.get(), layout.get());
  return true;
}
