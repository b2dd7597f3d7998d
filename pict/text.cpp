#include "pict/text.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "pict/limits.h"
#include "vector/text_layout.h"

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

struct SurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoDestroy {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

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

// The bytes as UTF-8 in the chosen font, with the extra width of each character at the UTF-8
// byte it starts at.
vector::TextRun RunOf(std::span<const uint8_t> text, const FontChoice& choice,
                      const TextStyle& style) {
  vector::TextRun run;
  run.font = {std::string(choice.family), style.size, choice.bold, choice.italic};
  const double styleExtra = StyleExtra(style.face);
  for (const uint8_t byte : text) {
    const char32_t c = ToUnicode(byte, choice.encoding);
    if (c == 0) continue;
    const size_t start = run.utf8.size();
    AppendUtf8(run.utf8, c);
    run.extras.resize(run.utf8.size(), 0);
    run.extras[start] = (byte == ' ' ? style.spaceExtra : style.charExtra) + styleExtra;
  }
  return run;
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
  TextInk result;
  result.run = RunOf(text, choice, style);
  const std::optional<vector::LaidOutText> laidOut = vector::LayOutText(result.run, reason);
  if (!laidOut) return std::nullopt;
  const vector::FontMetrics& font = laidOut->metrics;
  result.ascent = static_cast<int>(std::lround(font.ascent * style.ratioV));
  result.descent = static_cast<int>(std::lround(font.descent * style.ratioV));
  if (!laidOut->line) return result;

  // The ink box, relative to the baseline's left end, wherever the extras move the glyphs.
  const double width = laidOut->width;
  result.advance = width * style.ratioH;
  const bool underline = style.face & kFaceUnderline;
  // However TxRatio squeezes the text, its underline stays at least a pixel thick.
  const double underlineThickness = std::max(font.underlineThickness, 1 / style.ratioV);
  const double underlineBottom = font.underlineTop + underlineThickness;
  Box box{laidOut->inkLeft + laidOut->leastShift, laidOut->inkTop,
          laidOut->inkRight + laidOut->mostShift, laidOut->inkBottom};
  if (underline) {
    box.left = std::min(box.left, 0.0);
    box.right = std::max(box.right, width);
    box.bottom = std::max(box.bottom, underlineBottom);
  }

  // Text space to canvas: TxRatio, then the origin, then the turn.
  InkJob job;
  job.line = laidOut->line;
  job.face = style.face;
  if (underline) {
    job.underlineTop = font.underlineTop;
    job.underlineThickness = underlineThickness;
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
  result.placement = {toCanvas.xx, toCanvas.yx, toCanvas.xy, toCanvas.yy, toCanvas.x0, toCanvas.y0};
  if (underline) {
    const vector::Point corners[] = {{0, font.underlineTop},
                                     {width, font.underlineTop},
                                     {width, underlineBottom},
                                     {0, underlineBottom}};
    std::vector<vector::Point> placed;
    for (const vector::Point& corner : corners) placed.push_back(result.placement.Apply(corner));
    result.underline.Polygon(placed);
  }

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
