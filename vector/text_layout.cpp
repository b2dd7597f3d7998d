#include "vector/text_layout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/pango_font.h"

namespace vector {

namespace {

struct MetricsUnref {
  void operator()(PangoFontMetrics* metrics) const { pango_font_metrics_unref(metrics); }
};
struct AttributesUnref {
  void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};

// One font at one size, with a layout to set text in it.
struct LoadedFont {
  PangoOwned<PangoLayout> layout;  // empty when no font could be loaded
  FontMetrics metrics;
};

// The fonts of one thread. Pango's font maps are not shared between threads, so every thread
// that sets text gets a font map, a context and loaded fonts of its own.
class ThreadFonts {
 public:
  ThreadFonts() : fontMap_(NewFontMap()) {
    context_.reset(pango_font_map_create_context(fontMap_.get()));
    // Bitmap text as QuickDraw draws it: no antialiasing, outlines fitted to the pixel grid and
    // whole-pixel advances. Set here rather than taken from the machine's fontconfig settings,
    // so that every machine draws the same pixels.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(context_.get(), options);
    cairo_font_options_destroy(options);
    pango_context_set_language(context_.get(), pango_language_from_string("en"));
    pango_context_set_base_dir(context_.get(), PANGO_DIRECTION_LTR);
  }

  // The font, loaded on first use. Its layout is shared by every call on this thread.
  const LoadedFont& Get(const Font& font) {
    const long units = std::lround(font.size * PANGO_SCALE);
    std::string key(font.family);
    key += font.bold ? "|b" : "|";
    key += font.italic ? "i|" : "|";
    key += std::to_string(units);
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    // A picture uses a handful of fonts; a file that keeps changing sizes only costs reloads.
    if (fonts_.size() >= kMaxFonts) fonts_.clear();
    FontRequest request;
    request.family = font.family;
    request.pixelSize = font.size;
    request.bold = font.bold;
    request.italic = font.italic;
    return fonts_[key] = Load(request);
  }

 private:
  static constexpr size_t kMaxFonts = 64;

  LoadedFont Load(const FontRequest& request) {
    const PangoDescription description = DescribeFont(request);
    LoadedFont font;
    const PangoOwned<PangoFont> loaded = LoadPangoFont(context_.get(), description.get());
    if (!loaded) return font;
    const std::unique_ptr<PangoFontMetrics, MetricsUnref> metrics(
        pango_font_get_metrics(loaded.get(), nullptr));
    const auto units = [](int value) { return static_cast<double>(value) / PANGO_SCALE; };
    FontMetrics& m = font.metrics;
    m.ascent = units(pango_font_metrics_get_ascent(metrics.get()));
    m.descent = units(pango_font_metrics_get_descent(metrics.get()));
    // The font's own underline, kept at least one pixel clear of the baseline as QuickDraw
    // keeps it.
    m.underlineTop =
        std::max(1.0, std::floor(-units(pango_font_metrics_get_underline_position(metrics.get()))));
    m.underlineThickness =
        std::max(1.0, std::round(units(pango_font_metrics_get_underline_thickness(metrics.get()))));

    font.layout.reset(pango_layout_new(context_.get()));
    pango_layout_set_font_description(font.layout.get(), description.get());
    pango_layout_set_single_paragraph_mode(font.layout.get(), TRUE);
    // QuickDraw neither kerns nor joins letters into ligatures.
    const std::unique_ptr<PangoAttrList, AttributesUnref> attributes(pango_attr_list_new());
    pango_attr_list_insert(attributes.get(), pango_attr_font_features_new("-kern, -liga, -clig"));
    pango_layout_set_attributes(font.layout.get(), attributes.get());
    return font;
  }

  PangoOwned<PangoFontMap> fontMap_;
  PangoOwned<PangoContext> context_;
  std::map<std::string, LoadedFont> fonts_;
};

ThreadFonts& FontsOfThisThread() {
  static thread_local ThreadFonts fonts;
  return fonts;
}

// Widens each cluster's last glyph by the extras of its characters, so the glyphs after it move
// as QuickDraw moves them. The layout's line is changed in place; it stays so until the next
// text is set. Gives how far the glyphs moved at most to the left and to the right.
std::pair<double, double> ApplyExtras(PangoLayout* layout, const std::vector<double>& extras) {
  double total = 0, least = 0, most = 0;
  PangoLayoutLine* line = pango_layout_get_line(layout, 0);
  for (GSList* run = line ? line->runs : nullptr; run; run = run->next) {
    const auto* item = static_cast<PangoGlyphItem*>(run->data);
    PangoGlyphString* glyphs = item->glyphs;
    int i = 0;
    while (i < glyphs->num_glyphs) {
      const int start = glyphs->log_clusters[i];
      int next = i + 1;
      while (next < glyphs->num_glyphs && glyphs->log_clusters[next] == start) ++next;
      const int end = next < glyphs->num_glyphs ? glyphs->log_clusters[next] : item->item->length;
      double extra = 0;
      for (int k = item->item->offset + start; k < item->item->offset + end; ++k)
        extra += k < static_cast<int>(extras.size()) ? extras[static_cast<size_t>(k)] : 0;
      glyphs->glyphs[next - 1].geometry.width += static_cast<int>(std::lround(extra * PANGO_SCALE));
      total += extra;
      least = std::min(least, total);
      most = std::max(most, total);
      i = next;
    }
  }
  return {least, most};
}

double LineWidth(PangoLayoutLine* line) {
  int64_t width = 0;
  for (GSList* run = line ? line->runs : nullptr; run; run = run->next) {
    const PangoGlyphString* glyphs = static_cast<PangoGlyphItem*>(run->data)->glyphs;
    for (int i = 0; i < glyphs->num_glyphs; ++i) width += glyphs->glyphs[i].geometry.width;
  }
  return static_cast<double>(width) / PANGO_SCALE;
}

}  // namespace

std::optional<LaidOutText> LayOutText(const TextRun& run, std::string& reason) {
  const LoadedFont& font = FontsOfThisThread().Get(run.font);
  if (!font.layout) {
    reason = "no usable font";
    return std::nullopt;
  }
  PangoLayout* layout = font.layout.get();
  pango_layout_set_text(layout, run.utf8.data(), static_cast<int>(run.utf8.size()));
  LaidOutText text;
  text.metrics = font.metrics;
  if (run.utf8.empty()) return text;

  PangoRectangle ink;
  pango_layout_get_extents(layout, &ink, nullptr);
  const double baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  const auto units = [](int value) { return static_cast<double>(value) / PANGO_SCALE; };
  text.inkLeft = units(ink.x);
  text.inkTop = units(ink.y) - baseline;
  text.inkRight = units(ink.x + ink.width);
  text.inkBottom = units(ink.y + ink.height) - baseline;
  std::tie(text.leastShift, text.mostShift) = ApplyExtras(layout, run.extras);
  text.line = pango_layout_get_line(layout, 0);
  text.width = LineWidth(text.line);
  return text;
}

}  // namespace vector
