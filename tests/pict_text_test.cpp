// QuickDraw text: fonts chosen by number and name, the Mac encodings, and where rendered ink
// lands. Glyph shapes come from the installed fonts, so ink is checked by where it lies, never
// pixel by pixel.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "pict/text.h"

using namespace pict;  // the decoder's own types

namespace {

constexpr Rect kCanvas{0, 0, 600, 300};
constexpr Point kOrigin{100, 150};

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TextStyle Style(int fontNumber, int face = 0, double size = 20) {
  TextStyle style;
  style.fontNumber = fontNumber;
  style.face = face;
  style.size = size;
  return style;
}

TextInk Render(std::string_view text, const TextStyle& style, const TextTurn& turn = {},
               Rect bounds = kCanvas) {
  std::string reason;
  std::optional<TextInk> ink = RenderText(Bytes(text), kOrigin, style, bounds, reason, turn);
  EXPECT_TRUE(ink) << reason;
  return ink ? std::move(*ink) : TextInk{};
}

int64_t PixelCount(const Region& region) {
  int64_t count = 0;
  for (const Rect& rect : region.Rects()) count += int64_t{rect.Width()} * rect.Height();
  return count;
}

std::string Describe(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// Passes when every side of got lies within tolerance pixels of expected's.
::testing::AssertionResult IsNear(const Rect& got, const Rect& expected, int tolerance) {
  const bool near = std::abs(got.left - expected.left) <= tolerance &&
                    std::abs(got.top - expected.top) <= tolerance &&
                    std::abs(got.right - expected.right) <= tolerance &&
                    std::abs(got.bottom - expected.bottom) <= tolerance;
  return (near ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
         << Describe(got) << ", expected " << Describe(expected);
}

// The family fontconfig really opens for a name: the same name only when it is installed.
std::string InstalledFamily(std::string_view family) {
  const std::string name(family);
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* found = nullptr;
  std::string answer;
  if (match && FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch)
    answer = reinterpret_cast<const char*>(found);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return answer;
}

TEST(ChooseFont, NumbersAndNamesMapToInstalledFamilies) {
  struct Case {
    int number;
    std::string name;
    std::string_view family;
    TextEncoding encoding = TextEncoding::MacRoman;
    bool bold = false, italic = false;
  };
  const Case kCases[] = {
      // The screen fonts get the wide DejaVu families, the printer fonts Liberation's.
      {0, "", "DejaVu Sans"},  // Chicago, the system font
      {2, "", "DejaVu Serif"},  // New York
      {4, "", "DejaVu Sans Mono"},  // Monaco
      {13, "", "DejaVu Sans", TextEncoding::Dingbats},
      {15, "", "Liberation Sans Narrow"},
      {20, "", "Liberation Serif"},
      {21, "", "Liberation Sans"},
      {23, "", "DejaVu Sans", TextEncoding::Symbol},
      {777, "", "Liberation Sans"},          // nobody's number
      {20, "Helvetica", "Liberation Sans"},  // the picture's name wins over the number
      {0, "Arial", "Liberation Sans"},
      {0, "Times New Roman", "Liberation Serif"},
      {0, "Courier New", "Liberation Mono"},
      {0, "Palatino", "Liberation Serif"},
      {0, "Century Gothic", "Liberation Sans"},
      {0, "Arial Narrow", "Liberation Sans Narrow"},
      {0, "Symbol", "DejaVu Sans", TextEncoding::Symbol},
      {0, "Zapf Dingbats", "DejaVu Sans", TextEncoding::Dingbats},
      {0, "B Times Bold", "Liberation Serif", TextEncoding::MacRoman, true},
      {0, "Helvetica-Oblique", "Liberation Sans", TextEncoding::MacRoman, false, true},
      {0, "Quillmere Display", "Liberation Sans"},
  };
  for (const Case& c : kCases) {
    TextStyle style = Style(c.number);
    style.fontName = c.name;
    const FontChoice choice = ChooseFont(style);
    const std::string label = std::to_string(c.number) + " \"" + c.name + "\"";
    EXPECT_EQ(choice.family, c.family) << label;
    EXPECT_EQ(choice.encoding, c.encoding) << label;
    EXPECT_EQ(choice.bold, c.bold) << label;
    EXPECT_EQ(choice.italic, c.italic) << label;
    EXPECT_EQ(InstalledFamily(choice.family), choice.family) << label << ": not installed";
  }
}

TEST(ToUnicode, MacEncodingsGiveTheRightCharacters) {
  struct Case {
    uint8_t byte;
    TextEncoding encoding;
    char32_t expected;
  };
  const Case kCases[] = {
      {'A', TextEncoding::MacRoman, U'A'},       {0x8E, TextEncoding::MacRoman, U'é'},
      {0xAA, TextEncoding::MacRoman, U'™'},      {0xC4, TextEncoding::MacRoman, U'ƒ'},
      {0xA5, TextEncoding::MacRoman, U'•'},      {0xD2, TextEncoding::MacRoman, U'“'},
      {0xCA, TextEncoding::MacRoman, U'\u00A0'}, {0xFF, TextEncoding::MacRoman, U'ˇ'},
      {0x0D, TextEncoding::MacRoman, 0},         {0x7F, TextEncoding::MacRoman, 0},
      {0x09, TextEncoding::MacRoman, U' '},      {0x11, TextEncoding::MacRoman, U'⌘'},
      {0x61, TextEncoding::Symbol, U'α'},        {0x57, TextEncoding::Symbol, U'Ω'},
      {0x22, TextEncoding::Symbol, U'∀'},        {0xA5, TextEncoding::Symbol, U'∞'},
      {0x80, TextEncoding::Symbol, 0},           {0x33, TextEncoding::Dingbats, U'✓'},
      {0x75, TextEncoding::Dingbats, U'◆'},
  };
  for (const Case& c : kCases) EXPECT_EQ(ToUnicode(c.byte, c.encoding), c.expected) << int{c.byte};

  // Mac Roman gives every printable byte a character of its own.
  std::vector<char32_t> seen;
  for (int byte = 0x20; byte <= 0xFF; ++byte) {
    if (byte == 0x7F) continue;
    const char32_t c = ToUnicode(static_cast<uint8_t>(byte), TextEncoding::MacRoman);
    EXPECT_NE(c, 0U) << byte;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), c), 0) << byte;
    seen.push_back(c);
  }
}

TEST(RenderText, InkLiesRightOfTheOriginAroundTheBaseline) {
  for (const int font : {0, 2, 4, 20, 21, 22, 23}) {
    const TextInk text = Render("Hxg", Style(font));
    const Rect ink = text.ink.Bounds();
    const Rect cell{kOrigin.x, kOrigin.y - text.ascent, kOrigin.x + int(std::ceil(text.advance)),
                    kOrigin.y + text.descent};
    SCOPED_TRACE("font " + std::to_string(font) + ": ink " + Describe(ink) + ", cell " +
                 Describe(cell));
    ASSERT_FALSE(text.ink.IsEmpty());
    EXPECT_EQ(ink.Intersect(cell), ink);  // nothing left of the origin, nothing outside the cell
    EXPECT_LT(ink.top, kOrigin.y - text.ascent / 2);  // the H stands on the baseline
    EXPECT_GT(ink.bottom, kOrigin.y + 1);             // the g hangs below it
    EXPECT_GT(text.advance, 2 * 20 * 0.4);
  }
}

TEST(RenderText, AdvanceGrowsWithTextAndExtras) {
  const double plain = Render("a b c", Style(21)).advance;
  struct Case {
    std::string text;
    TextStyle style;
    double expected;  // relative to plain, exact: widths are whole pixels
  };
  TextStyle spaced = Style(21), widened = Style(21), condensed = Style(21, kFaceCondense),
            extended = Style(21, kFaceExtend), doubled = Style(21);
  spaced.spaceExtra = 5;
  widened.charExtra = 2;
  doubled.ratioH = 2;
  const Case kCases[] = {
      {"a b c", spaced, plain + 2 * 5},   // two spaces
      {"a b c", widened, plain + 3 * 2},  // three other characters
      {"a b c", condensed, plain - 5},    // a pixel less for each character
      {"a b c", extended, plain + 5},    {"a b c", doubled, plain * 2},
  };
  for (const Case& c : kCases) EXPECT_EQ(Render(c.text, c.style).advance, c.expected) << c.text;
  EXPECT_GT(Render("a b c d", Style(21)).advance, plain);
}

TEST(RenderText, BoldIsWiderAndDarker) {
  for (const int font : {2, 21}) {
    const TextInk plain = Render("Hello", Style(font));
    const TextInk bold = Render("Hello", Style(font, kFaceBold));
    EXPECT_GT(bold.advance, plain.advance) << font;
    EXPECT_GT(PixelCount(bold.ink), PixelCount(plain.ink) * 11 / 10) << font;
  }
}

// However much TxRatio squeezes the text, the underline stays a row of pixels.
TEST(RenderText, UnderlineAddsARowUnderTheBaseline) {
  for (const double ratioV : {1.0, 2.0 / 3, 1.0 / 2, 1.0 / 3}) {
    SCOPED_TRACE("vertical ratio " + std::to_string(ratioV));
    TextStyle plainStyle = Style(21), underlinedStyle = Style(21, kFaceUnderline);
    plainStyle.ratioV = underlinedStyle.ratioV = ratioV;
    const TextInk plain = Render("mmm", plainStyle);
    const TextInk underlined = Render("mmm", underlinedStyle);
    EXPECT_LE(plain.ink.Bounds().bottom, kOrigin.y);  // no descenders
    Region below(Rect{kCanvas.left, kOrigin.y, kCanvas.right, kOrigin.y + 4});
    below.Intersect(underlined.ink);
    ASSERT_FALSE(below.IsEmpty());
    const Rect line = below.Bounds();
    EXPECT_EQ(line.left, kOrigin.x);
    EXPECT_GE(line.Width(), int(underlined.advance) - 1);
  }
}

TEST(RenderText, OutlineIsHollowAndShadowReachesRightAndDown) {
  const TextInk plain = Render("H", Style(21, 0, 40));
  const TextInk outline = Render("H", Style(21, kFaceOutline, 40));
  const TextInk shadow = Render("H", Style(21, kFaceShadow, 40));
  const Rect glyph = plain.ink.Bounds();

  Region overlap = outline.ink;
  overlap.Intersect(plain.ink);
  EXPECT_TRUE(overlap.IsEmpty()) << "the glyph's own pixels stay clear";
  EXPECT_EQ(outline.ink.Bounds(), glyph.Inset(-1, -1));
  EXPECT_EQ(shadow.ink.Bounds(),
            (Rect{glyph.left - 1, glyph.top - 1, glyph.right + 2, glyph.bottom + 2}));
  EXPECT_GT(PixelCount(shadow.ink), PixelCount(outline.ink));
}

TEST(RenderText, TurningMovesTheInkBoxAroundTheCenter) {
  const TextStyle style = Style(20, kFaceBold, 24);
  const TextInk flat = Render("Rotated Text", style);
  const Rect f = flat.ink.Bounds();
  const int cx = 166, cy = 144;  // near the text's middle
  struct Case {
    double angle;
    Rect expected;
  };
  const Case kCases[] = {
      {90, {cx - (f.bottom - cy), cy + (f.left - cx), cx - (f.top - cy), cy + (f.right - cx)}},
      {180, {2 * cx - f.right, 2 * cy - f.bottom, 2 * cx - f.left, 2 * cy - f.top}},
      {-90, {cx + (f.top - cy), cy - (f.right - cx), cx + (f.bottom - cy), cy - (f.left - cx)}},
      {360, f},
  };
  for (const Case& c : kCases) {
    const TextInk turned = Render("Rotated Text", style, TextTurn{c.angle, cx, cy});
    EXPECT_TRUE(IsNear(turned.ink.Bounds(), c.expected, 2)) << c.angle;
    EXPECT_EQ(turned.advance, flat.advance) << c.angle;  // the pen moves as for flat text
  }
}

// rotated.pict draws "Rotated Text" (Times bold 24) at (114, 176), turned 90 degrees about the
// pen plus its TextCenter offset (66, -6), and carries QuickDraw's own rendering of it as a
// pixmap whose ink spans (174, 104) - (190, 238).
TEST(RenderText, TurnedTextLandsWhereQuickDrawPutIt) {
  TextStyle style = Style(20, kFaceBold, 24);
  style.fontName = "Times";
  std::string reason;
  const std::optional<TextInk> text = RenderText(Bytes("Rotated Text"), {114, 176}, style, kCanvas,
                                                 reason, TextTurn{90, 114 + 66, 176 - 6});
  ASSERT_TRUE(text) << reason;
  EXPECT_TRUE(IsNear(text->ink.Bounds(), {174, 104, 190, 238}, 3));
}

TEST(RenderText, EmptyOrInvisibleTextHasNoInk) {
  for (const std::string_view text : {std::string_view(""), std::string_view("\r\n\x01")}) {
    const TextInk ink = Render(text, Style(21));
    EXPECT_TRUE(ink.ink.IsEmpty()) << text.size();
    EXPECT_EQ(ink.advance, 0) << text.size();
    EXPECT_GT(ink.ascent, 0);
  }
}

TEST(RenderText, InkStaysWithinBounds) {
  const TextInk whole = Render("Hello world", Style(21));
  const Rect half{0, 0, kOrigin.x + 30, kCanvas.bottom};
  const TextInk cut = Render("Hello world", Style(21), {}, half);
  EXPECT_EQ(cut.ink.Bounds().Intersect(half), cut.ink.Bounds());
  Region expected = whole.ink;
  expected.Intersect(Region(half));
  EXPECT_TRUE(cut.ink == expected);
  EXPECT_EQ(cut.advance, whole.advance);
}

// Text taller than the rendering bands still comes out whole: each row of a shadowed I is its
// left edge and its doubled right edge, also where one band meets the next.
TEST(RenderText, HugeTextIsSeamless) {
  std::string reason;
  const std::optional<TextInk> text =
      RenderText(Bytes("I"), {100, 1400}, Style(21, kFaceShadow, 1500), {0, 0, 600, 1600}, reason);
  ASSERT_TRUE(text) << reason;
  const Rect ink = text->ink.Bounds();
  ASSERT_GT(ink.Height(), 1000);
  for (int y = ink.top + 3; y < ink.bottom - 3; ++y) {
    Region row(Rect{ink.left, y, ink.right, y + 1});
    row.Intersect(text->ink);
    ASSERT_EQ(PixelCount(row), 3) << "row " << y;
  }
}

TEST(RenderText, RefusesWhatItCannotDraw) {
  struct Case {
    std::string label;
    TextStyle style;
    std::string text = "abc";
  };
  std::vector<Case> cases = {{"size 0", Style(0, 0, 0)},
                             {"negative size", Style(0, 0, -3)},
                             {"NaN size", Style(0, 0, std::nan(""))},
                             {"huge size", Style(0, 0, 1e6)},
                             {"too long", Style(0), std::string(256, 'a')}};
  cases.push_back({"huge space extra", Style(0)});
  cases.back().style.spaceExtra = 1e9;
  cases.push_back({"zero ratio", Style(0)});
  cases.back().style.ratioV = 0;
  for (const Case& c : cases) {
    std::string reason;
    EXPECT_FALSE(RenderText(Bytes(c.text), kOrigin, c.style, kCanvas, reason)) << c.label;
    EXPECT_FALSE(reason.empty()) << c.label;
  }
}

TEST(RenderText, ThreadsDrawTheSameInk) {
  const Region expected = Render("Threads of text", Style(2, kFaceItalic)).ink;
  std::vector<Region> results(4);
  std::vector<std::thread> threads;
  for (Region& result : results)
    threads.emplace_back([&result] {
      for (int i = 0; i < 20; ++i) result = Render("Threads of text", Style(2, kFaceItalic)).ink;
    });
  for (std::thread& thread : threads) thread.join();
  for (const Region& result : results) EXPECT_TRUE(result == expected);
}

}  // namespace
