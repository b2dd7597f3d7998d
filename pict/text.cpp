#include "pict/text.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <numbers>
#include <vector>

#include "pict/limits.h"
#include "platform/pango_font.h"

namespace pict {

namespace {

// Only families the build installs (fonts-liberation, fonts-dejavu-core) are asked for by
// name: fontconfig would answer "Helvetica" or "Times" with whatever else happens to be on the
// machine.
constexpr std::string_view kSans = "Liberation Sans";
constexpr std::string_view kSansNarrow = "Liberation Sans Narrow";
constexpr std::string_view kSerif = "Liberation Serif";
constexpr std::string_view kMono = "Liberation Mono";
// Geneva, New York, Chicago and Monaco were drawn for the screen, wider than the printer fonts
// Helvetica, Times and Courier: the DejaVu families (Bitstream Vera) have such wide metrics,
// Liberation matches the printer fonts' widths.
constexpr std::string_view kWideSans = "DejaVu Sans";
constexpr std::string_view kWideSerif = "DejaVu Serif";
constexpr std::string_view kWideMono = "DejaVu Sans Mono";
constexpr std::string_view kSymbols = "DejaVu Sans";  // has the Greek, mathematics and dingbats

// QuickDraw's font numbers as the Font Manager assigns them (Inside Macintosh: Text), with the
// LaserWriter families Apple numbered alongside (13 to 34).
struct NumberedFont {
  int number;
  std::string_view name;
};
constexpr NumberedFont kFontNumbers[] = {
    {0, "Chicago"},        {1, "Geneva"},         {2, "New York"},
    {3, "Geneva"},         {4, "Monaco"},         {5, "Venice"},
    {6, "London"},         {7, "Athens"},         {8, "San Francisco"},
    {9, "Toronto"},        {11, "Cairo"},         {12, "Los Angeles"},
    {13, "Zapf Dingbats"}, {14, "Bookman"},       {15, "Helvetica Narrow"},
    {16, "Palatino"},      {18, "Zapf Chancery"}, {20, "Times"},
    {21, "Helvetica"},     {22, "Courier"},       {23, "Symbol"},
    {24, "Taliesin"},      {33, "Avant Garde"},   {34, "New Century Schoolbook"},
};

// Font names by a word they contain (lower case, letters and digits only), first match wins:
// "B Times Bold", "Times-Roman" and "TimesNewRomanPSMT" all find "times". Names found nowhere,
// Helvetica among them, are drawn in the sans serif.
struct NamedFamily {
  std::string_view word;
  std::string_view family;
  TextEncoding encoding = TextEncoding::MacRoman;
};
constexpr NamedFamily kFontWords[] = {
    {"dingbat", kSymbols, TextEncoding::Dingbats},
    {"symbol", kSymbols, TextEncoding::Symbol},
    {"courier", kMono},
    {"monaco", kWideMono},
    {"geneva", kWideSans},
    {"chicago", kWideSans},
    {"monospace", kMono},
    {"sansmono", kMono},
    {"andalemono", kMono},
    {"lucidaconsole", kMono},
    {"consolas", kMono},
    {"menlo", kMono},
    {"typewriter", kMono},
    {"lettergothic", kMono},
    {"prestige", kMono},
    {"centurygothic", kSans},
    {"sans", kSans},
    {"narrow", kSansNarrow},
    {"condensed", kSansNarrow},
    {"times", kSerif},
    {"tmsrmn", kSerif},
    {"newyork", kWideSerif},
    {"palatino", kSerif},
    {"bookman", kSerif},
    {"century", kSerif},
    {"schlbk", kSerif},
    {"garamond", kSerif},
    {"georgia", kSerif},
    {"baskerville", kSerif},
    {"caslon", kSerif},
    {"goudy", kSerif},
    {"minion", kSerif},
    {"bodoni", kSerif},
    {"cochin", kSerif},
    {"hoefler", kSerif},
    {"utopia", kSerif},
    {"galliard", kSerif},
    {"janson", kSerif},
    {"korinna", kSerif},
    {"souvenir", kSerif},
    {"antiqua", kSerif},
    {"didot", kSerif},
    {"bembo", kSerif},
    {"sabon", kSerif},
    {"cambria", kSerif},
    {"chancery", kSerif},
    {"athens", kSerif},
    {"toronto", kSerif},
    {"london", kSerif},
    {"venice", kSerif},
    {"serif", kSerif},
};
constexpr std::string_view kBoldWords[] = {"bold", "black", "heavy", "demi"};
constexpr std::string_view kItalicWords[] = {"italic", "oblique"};

std::string_view NameOfNumber(int number) {
  for (const NumberedFont& font : kFontNumbers)
    if (font.number == number) return font.name;
  return {};
}

// Lower-case letters and digits only, so that spacing, hyphens and case do not matter.
std::string Normalized(std::string_view name) {
  std::string result;
  for (const char c : name) {
    if (c >= 'A' && c <= 'Z') result += static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) result += c;
  }
  return result;
}

bool HasAnyWord(const std::string& name, std::span<const std::string_view> words) {
  return std::any_of(words.begin(), words.end(),
                     [&](std::string_view word) { return name.find(word) != std::string::npos; });
}

// QuickDraw's pixel extras per character for its synthetic styles; a real bold face brings its
// own widths.
double StyleExtra(int face) {
  double extra = 0;
  if (face & kFaceOutline) extra += 1;
  if (face & kFaceShadow) extra += face & kFaceOutline ? 1 : 2;
  if (face & kFaceCondense) extra -= 1;
  if (face & kFaceExtend) extra += 1;
  return extra;
}

struct MetricsUnref {
  void operator()(PangoFontMetrics* metrics) const { pango_font_metrics_unref(metrics); }
};
struct AttributesUnref {
  void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};
struct SurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoDestroy {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

// One font at one size, with a layout to shape text in it.
struct LoadedFont {
  PangoOwned<PangoLayout> layout;  // empty when no font could be loaded
  double ascent = 0, descent = 0;
  double underlineTop = 1, underlineThickness = 1;  // below the baseline, in pixels
};

// The fonts of one thread. Pango's font maps are not shared between threads, so every thread
// that draws text gets a font map, a context and loaded fonts of its own.
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
  const LoadedFont& Get(std::string_view family, double size, bool bold, bool italic) {
    const long units = std::lround(size * PANGO_SCALE);
    std::string key(family);
    key += bold ? "|b" : "|";
    key += italic ? "i|" : "|";
    key += std::to_string(units);
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    // A picture uses a handful of fonts; a file that keeps changing sizes only costs reloads.
    if (fonts_.size() >= kMaxFonts) fonts_.clear();
    FontRequest request;
    request.family = family;
    request.pixelSize = size;
    request.bold = bold;
    request.italic = italic;
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
    const auto pixels = [](int value) { return static_cast<double>(value) / PANGO_SCALE; };
    font.ascent = pixels(pango_font_metrics_get_ascent(metrics.get()));
    font.descent = pixels(pango_font_metrics_get_descent(metrics.get()));
    // The font's own underline, kept at least one pixel clear of the baseline as QuickDraw
    // keeps it.
    font.underlineTop = std::max(
        1.0, std::floor(-pixels(pango_font_metrics_get_underline_position(metrics.get()))));
    font.underlineThickness = std::max(
        1.0, std::round(pixels(pango_font_metrics_get_underline_thickness(metrics.get()))));

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

bool IsWithin(double value, double low, double high) { return value >= low && value <= high; }

// Why a style cannot be rendered; empty when it can.
std::string CheckStyle(std::span<const uint8_t> text, const TextStyle& style,
                       const TextTurn& turn) {
  if (text.size() > kMaxTextBytes) return "text longer than 255 characters";
  if (!IsWithin(style.ratioH, 1.0 / 64, 64) || !IsWithin(style.ratioV, 1.0 / 64, 64))
    return "text ratio out of range";
  const double largest = style.size * std::max(style.ratioH, style.ratioV);
  if (!(style.size > 0) || !IsWithin(largest, 0, kMaxTextPixelSize))
    return "text size out of range";
  if (!IsWithin(style.spaceExtra, -kMaxTextExtra, kMaxTextExtra) ||
      !IsWithin(style.charExtra, -kMaxTextExtra, kMaxTextExtra))
    return "text spacing out of range";
  if (!std::isfinite(turn.angle) || !std::isfinite(turn.centerX) || !std::isfinite(turn.centerY))
    return "text rotation out of range";
  return {};
}

// The bytes as UTF-8, and for each UTF-8 byte the extra width of the character starting there.
struct ShapedText {
  std::string utf8;
  std::vector<double> extraAt;
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

ShapedText ConvertText(std::span<const uint8_t> text, TextEncoding encoding,
                       const TextStyle& style) {
  ShapedText shaped;
  const double styleExtra = StyleExtra(style.face);
  for (const uint8_t byte : text) {
    const char32_t c = ToUnicode(byte, encoding);
    if (c == 0) continue;
    const size_t start = shaped.utf8.size();
    AppendUtf8(shaped.utf8, c);
    shaped.extraAt.resize(shaped.utf8.size(), 0);
    shaped.extraAt[start] = (byte == ' ' ? style.spaceExtra : style.charExtra) + styleExtra;
  }
  return shaped;
}

// The horizontal span, relative to the origin, that the extras can move glyphs over.
struct ExtraSpread {
  double total = 0, least = 0, most = 0;
};

// Widens each cluster's last glyph by the extras of its characters, so the glyphs after it move
// as QuickDraw moves them. The layout's line is changed in place; it stays so until the next
// text is set.
ExtraSpread ApplyExtras(PangoLayout* layout, const std::vector<double>& extraAt) {
  ExtraSpread spread;
  PangoLayoutLine* line = pango_layout_get_line(layout, 0);
  if (!line) return spread;
  for (GSList* run = line->runs; run; run = run->next) {
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
        extra += k < static_cast<int>(extraAt.size()) ? extraAt[static_cast<size_t>(k)] : 0;
      glyphs->glyphs[next - 1].geometry.width += static_cast<int>(std::lround(extra * PANGO_SCALE));
      spread.total += extra;
      spread.least = std::min(spread.least, spread.total);
      spread.most = std::max(spread.most, spread.total);
      i = next;
    }
  }
  return spread;
}

double LineWidth(PangoLayout* layout) {
  PangoLayoutLine* line = pango_layout_get_line(layout, 0);
  int64_t width = 0;
  for (GSList* run = line ? line->runs : nullptr; run; run = run->next) {
    const PangoGlyphString* glyphs = static_cast<PangoGlyphItem*>(run->data)->glyphs;
    for (int i = 0; i < glyphs->num_glyphs; ++i) width += glyphs->glyphs[i].geometry.width;
  }
  return static_cast<double>(width) / PANGO_SCALE;
}

struct Box {
  double left, top, right, bottom;
};

// The glyph pixels of a surface Cairo drew on: those whose alpha is at least half, one byte
// each (1 for ink), rows from the top.
std::vector<uint8_t> MaskOf(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  std::vector<uint8_t> mask(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + ptrdiff_t(y) * stride);
    for (int x = 0; x < width; ++x) mask[size_t(y) * size_t(width) + x] = row[x] >> 31;
  }
  return mask;
}

// QuickDraw's outline: the ring of pixels around each glyph, the glyph itself left hollow.
// Shadow adds the same ring once more, one pixel right and down. The ring is the glyph grown by
// one pixel each way (rows, then columns) less the glyph.
std::vector<uint8_t> OutlineOf(const std::vector<uint8_t>& glyph, int width, int height,
                               bool shadow) {
  const auto index = [width](int x, int y) { return size_t(y) * size_t(width) + size_t(x); };
  std::vector<uint8_t> wide(glyph.size(), 0), grown(glyph.size(), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      wide[index(x, y)] = glyph[index(x, y)] | (x > 0 ? glyph[index(x - 1, y)] : 0) |
                          (x + 1 < width ? glyph[index(x + 1, y)] : 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      grown[index(x, y)] = wide[index(x, y)] | (y > 0 ? wide[index(x, y - 1)] : 0) |
                           (y + 1 < height ? wide[index(x, y + 1)] : 0);
  std::vector<uint8_t> ring(glyph.size(), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t shade = shadow && x > 0 && y > 0 ? grown[index(x - 1, y - 1)] : 0;
      ring[index(x, y)] = (grown[index(x, y)] | shade) & !glyph[index(x, y)];
    }
  return ring;
}

// Adds the ink of the mask's rows that fall in band; the mask covers drawn, a row at a time.
void AddSpans(const std::vector<uint8_t>& mask, const Rect& drawn, const Rect& band,
              RegionBuilder& builder) {
  const int width = drawn.Width();
  for (int y = band.top; y < band.bottom; ++y) {
    const uint8_t* row = &mask[size_t(y - drawn.top) * size_t(width)];
    for (int x = 0; x < width;) {
      if (!row[x]) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < width && row[x]) ++x;
      builder.AddSpan(y, drawn.left + start, drawn.left + x);
    }
  }
}

// What to draw: the shaped line, where it goes on the canvas, and QuickDraw's additions.
struct InkJob {
  PangoLayoutLine* line = nullptr;
  cairo_matrix_t toCanvas;  // text space (the baseline from (0, 0) to the right) to canvas
  int face = 0;
  double underlineTop = 0, underlineThickness = 0, underlineWidth = 0;  // width 0: none
};

// The ink mask of the canvas pixels in drawn, one byte a pixel; empty when Cairo cannot
// allocate the surface.
std::optional<std::vector<uint8_t>> DrawInk(const InkJob& job, const Rect& drawn) {
  // A pixel is ink when its alpha is set. ARGB32 rather than A8: pixman has a fast path for
  // one-bit glyphs onto it, while onto A8 every glyph takes its slow general path.
  const std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, drawn.Width(), drawn.Height()));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  {
    const std::unique_ptr<cairo_t, CairoDestroy> cr(cairo_create(surface.get()));
    // The underline is a rectangle, drawn with the context's own antialiasing.
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
    cairo_translate(cr.get(), -drawn.left, -drawn.top);
    cairo_transform(cr.get(), &job.toCanvas);
    cairo_move_to(cr.get(), 0, 0);
    pango_cairo_show_layout_line(cr.get(), job.line);
    if (job.underlineWidth != 0) {
      cairo_rectangle(cr.get(), 0, job.underlineTop, job.underlineWidth, job.underlineThickness);
      cairo_fill(cr.get());
    }
  }
  std::vector<uint8_t> mask = MaskOf(surface.get());
  if (job.face & (kFaceOutline | kFaceShadow))
    mask = OutlineOf(mask, drawn.Width(), drawn.Height(), job.face & kFaceShadow);
  return mask;
}

}  // namespace

FontChoice ChooseFont(const TextStyle& style) {
  const std::string name =
      Normalized(style.fontName.empty() ? NameOfNumber(style.fontNumber) : style.fontName);
  FontChoice choice{kSans};
  for (const NamedFamily& entry : kFontWords) {
    if (name.find(entry.word) == std::string::npos) continue;
    choice.family = entry.family;
    choice.encoding = entry.encoding;
    break;
  }
  choice.bold = (style.face & kFaceBold) || HasAnyWord(name, kBoldWords);
  choice.italic = (style.face & kFaceItalic) || HasAnyWord(name, kItalicWords);
  return choice;
}

std::string FontNamed(const TextStyle& style) {
  if (!style.fontName.empty()) return style.fontName;
  const std::string_view name = NameOfNumber(style.fontNumber);
  return name.empty() ? "font number " + std::to_string(style.fontNumber) : std::string(name);
}

std::optional<TextInk> RenderText(std::span<const uint8_t> text, Point origin,
                                  const TextStyle& style, const Rect& bounds, std::string& reason,
                                  const TextTurn& turn) {
  reason = CheckStyle(text, style, turn);
  if (!reason.empty()) return std::nullopt;
  const FontChoice choice = ChooseFont(style);
  const LoadedFont& font =
      FontsOfThisThread().Get(choice.family, style.size, choice.bold, choice.italic);
  if (!font.layout) {
    reason = "no usable font";
    return std::nullopt;
  }
  PangoLayout* layout = font.layout.get();
  const ShapedText shaped = ConvertText(text, choice.encoding, style);
  pango_layout_set_text(layout, shaped.utf8.data(), static_cast<int>(shaped.utf8.size()));

  TextInk result;
  result.ascent = static_cast<int>(std::lround(font.ascent * style.ratioV));
  result.descent = static_cast<int>(std::lround(font.descent * style.ratioV));
  if (shaped.utf8.empty()) return result;

  // The ink box before the extras move the glyphs apart, relative to the baseline's left end.
  PangoRectangle inkRect;
  pango_layout_get_extents(layout, &inkRect, nullptr);
  const double baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  const ExtraSpread spread = ApplyExtras(layout, shaped.extraAt);
  const double width = LineWidth(layout);
  result.advance = width * style.ratioH;

  const bool underline = style.face & kFaceUnderline;
  const double underlineBottom = font.underlineTop + font.underlineThickness;
  Box box{static_cast<double>(inkRect.x) / PANGO_SCALE + spread.least,
          static_cast<double>(inkRect.y) / PANGO_SCALE - baseline,
          static_cast<double>(inkRect.x + inkRect.width) / PANGO_SCALE + spread.most,
          static_cast<double>(inkRect.y + inkRect.height) / PANGO_SCALE - baseline};
  if (underline) {
    box.left = std::min(box.left, 0.0);
    box.right = std::max(box.right, width);
    box.bottom = std::max(box.bottom, underlineBottom);
  }

  // Text space to canvas: TxRatio, then the origin, then the turn.
  InkJob job;
  job.line = pango_layout_get_line(layout, 0);
  job.face = style.face;
  if (underline) {
    job.underlineTop = font.underlineTop;
    job.underlineThickness = font.underlineThickness;
    job.underlineWidth = width;
  }
  cairo_matrix_t& toCanvas = job.toCanvas;
  cairo_matrix_init_identity(&toCanvas);
  if (std::fmod(turn.angle, 360.0) != 0) {
    cairo_matrix_translate(&toCanvas, turn.centerX, turn.centerY);
    cairo_matrix_rotate(&toCanvas, turn.angle * std::numbers::pi / 180);
    cairo_matrix_translate(&toCanvas, -turn.centerX, -turn.centerY);
  }
  cairo_matrix_translate(&toCanvas, origin.x, origin.y);
  cairo_matrix_scale(&toCanvas, style.ratioH, style.ratioV);

  // The canvas pixels the ink may reach, with room for the outline, within reach of bounds.
  constexpr double kFar = std::numeric_limits<double>::infinity();
  Box reach{kFar, kFar, -kFar, -kFar};
  for (const auto& [x, y] : {std::pair{box.left, box.top}, std::pair{box.right, box.top},
                             std::pair{box.left, box.bottom}, std::pair{box.right, box.bottom}}) {
    double cx = x, cy = y;
    cairo_matrix_transform_point(&toCanvas, &cx, &cy);
    reach = {std::min(reach.left, cx), std::min(reach.top, cy), std::max(reach.right, cx),
             std::max(reach.bottom, cy)};
  }
  constexpr int kMargin = 2;
  const auto clampTo = [](double value, int low, int high) {
    return static_cast<int>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
  };
  const Rect near = bounds.Inset(-kMargin, -kMargin);
  const Rect area{clampTo(std::floor(reach.left) - kMargin, near.left, near.right),
                  clampTo(std::floor(reach.top) - kMargin, near.top, near.bottom),
                  clampTo(std::ceil(reach.right) + kMargin, near.left, near.right),
                  clampTo(std::ceil(reach.bottom) + kMargin, near.top, near.bottom)};
  if (area.IsEmpty() || bounds.IsEmpty()) return result;

  // Drawn in bands, so that a huge string never holds more than one band's surface; each band
  // is drawn with the rows around it, which the outline needs.
  constexpr int kBandRows = 512;
  RegionBuilder builder;
  for (int top = area.top; top < area.bottom; top += kBandRows) {
    const Rect band{area.left, top, area.right, std::min(area.bottom, top + kBandRows)};
    const Rect drawn = band.Inset(0, -kMargin).Intersect(area);
    const std::optional<std::vector<uint8_t>> mask = DrawInk(job, drawn);
    if (!mask) {
      reason = "out of memory for text";
      return std::nullopt;
    }
    AddSpans(*mask, drawn, band, builder);
  }
  result.ink = builder.Build();
  result.ink.Intersect(Region(bounds));
  return result;
}

}  // namespace pict
