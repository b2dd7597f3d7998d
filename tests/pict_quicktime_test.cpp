// The QuickTime opcodes: payloads encoded here with FreeImage and libavcodec's
// own encoders, or built by hand, wrapped in image descriptions and opcode
// data, decoded and checked pixel by pixel; and the corpus's real QuickTime
// pictures against their reference renderings.
#include "pict/quicktime.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "tests/support/letter_f.h"
#include "tests/support/pict_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr int32_t kOne = 0x10000;  // Fixed 1.0
using Matrix = std::array<int32_t, 9>;
constexpr Matrix kIdentity = {kOne, 0, 0, 0, kOne, 0, 0, 0, 0x40000000};

// The letter F, each of its pixels a scale x scale block: ink where kLetterF
// has 'X'. Only the first `columns` columns of the 6 (the sixth is paper
// throughout).
Image Letter(uint32_t ink, uint32_t paper, int scale = 1, int columns = 6) {
  Image image(columns * scale, int(kHeight) * scale, 0);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      image.At(x, y) = kLetterF[y / scale][x / scale] == 'X' ? ink : paper;
  return image;
}

// An image description of the given codec type and size, its colour table (clut
// id 0) when one is given, followed by data.
Bytes Described(const char *codec, int width, int height, int depth, const Bytes &data,
                const std::vector<uint32_t> &table = {}, int clutId = -1) {
  PictWriter w;
  w.U32(uint32_t(86 + (table.empty() ? 0 : 8 + 8 * table.size())));
  for (int i = 0; i < 4; ++i) w.U8(uint8_t(codec[i]));
  w.U32(0).U16(0).U16(1).U16(0).U16(0).U32(0x6170706C).U32(0).U32(0x200);
  w.U16(uint16_t(width)).U16(uint16_t(height)).U32(72 << 16).U32(72 << 16);
  w.U32(uint32_t(data.size())).U16(1).Raw(Bytes(32, 0)).U16(uint16_t(depth));
  w.U16(uint16_t(table.empty() ? clutId : 0));
  if (!table.empty()) w.U32(0).U16(0).U16(uint16_t(table.size() - 1));
  for (size_t i = 0; i < table.size(); ++i)
    w.U16(uint16_t(i))
        .U16(uint16_t((table[i] >> 16 & 0xFF) * 0x101))
        .U16(uint16_t((table[i] >> 8 & 0xFF) * 0x101))
        .U16(uint16_t((table[i] & 0xFF) * 0x101));
  return w.Raw(data).Body();
}

// The data of a CompressedQuickTime opcode after its length.
Bytes Opcode(const Bytes &described, Rect source, const Matrix &matrix = kIdentity,
             const Bytes &mask = {}, const Bytes &matte = {}, Rect matteRect = {}) {
  PictWriter w;
  w.U16(0);
  for (int32_t value : matrix) w.U32(uint32_t(value));
  w.U32(uint32_t(matte.size())).RectData(matteRect).U16(64).RectData(source).U32(0);
  return w.U32(uint32_t(mask.size())).Raw(matte).Raw(mask).Raw(described).Body();
}

std::optional<QuickTimePicture> Read(const Bytes &data, std::string &reason) {
  return ReadQuickTime(ByteReader(data), reason);
}

Bytes SaveToMemory(FIBITMAP *picture, FREE_IMAGE_FORMAT format, int flags = 0) {
  FIMEMORY *memory = FreeImage_OpenMemory();
  BYTE *data = nullptr;
  DWORD size = 0;
  FreeImage_SaveToMemory(format, picture, memory, flags);
  FreeImage_AcquireMemory(memory, &data, &size);
  Bytes bytes(data, data + size);
  FreeImage_CloseMemory(memory);
  return bytes;
}

Bitmap ToBitmap(const Image &image, int bpp = 32) {
  Bitmap picture(FreeImage_Allocate(image.width, image.height, 32));
  for (int y = 0; y < image.height; ++y)
    std::memcpy(FreeImage_GetScanLine(picture.get(), image.height - 1 - y),
                image.pixels.data() + size_t(y) * size_t(image.width), size_t(4 * image.width));
  return bpp == 32 ? std::move(picture) : Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
}

// What a BMP file holds after its headers: the bits a 'WRLE' image carries.
Bytes BmpBits(FIBITMAP *picture, int flags = BMP_DEFAULT) {
  const Bytes file = SaveToMemory(picture, FIF_BMP, flags);
  uint32_t offset = 0;
  std::memcpy(&offset, &file[10], 4);
  return Bytes(file.begin() + offset, file.end());
}

// One frame through a libavcodec encoder; pal8 frames take indices (0 ink, 1
// paper) and the two colours as their palette.
Bytes Encode(const char *name, AVPixelFormat format, const Image &image,
             std::array<uint32_t, 2> colours = {}) {
  const AVCodec *codec = avcodec_find_encoder_by_name(name);
  AVCodecContext *context = avcodec_alloc_context3(codec);
  context->width = image.width;
  context->height = image.height;
  context->pix_fmt = format;
  context->time_base = {1, 25};
  AVFrame *frame = av_frame_alloc();
  frame->format = format;
  frame->width = image.width;
  frame->height = image.height;
  AVPacket *packet = av_packet_alloc();
  Bytes bytes;
  if (avcodec_open2(context, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
    if (format == AV_PIX_FMT_PAL8) {
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
          frame->data[0][y * frame->linesize[0] + x] = image.At(x, y) == colours[0] ? 0 : 1;
      std::memcpy(frame->data[1], colours.data(), sizeof colours);
    } else {
      SwsContext *scaler =
          sws_getContext(image.width, image.height, AV_PIX_FMT_RGB32, image.width, image.height,
                         format, SWS_POINT, nullptr, nullptr, nullptr);
      const uint8_t *planes[] = {reinterpret_cast<const uint8_t *>(image.pixels.data())};
      const int strides[] = {4 * image.width};
      sws_scale(scaler, planes, strides, 0, image.height, frame->data, frame->linesize);
      sws_freeContext(scaler);
    }
    avcodec_send_frame(context, frame);
    avcodec_send_frame(context, nullptr);
    if (avcodec_receive_packet(context, packet) == 0)
      bytes.assign(packet->data, packet->data + packet->size);
  }
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  return bytes;
}

// QuickTime's uncompressed rows: each row padded to an even number of bytes.
Bytes RawRows(const Image &image, int bits, const std::function<uint32_t(uint32_t)> &value) {
  PictWriter w;
  for (int y = 0; y < image.height; ++y) {
    Bytes row(size_t((image.width * bits + 15) / 16 * 2), 0);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t v = value(image.At(x, y));
      if (bits < 8) row[size_t(x * bits / 8)] |= uint8_t(v << (8 - bits - x * bits % 8));
      for (int b = 0; b < bits / 8; ++b)
        row[size_t(x * bits / 8 + b)] = uint8_t(v >> (bits - 8 - 8 * b));
    }
    w.Raw(row);
  }
  return w.Body();
}

// Largest difference of any channel, alpha included, or -1 when the sizes
// differ.
int MaxDifference(const Image &a, const Image &b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int most = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift = 0; shift < 32; shift += 8)
      most = std::max(
          most, std::abs(int(a.pixels[i] >> shift & 0xFF) - int(b.pixels[i] >> shift & 0xFF)));
  return most;
}

constexpr uint32_t kInk = 0xFFFF0000, kPaper = 0xFF0000FF;

struct CodecCase {
  std::string name;
  std::function<Bytes()> payload;  // image description and data
  Image expected;
  int tolerance = 0;  // per channel; 0 for the lossless codecs
};

TEST(ReadQuickTime, DecodesEveryCodecFamily) {
  const Image letter = Letter(kInk, kPaper);
  const Image big = Letter(kInk, kPaper, 4);      // 24 x 20: whole blocks for block codecs
  const Image five = Letter(kInk, kPaper, 1, 5);  // rows of odd byte counts at 8 and 24 bits
  const std::vector<uint32_t> table = {0x0000FF, 0xFF0000};  // paper, ink
  const auto index = [](uint32_t ink, uint32_t paper) {
    return [=](uint32_t pixel) { return pixel == kInk ? ink : paper; };
  };
  const auto rgb = [](uint32_t pixel) { return pixel & 0xFFFFFF; };
  const auto rgb555 = [](uint32_t pixel) { return pixel == kInk ? 0x7C00u : 0x001Fu; };
  Image halfInk = Letter(kInk, 0x800000FF);  // paper half transparent
  const CodecCase cases[] = {
      {"png",
       [&] { return Described("png ", 6, 5, 24, SaveToMemory(ToBitmap(letter).get(), FIF_PNG)); },
       letter},
      {"png keeps its alpha",
       [&] { return Described("png ", 6, 5, 32, SaveToMemory(ToBitmap(halfInk).get(), FIF_PNG)); },
       halfInk},
      {"tiff",
       [&] { return Described("tiff", 6, 5, 24, SaveToMemory(MakeLetterF(24).get(), FIF_TIFF)); },
       letter},
      {"gif",
       [&] { return Described("gif ", 6, 5, 8, SaveToMemory(MakeLetterF(8).get(), FIF_GIF)); },
       letter},
      {"jpeg",
       [&] {
         return Described("jpeg", 24, 20, 24,
                          SaveToMemory(ToBitmap(big, 24).get(), FIF_JPEG,
                                       JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444));
       },
       big, 12},
      {"WRLE 24", [&] { return Described("WRLE", 6, 5, 24, BmpBits(MakeLetterF(24).get())); },
       letter},
      {"WRLE 8, run-length",
       [&] {
         return Described("WRLE", 6, 5, 8, BmpBits(MakeLetterF(8).get(), BMP_SAVE_RLE), table);
       },
       letter},
      {"raw 1, default table",
       [&] { return Described("raw ", 6, 5, 1, RawRows(letter, 1, index(1, 0))); },
       Letter(0xFF000000, 0xFFFFFFFF)},
      {"raw 2, default table",
       [&] { return Described("raw ", 6, 5, 2, RawRows(letter, 2, index(1, 2))); },
       Letter(0xFFACACAC, 0xFF555555)},
      {"raw 4, default table",
       [&] { return Described("raw ", 6, 5, 4, RawRows(letter, 4, index(3, 6))); },
       Letter(0xFFDD0806, 0xFF0000D4)},
      {"raw 8, default table",
       [&] { return Described("raw ", 5, 5, 8, RawRows(five, 8, index(35, 210))); }, five},
      {"raw 8, own table",
       [&] { return Described("raw ", 5, 5, 8, RawRows(five, 8, index(1, 0)), table); }, five},
      {"raw 8 grey", [&] { return Described("raw ", 6, 5, 40, RawRows(letter, 8, index(255, 0))); },
       Letter(0xFF000000, 0xFFFFFFFF)},
      {"raw 16", [&] { return Described("raw ", 6, 5, 16, RawRows(letter, 16, rgb555)); }, letter},
      {"raw 24", [&] { return Described("raw ", 5, 5, 24, RawRows(five, 24, rgb)); }, five},
      {"raw 32 is opaque", [&] { return Described("raw ", 6, 5, 32, RawRows(letter, 32, rgb)); },
       letter},
      {"rle 16",
       [&] { return Described("rle ", 6, 5, 16, Encode("qtrle", AV_PIX_FMT_RGB555BE, letter)); },
       letter},
      {"rle 24",
       [&] { return Described("rle ", 6, 5, 24, Encode("qtrle", AV_PIX_FMT_RGB24, letter)); },
       letter},
      {"rle 32 is opaque",
       [&] { return Described("rle ", 6, 5, 32, Encode("qtrle", AV_PIX_FMT_ARGB, halfInk)); },
       letter},
      {"smc, own table",
       [&] {
         return Described("smc ", 6, 5, 8, Encode("smc", AV_PIX_FMT_PAL8, letter, {kPaper, kInk}),
                          table);
       },
       letter},
      {"smc, default table",
       [&] {
         return Described(
             "smc ", 6, 5, 8,
             Encode("smc", AV_PIX_FMT_PAL8, Letter(0xFFFFFFFF, 0xFFFFFFCC), {0xFFFFFFCC, 0}));
       },
       Letter(0xFFFFFFCC, 0xFFFFFFFF)},
      {"rpza",
       [&] { return Described("rpza", 24, 20, 16, Encode("rpza", AV_PIX_FMT_RGB555LE, big)); },
       big},
      {"cvid",
       [&] { return Described("cvid", 24, 20, 24, Encode("cinepak", AV_PIX_FMT_RGB24, big)); }, big,
       12},
  };
  for (const CodecCase &c : cases) {
    std::string reason;
    const Bytes data = Opcode(c.payload(), {0, 0, c.expected.width, c.expected.height});
    const std::optional<QuickTimePicture> picture = Read(data, reason);
    ASSERT_TRUE(picture) << c.name << ": " << reason;
    const int difference = MaxDifference(picture->image, c.expected);
    EXPECT_TRUE(difference >= 0 && difference <= c.tolerance) << c.name << ": " << difference;
  }
}

TEST(ReadQuickTime, PlacesTheSourceThroughTheMatrix) {
  const struct {
    Matrix matrix;
    Rect sourceRect, source, destination;
  } cases[] = {
      {kIdentity, {0, 0, 6, 5}, {0, 0, 6, 5}, {0, 0, 6, 5}},
      {{kOne, 0, 0, 0, kOne, 0, 10 * kOne, 192 * kOne, 0x40000000},
       {0, 0, 6, 5},
       {0, 0, 6, 5},
       {10, 192, 16, 197}},
      {{2 * kOne, 0, 0, 0, 3 * kOne, 0, 0, 0, 0x40000000},
       {0, 0, 6, 5},
       {0, 0, 6, 5},
       {0, 0, 12, 15}},
      {{kOne / 2, 0, 0, 0, kOne / 2, 0, kOne / 2, 0, 0x40000000},
       {0, 0, 6, 5},
       {0, 0, 6, 5},
       {1, 0, 4, 3}},
      {{kOne, 0, 0, 0, kOne, 0, 10 * kOne, 20 * kOne, 0x40000000},
       {1, 1, 4, 3},
       {1, 1, 4, 3},
       {11, 21, 14, 23}},
      {kIdentity, {-2, 0, 100, 100}, {0, 0, 6, 5}, {0, 0, 6, 5}},
  };
  const Bytes png = Described("png ", 6, 5, 24, SaveToMemory(MakeLetterF(24).get(), FIF_PNG));
  for (const auto &c : cases) {
    std::string reason;
    const auto picture = Read(Opcode(png, c.sourceRect, c.matrix), reason);
    ASSERT_TRUE(picture) << reason;
    EXPECT_EQ(picture->source, c.source);
    EXPECT_EQ(picture->destination, c.destination)
        << picture->destination.left << "," << picture->destination.top << ","
        << picture->destination.right << "," << picture->destination.bottom;
  }
}

// A PNG (or JPEG) whose own header claims width x height.
Bytes WithClaimedSize(Bytes file, size_t at, int bytesPerSide, uint32_t side) {
  for (int i = 0; i < bytesPerSide; ++i) {
    file[at + size_t(bytesPerSide - 1 - i)] = uint8_t(side >> (8 * i));
    file[at + size_t(2 * bytesPerSide - 1 - i)] = uint8_t(side >> (8 * i));
  }
  return file;
}

TEST(ReadQuickTime, RefusesWhatItCannotPlaceOrDecode) {
  const Bytes png = SaveToMemory(MakeLetterF(24).get(), FIF_PNG);
  const Bytes jpeg = SaveToMemory(MakeLetterF(24).get(), FIF_JPEG);
  const uint8_t startOfFrame[] = {0xFF, 0xC0};
  const size_t sof = size_t(
      std::search(jpeg.begin(), jpeg.end(), std::begin(startOfFrame), std::end(startOfFrame)) -
      jpeg.begin());
  const Bytes image = Described("png ", 6, 5, 24, png);
  const Rect all{0, 0, 6, 5};
  const Matrix rotation = {0, kOne, 0, -kOne, 0, 0, 0, 0, 0x40000000};
  const Matrix skew = {kOne, 0, 0, kOne / 4, kOne, 0, 0, 0, 0x40000000};
  const Matrix mirror = {-kOne, 0, 0, 0, kOne, 0, 6 * kOne, 0, 0x40000000};
  const Matrix perspective = {kOne, 0, 1, 0, kOne, 0, 0, 0, 0x40000000};
  Bytes cut = Opcode(image, all);
  cut.resize(cut.size() - 1);
  const struct {
    Bytes data;
    std::string reason;  // a part of the reason given
  } cases[] = {
      {Opcode(Described("zzzz", 6, 5, 24, png), all), "codec 'zzzz'"},
      {Opcode(Described("PNTG", 6, 5, 1, png), all), "codec 'PNTG'"},
      {Opcode(image, all, rotation), "rotated"},
      {Opcode(image, all, skew), "skewed"},
      {Opcode(image, all, mirror), "mirrored"},
      {Opcode(image, all, perspective), "perspective"},
      {Opcode(Described("raw ", 60000, 60000, 8, Bytes(2)), all), "size limit"},
      {Opcode(Described("raw ", 0, 5, 8, Bytes(2)), all), "empty"},
      {Opcode(Described("png ", 6, 5, 24, WithClaimedSize(png, 16, 4, 30000)), all),
       "could not be decoded"},
      {Opcode(Described("jpeg", 6, 5, 24, WithClaimedSize(jpeg, sof + 5, 2, 30000)), all),
       "beyond the size limit"},
      {Opcode(Described("png ", 6, 5, 24, Bytes(png.begin(), png.begin() + 40)), all),
       "could not be decoded"},
      {Opcode(Bytes(image.begin(), image.begin() + 60), all), "image description"},
      {cut, "cut short"},
      {Opcode(image, {10, 10, 20, 20}), "outside the image"},
      {Opcode(image, all, kIdentity, {0, 4, 0, 0}), "mask"},
  };
  for (const auto &c : cases) {
    std::string reason;
    EXPECT_FALSE(Read(c.data, reason)) << c.reason;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.reason << " / " << reason;
  }
}

TEST(ReadQuickTime, SurvivesDataCutAnywhere) {
  const Image big = Letter(kInk, kPaper, 4);
  const struct {
    const char *codec;
    int depth;
    Bytes whole;
  } cases[] = {
      {"png ", 24, SaveToMemory(ToBitmap(big).get(), FIF_PNG)},
      {"jpeg", 24, SaveToMemory(ToBitmap(big, 24).get(), FIF_JPEG)},
      {"rle ", 24, Encode("qtrle", AV_PIX_FMT_RGB24, big)},
      {"cvid", 24, Encode("cinepak", AV_PIX_FMT_RGB24, big)},
      {"rpza", 16, Encode("rpza", AV_PIX_FMT_RGB555LE, big)},
      {"smc ", 8, Encode("smc", AV_PIX_FMT_PAL8, big, {kPaper, kInk})},
  };
  for (const auto &c : cases) {
    ASSERT_FALSE(c.whole.empty()) << c.codec;
    for (size_t keep = 0; keep <= c.whole.size(); ++keep) {
      // The codec's own data cut short, its size in the description telling the
      // truth...
      const Bytes part(c.whole.begin(), c.whole.begin() + ptrdiff_t(keep));
      std::string reason;
      const auto picture =
          Read(Opcode(Described(c.codec, 24, 20, c.depth, part), {0, 0, 24, 20}), reason);
      EXPECT_TRUE(picture ? !picture->image.IsEmpty() : !reason.empty()) << c.codec << keep;
      if (keep == c.whole.size()) {
        EXPECT_TRUE(picture) << c.codec << ": " << reason;
      }
      // ...and the opcode's data cut short under a description that promises
      // more.
      const Bytes opcode = Opcode(Described(c.codec, 24, 20, c.depth, c.whole), {0, 0, 24, 20});
      const Bytes cut(opcode.begin(),
                      opcode.begin() + ptrdiff_t((opcode.size() - 1) * keep / c.whole.size()));
      EXPECT_FALSE(Read(cut, reason)) << c.codec << keep;
    }
  }
}

TEST(ReadQuickTime, KeepsTheMaskAndWeighsByTheMatte) {
  const Image letter = Letter(kInk, kPaper);
  const Bytes image =
      Described("raw ", 6, 5, 24, RawRows(letter, 24, [](uint32_t p) { return p & 0xFFFFFF; }));
  // A grey matte: black keeps the image, white drops it, grey halves it.
  Image shades(6, 5, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) shades.At(x, y) = x < 2 ? 0 : x < 4 ? 0x80 : 0xFF;
  const Bytes matte = Described("raw ", 6, 5, 40, RawRows(shades, 8, [](uint32_t p) { return p; }));
  const Bytes mask = PictWriter().RegionData({{0, 0, 2, 2}, {3, 3, 6, 5}}).Body();
  std::string reason;
  const auto picture =
      Read(Opcode(image, {0, 0, 6, 5}, kIdentity, mask, matte, {0, 0, 6, 5}), reason);
  ASSERT_TRUE(picture) << reason;
  Region expectedMask(Rect{0, 0, 2, 2});
  expectedMask.Union(Region(Rect{3, 3, 6, 5}));
  ASSERT_TRUE(picture->mask);
  EXPECT_TRUE(*picture->mask == expectedMask);
  for (int x = 0; x < 6; ++x) {
    // Index 0 of the grey table is white, 255 black.
    const uint32_t alpha = x < 2 ? 0 : x < 4 ? 0x80 : 0xFF;
    EXPECT_EQ(picture->image.At(x, 2), alpha << 24 | (letter.At(x, 2) & 0xFFFFFF)) << x;
  }
  EXPECT_FALSE(Read(Opcode(image, {0, 0, 6, 5}, kIdentity, {}, matte, {0, 0, 3, 3}), reason));
  EXPECT_NE(reason.find("matte"), std::string::npos) << reason;
}

TEST(ReadUncompressedQuickTime, HandsOverTheBitmapOpcode) {
  const Bytes bits = {0x00, 0x02, 0, 0, 0, 0, 0, 1, 0, 8};
  Image grey(3, 1, 0x80);
  const Bytes matte = Described("raw ", 3, 1, 40, RawRows(grey, 8, [](uint32_t p) { return p; }));
  const auto data = [&](const Matrix &matrix, const Bytes &matteBytes, uint16_t opcode) {
    PictWriter w;
    w.U16(0);
    for (int32_t value : matrix) w.U32(uint32_t(value));
    w.U32(uint32_t(matteBytes.size())).RectData({}).Raw(matteBytes);
    if (w.Body().size() % 2) w.U8(0);
    return w.U16(opcode).Raw(bits).Body();
  };
  Bytes oddMatte = matte;
  oddMatte.push_back(0);  // the matte's own trailing byte; a pad byte follows it
  const struct {
    Bytes data;
    bool read;
    bool hasMatte;
  } cases[] = {
      {data(kIdentity, {}, 0x0098), true, false},
      {data(kIdentity, oddMatte, 0x009A), true, true},
      {data({2 * kOne, 0, 0, 0, kOne, 0, 0, 0, 0x40000000}, {}, 0x0098), false, false},
      {data(kIdentity, {}, 0x00A1), false, false},
  };
  for (const auto &c : cases) {
    std::string reason;
    const auto result = ReadUncompressedQuickTime(ByteReader(c.data), reason);
    ASSERT_EQ(result.has_value(), c.read) << reason;
    if (!result) continue;
    EXPECT_EQ(Bytes(result->operands.data().begin(), result->operands.data().end()), bits);
    ASSERT_EQ(result->matte.has_value(), c.hasMatte);
    if (c.hasMatte) {
      EXPECT_EQ(result->matte->At(2, 0), 0x80u << 24);
    }
  }
}

TEST(QuickTimeFallbackLength, SkipsOnlyMarkedFallbacks) {
  const Rect destination{0, 0, 16, 2};
  // A BitMap opcode of two rows: unpacked when rowBytes < 8, else a count byte
  // and PackBits.
  const auto bitmap = [](uint16_t opcode, uint16_t rowBytes, Rect target) {
    PictWriter w;
    w.U16(opcode)
        .U16(rowBytes)
        .RectData({0, 0, (rowBytes & 0x3FFF) * 8, 2})
        .RectData({0, 0, 16, 2});
    w.RectData(target).U16(0);
    const size_t size = rowBytes & 0x3FFF;
    for (int row = 0; row < 2; ++row)
      w.Raw(opcode == 0x0090 || size < 8 ? Bytes(size, 0xAA) : Bytes{2, 0xF7, 0xAA});
    return w.U16(0x00FF).Body();
  };
  const struct {
    std::string name;
    Bytes rest;
    size_t length;
  } cases[] = {
      {"QuickTime's texts", PictWriter().U16(7).U16(174).U16(4).U16(3).U16(3).U16(0xFF).Body(), 10},
      {"marker longer than the data", PictWriter().U16(7).U16(174).U16(40).U16(0xFF).Body(), 0},
      {"a real pen size", PictWriter().U16(7).U16(1).U16(1).U16(0xFF).Body(), 0},
      {"icon, unpacked", bitmap(0x0098, 2, destination), 34},
      {"icon, packed", bitmap(0x0098, 10, destination), 36},
      {"icon, BitsRect", bitmap(0x0090, 10, destination), 50},
      {"bitmap elsewhere", bitmap(0x0098, 2, {0, 0, 16, 3}), 0},
      {"pixmap", bitmap(0x0098, 0x8002, destination), 0},
      {"text", PictWriter().U16(0x0028).U16(10).U16(10).U8(1).U8('A').Body(), 0},
      {"nothing", {}, 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(QuickTimeFallbackLength(c.rest, destination), c.length) << c.name;
}

// The corpus: every QuickTime opcode of its QuickTime files, found by walking
// the few opcodes those files hold, drawn onto a white canvas the size of the
// frame, its fallback skipped.
struct CorpusCase {
  std::string file;
  std::string codecs;     // of its QuickTime opcodes, in order
  std::string reference;  // its own, another file's of the same picture, or none
  int tolerance = 0;      // per channel, against the reference
};

uint16_t Word(const Bytes &b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }
uint32_t Long(const Bytes &b, size_t at) { return uint32_t(Word(b, at)) << 16 | Word(b, at + 2); }

// Walks the picture from the header on; false with a message when it meets an
// opcode this small walk does not know (the fallback drawing, if it were not
// skipped) or damaged data.
bool DrawQuickTimeOpcodes(const Bytes &file, Image &canvas, std::vector<std::string> &codecs,
                          std::string &message) {
  size_t at = 512 + 10 + 6 + 24;  // picSize, picFrame, version, header
  while (at + 2 <= file.size()) {
    const uint16_t opcode = Word(file, at);
    at += 2;
    if (opcode == 0x00FF) return true;
    if (opcode == 0x001E || opcode == 0x0000) continue;
    if (opcode == 0x0001) {
      at += Word(file, at);
    } else if (opcode == 0x001A || opcode == 0x001B || opcode == 0x001F) {
      at += 6;  // a colour
    } else if (opcode >= 0x0030 && opcode <= 0x0034) {
      at += 8;  // a rectangle, erased or painted before the picture
    } else if (opcode == 0x00A1) {
      at += 4 + Word(file, at + 2);
    } else if (opcode == 0x8200) {
      const uint32_t length = Long(file, at);
      const std::span<const uint8_t> data(file.data() + at + 4, length);
      std::string reason;
      const auto picture = ReadQuickTime(ByteReader(data), reason);
      if (!picture) return message = reason, false;
      const uint32_t descriptionAt =
          at + 4 + 68 + Long(file, at + 4 + 38) + Long(file, at + 4 + 64);
      codecs.emplace_back(file.begin() + descriptionAt + 4, file.begin() + descriptionAt + 8);
      const Rect to = picture->destination.Intersect({0, 0, canvas.width, canvas.height});
      for (int y = to.top; y < to.bottom; ++y)
        for (int x = to.left; x < to.right; ++x) {
          const uint32_t p = picture->image.At(x - to.left + picture->source.left,
                                               y - to.top + picture->source.top);
          const uint32_t a = p >> 24;
          uint32_t out = kOpaque;
          for (int shift = 0; shift < 24; shift += 8)  // over white
            out |= ((p >> shift & 0xFF) * a + 255 * (255 - a) + 127) / 255 << shift;
          canvas.At(x, y) = out;
        }
      at += 4 + length + (length % 2);
      at += QuickTimeFallbackLength(std::span(file).subspan(at), picture->destination);
    } else {
      return message = "unexpected opcode " + std::to_string(opcode), false;
    }
    at += at % 2;
  }
  return message = "no end opcode", false;
}

TEST(QuickTimeCorpus, DecodesTheCorpusLikeTheReferences) {
  const std::filesystem::path corpus = CORPUS_DIR;
  if (!std::filesystem::exists(corpus / "pict-real")) GTEST_SKIP() << "no corpus at " << corpus;
  const CorpusCase cases[] = {
      {"twelvemonkeys/qt_jpeg.pict", "jpeg", "twelvemonkeys/qt_jpeg.pict"},
      {"twelvemonkeys/qt_mire.pict", "jpeg", "twelvemonkeys/qt_mire.pict"},
      {"twelvemonkeys/J19.pict", "jpegjpegjpeg", "twelvemonkeys/J19.pict"},
      {"quickdrawviewer/PhotoShop3Gradient.pict", "jpeg", ""},
      {"twelvemonkeys/qt_png.pict", "png ", "twelvemonkeys/qt_png.pict"},
      {"twelvemonkeys/qt_tiff.pict", "tiff", "twelvemonkeys/qt_png.pict"},
      // The reference converted the pixels with the TIFF's own ICC profile (an
      // iMac display's); as stored they are 7 to 10 levels darker, at most 48.
      {"twelvemonkeys/P30946BDC.pict", "tiff", "twelvemonkeys/P30946BDC.pict", 48},
      {"twelvemonkeys/qt_bmp.pict", "WRLE", "twelvemonkeys/qt_bmp.pict"},
      {"twelvemonkeys/u2.pict", "raw ", ""},
      {"quickdrawviewer/ZurichCinepakBest.pict", "cvid", ""},
      {"quickdrawviewer/MireRpza.pict", "rpza", ""},
  };
  for (const CorpusCase &c : cases) {
    std::ifstream in(corpus / "pict-real" / c.file, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(file.size(), 600u) << c.file;
    // picFrame: top, left, bottom, right.
    const int width = int16_t(Word(file, 520)) - int16_t(Word(file, 516));
    const int height = int16_t(Word(file, 518)) - int16_t(Word(file, 514));
    Image canvas(width, height, 0xFFFFFFFF);
    std::vector<std::string> codecs;
    std::string message;
    ASSERT_TRUE(DrawQuickTimeOpcodes(file, canvas, codecs, message)) << c.file << ": " << message;
    std::string all;
    for (const std::string &codec : codecs) all += codec;
    EXPECT_EQ(all, c.codecs) << c.file;
    if (c.reference.empty()) {
      // No reference decoded these: a real picture has many colours and no
      // large blank part.
      std::vector<uint32_t> colours(canvas.pixels);
      std::sort(colours.begin(), colours.end());
      const auto distinct = std::unique(colours.begin(), colours.end()) - colours.begin();
      const auto white = std::count(canvas.pixels.begin(), canvas.pixels.end(), 0xFFFFFFFF);
      EXPECT_GT(distinct, 50) << c.file;
      EXPECT_LT(white, int64_t(canvas.pixels.size()) / 4) << c.file;
      continue;
    }
    const Bitmap file24(FreeImage_Load(
        FIF_PNG, (corpus / "refs/pict-real" / (c.reference + ".png")).string().c_str(), 0));
    ASSERT_TRUE(file24) << c.file;
    const Bitmap reference(FreeImage_ConvertTo32Bits(file24.get()));
    Image expected(int(FreeImage_GetWidth(reference.get())),
                   int(FreeImage_GetHeight(reference.get())), 0);
    for (int y = 0; y < expected.height; ++y)
      std::memcpy(expected.pixels.data() + size_t(y) * size_t(expected.width),
                  FreeImage_GetScanLine(reference.get(), expected.height - 1 - y),
                  size_t(4 * expected.width));
    const int most = MaxDifference(canvas, expected);
    EXPECT_TRUE(most >= 0 && most <= c.tolerance) << c.file << ": " << most;
  }
}

}  // namespace
