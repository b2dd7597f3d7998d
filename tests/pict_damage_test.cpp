// Damaged pictures: every opcode family cut at its edges, damaged rows, what is a refusal and what
// a picture drawn up to the damage; the notes beside the picture; the drawing made beside a
// damaged picture; and every real corpus file cut at several places against its whole rendering.
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "pict/decode.h"
#include "platform/files.h"
#include "tests/support/conformance_pictures.h"
#include "tests/support/corpus.h"
#include "tests/support/pict_writer.h"
#include "tests/support/rendered.h"

using namespace pict;  // the decoder's own types

namespace {

using Bytes = std::vector<uint8_t>;

PictResult Decode(const Bytes& bytes, int scale = 1) { return DecodePict(bytes, {.scale = scale}); }

Bytes Cut(const Bytes& bytes, size_t size) {
  return Bytes(bytes.begin(), bytes.begin() + ptrdiff_t(size));
}

// A direct pixmap whose every pixel differs from its neighbours, so a row out of place shows.
PixmapPlan Distinct(int depth, int width, int height) {
  PixmapPlan plan;
  plan.depth = depth;
  plan.width = width;
  plan.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      plan.pixels.push_back(depth == 32   ? uint32_t(0x102030 + x * 0x070503 + y * 0x0B0D11)
                            : depth == 16 ? uint32_t((x * 7 + y * 131) & 0x7FFF)
                                          : uint32_t((x + 3 * y) % (1 << depth)));
  for (int i = 0; depth <= 8 && i < (1 << depth); ++i)
    plan.palette.push_back(uint32_t(0x0F1F2F * i) & 0xFFFFFF);
  return plan;
}

// An image file of a FreeImage format, of rows that differ from each other.
Bytes ImageFile(FREE_IMAGE_FORMAT format, int width, int height) {
  FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
  for (int y = 0; y < height; ++y) {
    BYTE* row = FreeImage_GetScanLine(bitmap, y);
    for (int x = 0; x < width; ++x) {
      row[3 * x + FI_RGBA_RED] = BYTE(40 + 11 * y);
      row[3 * x + FI_RGBA_GREEN] = BYTE(200 - 9 * y);
      row[3 * x + FI_RGBA_BLUE] = BYTE(x * 6);
    }
  }
  FIMEMORY* memory = FreeImage_OpenMemory();
  // JPEG without chroma subsampling: its rows come in bands of 8.
  FreeImage_SaveToMemory(format, bitmap, memory,
                         format == FIF_JPEG ? JPEG_QUALITYGOOD | JPEG_SUBSAMPLING_444 : 0);
  BYTE* data = nullptr;
  DWORD size = 0;
  FreeImage_AcquireMemory(memory, &data, &size);
  Bytes bytes(data, data + size);
  FreeImage_CloseMemory(memory);
  FreeImage_Unload(bitmap);
  return bytes;
}

// The size of the pictures the families draw: tall enough for rows of a JPEG to arrive.
constexpr int kWidth = 40, kHeight = 64;

PictWriter& QuickTime(PictWriter& w, const char* codec, const Bytes& image) {
  const Bytes data = QuickTimeOpcodeData(QuickTimeDescription(codec, kWidth, kHeight, 24, image),
                                         {0, 0, kWidth, kHeight});
  return w.Op(0x8200).U32(uint32_t(data.size())).Raw(data);
}

// Rows of an image, for comparing pictures a row at a time.
std::vector<uint32_t> RowOf(const Image& image, int y) {
  return {image.pixels.begin() + ptrdiff_t(y) * image.width,
          image.pixels.begin() + ptrdiff_t(y + 1) * image.width};
}

// The picture before the opcode at offset (the file cut there, the end opcode added).
Image Before(const Bytes& file, size_t offset, bool version1 = false) {
  Bytes prefix = Cut(file, offset);
  if (!version1) prefix.push_back(0x00);
  prefix.push_back(0xFF);
  return Decode(prefix).image;
}

// The cut picture keeps what came before the damaged opcode, and of a pixel operation the rows
// that arrived: each of its rows is the row of the picture before that opcode, or the row of
// the whole picture; never anything else. How many rows are the whole picture's and not the one
// before; -1 when a row is neither (or the sizes differ).
int IntactRows(const Image& cut, const Image& before, const Image& whole) {
  if (cut.width != whole.width || cut.height != whole.height) return -1;
  int rows = 0;
  for (int y = 0; y < cut.height; ++y) {
    const std::vector<uint32_t> row = RowOf(cut, y);
    const bool asBefore = row == RowOf(before, y), asWhole = row == RowOf(whole, y);
    if (!asBefore && !asWhole) return -1;
    rows += asWhole && !asBefore;
  }
  return rows;
}

}  // namespace

// Each family after a picture already drawn, cut inside its opcode number, right after it, in
// the middle of its data and one byte short: the picture before it stays, with a note at its
// opcode; of a pixel operation the rows that arrived are drawn too, and none that did not.
TEST(PictDamage, EveryOpcodeFamilyCutAtItsEdgesKeepsWhatCameBefore) {
  PixmapPlan masked = Distinct(32, kWidth, kHeight);
  masked.mask = {{0, 0, 20, 16}, {30, 2, 40, 14}};
  PixmapPlan bitmap = Distinct(1, kWidth, kHeight);
  bitmap.bitmap = true;
  bitmap.packed = false;
  PixmapPlan indexedPlain = Distinct(4, kWidth, kHeight);
  indexedPlain.packed = false;
  const Bytes jpeg = ImageFile(FIF_JPEG, kWidth, kHeight),
              png = ImageFile(FIF_PNG, kWidth, kHeight);
  PixmapPlan uncompressed = Distinct(32, kWidth, kHeight);
  const struct {
    const char* what;
    std::function<void(PictWriter&)> add;
    bool draws;  // rows of it may arrive
  } families[] = {
      {"pen size", [](PictWriter& w) { w.Op(0x0007).PointData(3, 3); }, false},
      {"clip region",
       [](PictWriter& w) {
         w.Op(0x0001).RegionData({{0, 0, 20, 16}, {25, 0, 40, 8}});
       },
       false},
      {"paint rectangle",
       [](PictWriter& w) {
         w.Op(0x0031).RectData({2, 2, 30, 12});
       },
       false},
      {"polygon",
       [](PictWriter& w) {
         w.Op(0x0071)
             .U16(22)
             .RectData({0, 0, 30, 12})
             .PointData(0, 0)
             .PointData(30, 0)
             .PointData(15, 12);
       },
       false},
      {"text",
       [](PictWriter& w) {
         w.Op(0x0028).PointData(2, 12).U8(5).Raw({'D', 'a', 'm', 'a', 'g'});
       },
       false},
      {"long comment",
       [](PictWriter& w) {
         w.LongComment(100, {1, 2, 3, 4, 5, 6});
       },
       false},
      {"reserved opcode",
       [](PictWriter& w) {
         w.Op(0x00A2).U16(6).Raw({1, 2, 3, 4, 5, 6});
       },
       false},
      {"pixel pattern", [](PictWriter& w) { w.PixPat(0x0014, Distinct(8, 8, 8)); }, false},
      {"bitmap", [&](PictWriter& w) { w.Pixmap(bitmap); }, true},
      {"indexed unpacked", [&](PictWriter& w) { w.Pixmap(indexedPlain); }, true},
      {"indexed packed", [](PictWriter& w) { w.Pixmap(Distinct(8, kWidth, kHeight)); }, true},
      {"direct 16 bits", [](PictWriter& w) { w.Pixmap(Distinct(16, kWidth, kHeight)); }, true},
      {"direct 32 bits", [](PictWriter& w) { w.Pixmap(Distinct(32, kWidth, kHeight)); }, true},
      {"direct with a mask", [&](PictWriter& w) { w.Pixmap(masked); }, true},
      {"QuickTime JPEG", [&](PictWriter& w) { QuickTime(w, "jpeg", jpeg); }, true},
      // libavcodec does not say which rows of data that ends early are whole: none is drawn.
      {"QuickTime PNG", [&](PictWriter& w) { QuickTime(w, "png ", png); }, false},
      {"uncompressed QuickTime",
       [&](PictWriter& w) {
         PictWriter inner;
         inner.Pixmap(uncompressed);
         PictWriter data;  // version, the identity matrix, no matte, the bitmap opcode
         data.U16(0);
         for (const int32_t m : QuickTimeScale(1, 1)) data.U32(uint32_t(m));
         data.U32(0).RectData({0, 0, 0, 0}).Raw(inner.Body());
         w.Op(0x8201).U32(uint32_t(data.Body().size())).Raw(data.Body());
       },
       true},
  };
  for (const auto& family : families) {
    // Something already drawn, so that a cut is no refusal, and unlike every family's pixels.
    PixmapPlan grey = Distinct(32, kWidth, kHeight);
    std::fill(grey.pixels.begin(), grey.pixels.end(), 0x808080);
    PictWriter w;
    w.Frame(0, 0, kWidth, kHeight).Pixmap(grey);
    Bytes base = w.Bytes();
    const size_t opcode = base.size() + base.size() % 2;
    family.add(w);
    const size_t end = w.Bytes().size();  // where the family's data ends
    const Bytes file = w.End().Bytes();
    const Image whole = Decode(file).image, before = Before(file, opcode);
    ASSERT_FALSE(whole.IsEmpty()) << family.what;
    const size_t threeQuarters = opcode + 2 + (end - opcode - 2) * 3 / 4;
    for (const size_t cut :
         {opcode + 1, opcode + 2, (opcode + 2 + end) / 2, threeQuarters, end - 1}) {
      const std::string what = std::string(family.what) + " cut at " + std::to_string(cut);
      const PictResult result = Decode(Cut(file, cut));
      ASSERT_TRUE(result.refusal.empty()) << what << ": " << result.refusal;
      ASSERT_TRUE(result.notes.damage) << what;
      EXPECT_EQ(result.notes.damage->opcodeOffset, opcode) << what;
      EXPECT_LE(result.notes.damage->offset, cut) << what;
      const int arrived = IntactRows(result.image, before, whole);
      EXPECT_GE(arrived, 0) << what;
      if (!family.draws) {
        EXPECT_EQ(arrived, 0) << what;
        EXPECT_EQ(result.notes.damage->offset, opcode) << what;
      }
      // Rows arrive only from data that is there; three quarters into it some have.
      if (family.draws && cut == threeQuarters) {
        EXPECT_GT(arrived, 0) << what;
        EXPECT_LT(arrived, kHeight) << what;
      }
    }
  }
}

// Rows whose pack runs do not make them, or that end early, are not drawn, nor any after them;
// the damage is at the row's first byte.
TEST(PictDamage, DamagedRowsAreNotDrawn) {
  // An 8 x 4 indexed pixmap of rowBytes 8, packed; its third row is given by the case.
  const auto picture = [](const Bytes& third, size_t& rowAt) {
    PictWriter w;
    w.Frame(0, 0, 8, 4).Pixmap(Distinct(32, 8, 4));
    w.Op(0x0098).U16(0x8000 | 8).RectData({0, 0, 8, 4}).U16(0).U16(0).U32(0);
    w.U32(72 << 16).U32(72 << 16).U16(0).U16(8).U16(1).U16(8).U32(0).U32(0).U32(0);
    w.U32(0).U16(0).U16(255);  // a colour table of 256 greys
    for (int i = 0; i < 256; ++i)
      w.U16(uint16_t(i)).U16(uint16_t(i * 257)).U16(uint16_t(i * 257)).U16(uint16_t(i * 257));
    w.RectData({0, 0, 8, 4}).RectData({0, 0, 8, 4}).U16(0);
    for (int row = 0; row < 2; ++row) w.U8(9).U8(7).Raw({1, 2, 3, 4, 5, 6, 7, 8});
    rowAt = w.Bytes().size();
    w.U8(uint8_t(third.size())).Raw(third);
    w.U8(9).U8(7).Raw({1, 2, 3, 4, 5, 6, 7, 8});
    return w.End().Bytes();
  };
  const struct {
    const char* what;
    Bytes third;
  } cases[] = {
      {"a run past the row", {8, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"runs short of the row", {6, 1, 2, 3, 4, 5, 6, 7}},
      {"a literal run past its data", {7, 1, 2, 3}},
      {"a repeat run without its value", {0xF9}},
  };
  size_t rowAt = 0;
  const Bytes good = picture({7, 1, 2, 3, 4, 5, 6, 7, 8}, rowAt);
  const Image whole = Decode(good).image;
  for (const auto& c : cases) {
    const Bytes file = picture(c.third, rowAt);
    const PictResult result = Decode(file);
    ASSERT_TRUE(result.notes.damage) << c.what;
    EXPECT_EQ(result.notes.damage->offset, rowAt) << c.what;
    EXPECT_NE(result.notes.damage->what.find("in row 3 of 4"), std::string::npos)
        << c.what << ": " << result.notes.damage->what;
    ASSERT_FALSE(result.image.IsEmpty()) << c.what;
    const Image before =
        Decode(PictWriter().Frame(0, 0, 8, 4).Pixmap(Distinct(32, 8, 4)).End().Bytes()).image;
    for (int y = 0; y < 4; ++y)
      EXPECT_EQ(RowOf(result.image, y), RowOf(y < 2 ? whole : before, y))
          << c.what << ": row " << y;
  }
}

// What is refused, and what drawn up to the damage: damage before anything showed is a refusal
// that says where; a file that is no PICT, a header cut short or a cap is a refusal without it.
TEST(PictDamage, DamageBeforeAnythingShowsIsARefusalThatSaysWhere) {
  const Bytes pixmap = PictWriter().Frame(0, 0, 40, 16).Pixmap(Distinct(32, 40, 16)).End().Bytes();
  const Bytes rect =
      PictWriter().Frame(0, 0, 40, 16).Op(0x0031).RectData({0, 0, 8, 8}).End().Bytes();
  PictWriter nops;
  nops.Frame(0, 0, 1, 1).Raw(Bytes(size_t{9} << 20, 0));
  const struct {
    const char* what;
    Bytes bytes;
    bool damaged;
    const char* refusal;  // a part of it; null: a picture
  } cases[] = {
      {"no PICT", {'G', 'I', 'F', '8', '9', 'a'}, false, "not a PICT"},
      {"header cut short", Cut(pixmap, 530), false, "header runs past"},
      {"opcode cap", nops.Bytes(), false, "more opcodes"},
      {"pixels cut before a row", Cut(pixmap, 512 + 40 + 60), true, "nothing drawn before it"},
      {"pixels cut after rows", Cut(pixmap, pixmap.size() / 2), true, nullptr},
      {"end opcode cut in half", Cut(rect, rect.size() - 1), true, nullptr},
      {"end opcode missing", Cut(rect, rect.size() - 2), false, nullptr},
  };
  for (const auto& c : cases) {
    for (const int scale : {1, 3}) {
      const PictResult result = Decode(c.bytes, scale);
      EXPECT_EQ(result.IsDamaged(), c.damaged) << c.what;
      EXPECT_EQ(result.image.IsEmpty(), c.refusal != nullptr) << c.what << ": " << result.refusal;
      if (c.refusal) {
        EXPECT_NE(result.refusal.find(c.refusal), std::string::npos)
            << c.what << ": " << result.refusal;
      }
      if (c.damaged && c.refusal) {
        EXPECT_EQ(result.refusal.rfind("damaged at byte ", 0), 0u) << result.refusal;
      }
    }
  }
}

TEST(PictNotes, DamageSaysTheByteWithItsThousands) {
  const struct {
    size_t offset;
    bool drawn;
    const char* line;
  } cases[] = {
      {0, true, "damaged at byte 0: drawn up to there (x)"},
      {999, true, "damaged at byte 999: drawn up to there (x)"},
      {41233, true, "damaged at byte 41,233: drawn up to there (x)"},
      {1234567, false, "damaged at byte 1,234,567: nothing drawn before it (x)"},
  };
  for (const auto& c : cases) EXPECT_EQ(DamageLine({c.offset, 0, "x"}, c.drawn), c.line);
}

// The notes say what the decoder read past, the fonts and profiles and codecs it drew with, and
// the picture's resolution at the scale it was drawn.
TEST(PictNotes, SayWhatTheDecoderDrewWith) {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(srgb, nullptr, &size);
  Bytes profile(size);
  cmsSaveProfileToMem(srgb, profile.data(), &size);
  cmsCloseProfile(srgb);
  const auto colourSync = [](PictWriter& w, uint32_t selector, const Bytes& part) {
    PictWriter data;
    data.U32(selector).Raw(part);
    w.LongComment(224, data.Body());
  };
  const struct {
    const char* what;
    std::function<void(PictWriter&)> add;
    std::vector<std::string> lines;
    int scale = 1;
    double dpi = 72;
  } cases[] = {
      {"reserved opcodes and ignored ones, not NOPs",
       [](PictWriter& w) {
         w.Op(0x0000).Op(0x00A2).U16(0).Op(0x0015).U16(0).Op(0x00A2).U16(2).U16(0);
       },
       {"skipped 3 opcodes: 2 x 00A2 (reserved), 1 x 0015 (PnLocHFrac)"}},
      {"a font by name, another by number",
       [](PictWriter& w) {
         w.Op(0x002C).U16(9).U16(3).U8(6).Raw({'G', 'e', 'n', 'e', 'v', 'a'});
         w.Op(0x0003).U16(3).Op(0x0028).PointData(2, 12).U8(1).U8('a');
         w.Op(0x0003).U16(21).Op(0x0004).U8(1).Op(0x0029).U8(10).U8(1).U8('b');
       },
       {"font Geneva drawn as DejaVu Sans", "font Helvetica drawn as Liberation Sans bold"}},
      {"a ColorSync profile",
       [&](PictWriter& w) {
         colourSync(w, 0, profile);
         colourSync(w, 2, {});
         w.Pixmap(Distinct(32, 4, 4));
       },
       {"colour profile applied: ColorSync comment (sRGB built-in)"}},
      {"QuickTime codecs",
       [](PictWriter& w) {
         QuickTime(w, "jpeg", ImageFile(FIF_JPEG, kWidth, kHeight));
         QuickTime(w, "png ", ImageFile(FIF_PNG, kWidth, kHeight));
       },
       {"QuickTime codec 'jpeg' decoded by libjpeg", "QuickTime codec 'png ' decoded by png"}},
      {"resolution at a scale", [](PictWriter&) {}, {}, 2, 144},
  };
  for (const auto& c : cases) {
    PictWriter w;
    w.Frame(0, 0, 40, 16);
    c.add(w);
    const PictResult result = Decode(w.End().Bytes(), c.scale);
    ASSERT_TRUE(result.refusal.empty()) << c.what << ": " << result.refusal;
    EXPECT_EQ(result.notes.Lines(), c.lines) << c.what;
    EXPECT_EQ(result.notes.horizontalDpi, c.dpi) << c.what;
  }
  // The extended header's resolution, when the picture is drawn at it.
  const PictResult native = Decode(
      PictWriter().ExtendedVersion2(300, 150, {0, 0, 80, 40}).Frame(0, 0, 20, 20).End().Bytes(), 2);
  EXPECT_EQ(native.notes.horizontalDpi, 600);
  EXPECT_EQ(native.notes.verticalDpi, 300);
}

namespace {

// Pixels that arrive in rows after a grey picture: a direct pixmap, then a QuickTime JPEG.
PictWriter PixelsAfterGrey(const Bytes& jpeg) {
  PixmapPlan grey = Distinct(32, kWidth, kHeight);
  std::fill(grey.pixels.begin(), grey.pixels.end(), 0x808080);
  PictWriter w;
  w.Frame(0, 0, kWidth, kHeight).Pixmap(grey).Pixmap(Distinct(32, kWidth, kHeight));
  QuickTime(w, "jpeg", jpeg).End();
  return w;
}

// The images of a drawing, in order.
std::vector<const vector::ImageOp*> Images(const PictResult& result) {
  std::vector<const vector::ImageOp*> images;
  if (result.drawing)
    for (const vector::Operation& operation : result.drawing->drawing.operations)
      if (const auto* image = std::get_if<vector::ImageOp>(&operation)) images.push_back(image);
  return images;
}

}  // namespace

// Asked for a drawing too, a damaged picture comes with the same pixels, refusal and notes, and
// with a drawing of what was drawn up to the damage (none when refused): rendered, it shows what
// the canvas shows, the rows of a pixel operation or a JPEG that arrived and nothing of the rest.
// Each drawing of a family, and pixels arriving in rows, cut every few bytes.
TEST(PictDamage, ADrawingOfADamagedPictureShowsWhatTheCanvasShows) {
  std::vector<ConformancePicture> pictures = DrawingPictures();
  pictures.push_back({"pixels", PixelsAfterGrey(ImageFile(FIF_JPEG, kWidth, kHeight))});
  int drawnInPart = 0, fonts = 0;
  for (const ConformancePicture& picture : pictures) {
    const Bytes file = picture.picture.Bytes();
    const size_t first = 512 + 40, step = std::max<size_t>(1, (file.size() - first) / 40);
    for (size_t cut = first; cut < file.size(); cut += step) {
      const std::string what = picture.name + " cut at " + std::to_string(cut);
      const Bytes bytes = Cut(file, cut);
      const PictResult plain = Decode(bytes), drawn = DecodePict(bytes, {.vector = true});
      EXPECT_EQ(drawn.refusal, plain.refusal) << what;
      EXPECT_EQ(drawn.image.pixels, plain.image.pixels) << what;
      EXPECT_EQ(drawn.notes.Lines(), plain.notes.Lines()) << what;
      ASSERT_EQ(drawn.drawing.has_value(), drawn.refusal.empty()) << what;
      if (!drawn.drawing) continue;
      drawnInPart += drawn.IsDamaged();
      for (const std::string& line : drawn.notes.Lines()) fonts += line.rfind("font ", 0) == 0;
      // As close as the whole drawings come (PictVector.ShapesCoverThePixelsTheCanvasPaints).
      const long differing = DifferingPixels(RenderAliased(drawn.drawing->drawing), drawn.image, 2);
      const double allowed = picture.name == "drawing-text" ? 0.04 : 0.01;
      EXPECT_LE(double(differing) / double(drawn.image.pixels.size()), allowed)
          << what << ": " << differing << " pixels differ";
    }
  }
  EXPECT_GT(drawnInPart, 200) << "cut pictures drawn in part";
  EXPECT_GT(fonts, 50) << "font notes on cut drawings";
}

// A QuickTime JPEG whose data ends early or is damaged goes into the drawing as the rows libjpeg
// made whole, never as its own bytes, which would show libjpeg's grey rows in a PDF; a whole one
// keeps its bytes.
TEST(PictDamage, ADamagedJpegGoesIntoTheDrawingAsItsWholeRowsNotItsBytes) {
  const Bytes jpeg = ImageFile(FIF_JPEG, kWidth, kHeight);
  // An end-of-image marker in the middle of the entropy-coded data: the file stays whole.
  Bytes broken = jpeg;
  broken[broken.size() * 3 / 5] = 0xFF;
  broken[broken.size() * 3 / 5 + 1] = 0xD9;
  const Bytes whole = PixelsAfterGrey(jpeg).Bytes();
  const struct {
    const char* what;
    Bytes file;
    bool damaged;
  } cases[] = {
      {"whole", whole, false},
      {"cut", Cut(whole, whole.size() - jpeg.size() / 3), true},
      {"damaged", PixelsAfterGrey(broken).Bytes(), true},
  };
  for (const auto& c : cases) {
    const PictResult result = DecodePict(c.file, {.vector = true});
    ASSERT_TRUE(result.drawing) << c.what << ": " << result.refusal;
    EXPECT_EQ(result.IsDamaged(), c.damaged) << c.what;
    const std::vector<const vector::ImageOp*> images = Images(result);
    ASSERT_EQ(images.size(), 3u) << c.what;  // the grey, the pixmap, the JPEG
    const vector::ImageOp& image = *images.back();
    EXPECT_EQ(image.jpeg.empty(), c.damaged) << c.what;
    if (c.damaged) {
      EXPECT_GT(image.pixels.height, 0) << c.what;
      EXPECT_LT(image.pixels.height, kHeight) << c.what;
    } else {
      EXPECT_EQ(image.pixels.height, kHeight) << c.what;
    }
    EXPECT_EQ(DifferingPixels(RenderAliased(result.drawing->drawing), result.image, 0), 0)
        << c.what;
  }
}

// Where the opcode that begins at start ends in file: the shortest cut after start that is no
// longer damaged in it (a cut there is whole, or damaged in a later opcode).
size_t EndOfOpcode(const Bytes& file, size_t start) {
  size_t inside = start + 1, after = file.size();
  while (after - inside > 1) {
    const size_t middle = inside + (after - inside) / 2;
    const std::optional<Damage> damage = Decode(Cut(file, middle)).notes.damage;
    (damage && damage->opcodeOffset == start ? inside : after) = middle;
  }
  return after;
}

// Every real corpus file cut at several places shows its intact part and says where it ends. What
// the cut file shows is the picture before the damaged opcode (the file cut at its start, an end
// opcode added), but for the rows of a pixel operation that arrived whole, which are the rows of
// the picture once that opcode is whole (the file cut at its end, an end opcode added): the whole
// file's rendering, where no later opcode draws over them. Nothing else; a header cut short is
// refused, as no picture.
TEST(PictCorpusCuts, EveryRealFileCutKeepsItsIntactPart) {
  REQUIRE_CORPUS();
  int files = 0, partial = 0, rows = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Corpus("pict-real"))) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
    const std::optional<std::string> read = ReadFileBytes(entry.path().string());
    ASSERT_TRUE(read) << entry.path();
    const Bytes file(read->begin(), read->end());
    const PictResult whole = Decode(file);
    if (!whole.refusal.empty()) continue;  // no picture to compare with
    ++files;
    // The version opcode after the frame, with or without the preamble.
    const bool version1 = (file.size() > 523 && file[522] == 0x11 && file[523] == 0x01) ||
                          (file.size() > 11 && file[10] == 0x11 && file[11] == 0x01);
    for (const size_t cut :
         {file.size() / 5, file.size() / 2, file.size() * 4 / 5, file.size() - 3}) {
      const std::string what = entry.path().string() + " cut at " + std::to_string(cut);
      const PictResult result = Decode(Cut(file, cut));
      if (!result.notes.damage) {
        // Cut in its header, or between two opcodes: a picture without its end opcode, which
        // is whole as far as it goes.
        if (result.refusal.empty())
          EXPECT_EQ(result.image.pixels, Before(file, cut, version1).pixels) << what;
        else
          EXPECT_LT(cut, 512 + 600) << what << ": " << result.refusal;
        continue;
      }
      const Damage& damage = *result.notes.damage;
      EXPECT_LE(damage.offset, cut) << what;
      EXPECT_LE(damage.opcodeOffset, damage.offset) << what;
      if (result.image.IsEmpty()) {
        EXPECT_EQ(result.refusal, DamageLine(damage, false)) << what;
        continue;
      }
      ++partial;
      const Image before = Before(file, damage.opcodeOffset, version1);
      if (result.image.pixels == before.pixels) continue;  // nothing of the damaged opcode
      // Where a later opcode draws over the rows that arrived, they are the rows of the picture
      // once the damaged opcode is whole instead (slow to find: only then).
      int arrived = IntactRows(result.image, before, whole.image);
      if (arrived < 0)
        arrived = IntactRows(result.image, before,
                             Before(file, EndOfOpcode(file, damage.opcodeOffset), version1));
      EXPECT_GE(arrived, 0) << what << ": a row is neither";
      rows += std::max(arrived, 0);
    }
  }
  EXPECT_GT(files, 50) << "pictures decoded in the corpus";
  EXPECT_GT(partial, 100) << "cut pictures drawn in part";
  EXPECT_GT(rows, 1000) << "rows of cut pixel operations drawn";
}
