// The QuickTime opcodes: payloads encoded here with FreeImage and libavcodec's own encoders, or
// built by hand, wrapped in image descriptions and opcode data, decoded and checked pixel by
// pixel; payloads carrying ICC profiles made by Little CMS, and the same profiles in ColorSync's
// picture comments; and the corpus's real QuickTime pictures against their reference renderings.
#include "pict/quicktime.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}
#include <gtest/gtest.h>
#include <lcms2.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "pict/decode.h"
#include "pict/limits.h"
#include "tests/support/corpus.h"
#include "tests/support/letter_f.h"
#include "tests/support/pict_writer.h"

using namespace pict;  // the decoder's own types

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kInk = 0xFFFF0000, kPaper = 0xFF0000FF, kWhite = 0xFFFFFFFF;

const QuickTimeMatrix kIdentity = QuickTimeScale(1, 1);

// The letter F in two colours, each of its pixels a scale x scale block; the first `columns`
// of its 6 columns (the sixth is paper throughout).
Image Letter(uint32_t ink, uint32_t paper, int scale = 1, int columns = 6) {
  Image image(columns * scale, int(kHeight) * scale, 0);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      image.At(x, y) = kLetterF[y / scale][x / scale] == 'X' ? ink : paper;
  return image;
}

std::optional<QuickTimePicture> Read(const Bytes& data, std::string& reason) {
  return ReadQuickTime(ByteReader(data), reason);
}

Bitmap ToBitmap(const Image& image, int bpp = 32) {
  Bitmap picture(FreeImage_Allocate(image.width, image.height, 32));
  for (int y = 0; y < image.height; ++y)
    std::memcpy(FreeImage_GetScanLine(picture.get(), image.height - 1 - y),
                image.pixels.data() + size_t(y) * size_t(image.width), size_t(4 * image.width));
  return bpp == 32 ? std::move(picture) : Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
}

Bytes Saved(const Bitmap& picture, FREE_IMAGE_FORMAT format, int flags = 0) {
  FIMEMORY* memory = FreeImage_OpenMemory();
  BYTE* data = nullptr;
  DWORD size = 0;
  FreeImage_SaveToMemory(format, picture.get(), memory, flags);
  FreeImage_AcquireMemory(memory, &data, &size);
  Bytes bytes(data, data + size);
  FreeImage_CloseMemory(memory);
  return bytes;
}

// What a BMP file holds after its headers: the bits a 'WRLE' image carries.
Bytes BmpBits(const Bitmap& picture, int flags = BMP_DEFAULT) {
  const Bytes file = Saved(picture, FIF_BMP, flags);
  return Bytes(file.begin() + (file[10] | file[11] << 8), file.end());
}

// One frame through a libavcodec encoder; pal8 frames use index 0 for paper, 1 for ink and
// the palette given.
Bytes Encode(const char* name, AVPixelFormat format, const Image& image,
             std::array<uint32_t, 2> palette = {kPaper, kInk}) {
  const AVCodec* codec = avcodec_find_encoder_by_name(name);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  context->width = image.width;
  context->height = image.height;
  context->pix_fmt = format;
  context->time_base = {1, 25};
  AVFrame* frame = av_frame_alloc();
  frame->format = format;
  frame->width = image.width;
  frame->height = image.height;
  AVPacket* packet = av_packet_alloc();
  Bytes bytes;
  if (avcodec_open2(context, codec, nullptr) == 0 && av_frame_get_buffer(frame, 0) == 0) {
    if (format == AV_PIX_FMT_PAL8) {
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
          frame->data[0][y * frame->linesize[0] + x] = image.At(x, y) == kInk;
      std::memcpy(frame->data[1], palette.data(), sizeof palette);
    } else {
      SwsContext* scaler =
          sws_getContext(image.width, image.height, AV_PIX_FMT_RGB32, image.width, image.height,
                         format, SWS_POINT, nullptr, nullptr, nullptr);
      const uint8_t* planes[] = {reinterpret_cast<const uint8_t*>(image.pixels.data())};
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

// QuickTime's uncompressed rows, each padded to an even number of bytes: the value ink for
// ink pixels, paper for the others.
Bytes Raw(const Image& image, int bits, uint32_t ink, uint32_t paper) {
  PictWriter w;
  for (int y = 0; y < image.height; ++y) {
    Bytes row(size_t((image.width * bits + 15) / 16 * 2), 0);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t v = image.At(x, y) == kInk ? ink : paper;
      if (bits < 8) row[size_t(x * bits / 8)] |= uint8_t(v << (8 - bits - x * bits % 8));
      for (int b = 0; b < bits / 8; ++b)
        row[size_t(x * bits / 8 + b)] = uint8_t(v >> (bits - 8 - 8 * b));
    }
    w.Raw(row);
  }
  return w.Body();
}

// Largest difference of any channel, alpha included; -1 when the sizes differ.
int MaxDifference(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int most = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift = 0; shift < 32; shift += 8)
      most = std::max(
          most, std::abs(int(a.pixels[i] >> shift & 0xFF) - int(b.pixels[i] >> shift & 0xFF)));
  return most;
}

TEST(ReadQuickTime, DecodesEveryCodecFamily) {
  const Image letter = Letter(kInk, kPaper);
  const Image big = Letter(kInk, kPaper, 4);      // 24 x 20: whole blocks for block codecs
  const Image five = Letter(kInk, kPaper, 1, 5);  // rows of odd byte counts at 8 and 24 bits
  const Image halfPaper = Letter(kInk, 0x800000FF);
  const Image blackOnWhite = Letter(0xFF000000, kWhite);
  const std::vector<uint32_t> table = {0x0000FF, 0xFF0000};  // paper, ink
  const int jpegFlags = JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444;
  const struct {
    std::string name;
    Bytes payload;  // image description and data
    Image expected;
    int tolerance = 0;  // per channel; 0 for the lossless codecs
  } cases[] = {
      {"png", QuickTimeDescription("png ", 6, 5, 24, Saved(ToBitmap(letter), FIF_PNG)), letter},
      {"png alpha", QuickTimeDescription("png ", 6, 5, 32, Saved(ToBitmap(halfPaper), FIF_PNG)), halfPaper},
      {"tiff", QuickTimeDescription("tiff", 6, 5, 24, Saved(MakeLetterF(24), FIF_TIFF)), letter},
      {"gif", QuickTimeDescription("gif ", 6, 5, 8, Saved(MakeLetterF(8), FIF_GIF)), letter},
      {"jpeg", QuickTimeDescription("jpeg", 24, 20, 24, Saved(ToBitmap(big, 24), FIF_JPEG, jpegFlags)), big,
       12},
      {"WRLE 24", QuickTimeDescription("WRLE", 6, 5, 24, BmpBits(MakeLetterF(24))), letter},
      {"WRLE 8 RLE", QuickTimeDescription("WRLE", 6, 5, 8, BmpBits(MakeLetterF(8), BMP_SAVE_RLE), table),
       letter},
      {"raw 1", QuickTimeDescription("raw ", 6, 5, 1, Raw(letter, 1, 1, 0)), blackOnWhite},
      {"raw 2", QuickTimeDescription("raw ", 6, 5, 2, Raw(letter, 2, 1, 2)), Letter(0xFFACACAC, 0xFF555555)},
      {"raw 4", QuickTimeDescription("raw ", 6, 5, 4, Raw(letter, 4, 3, 6)), Letter(0xFFDD0806, 0xFF0000D4)},
      {"raw 8", QuickTimeDescription("raw ", 5, 5, 8, Raw(five, 8, 35, 210)), five},
      {"raw 8 own table", QuickTimeDescription("raw ", 5, 5, 8, Raw(five, 8, 1, 0), table), five},
      {"raw 8 grey", QuickTimeDescription("raw ", 6, 5, 40, Raw(letter, 8, 255, 0)), blackOnWhite},
      {"raw 16", QuickTimeDescription("raw ", 6, 5, 16, Raw(letter, 16, 0x7C00, 0x001F)), letter},
      {"raw 24", QuickTimeDescription("raw ", 5, 5, 24, Raw(five, 24, 0xFF0000, 0x0000FF)), five},
      {"raw 32 opaque", QuickTimeDescription("raw ", 6, 5, 32, Raw(letter, 32, 0xFF0000, 0xFF)), letter},
      {"rle 16", QuickTimeDescription("rle ", 6, 5, 16, Encode("qtrle", AV_PIX_FMT_RGB555BE, letter)), letter},
      {"rle 24", QuickTimeDescription("rle ", 6, 5, 24, Encode("qtrle", AV_PIX_FMT_RGB24, letter)), letter},
      {"rle 32 opaque", QuickTimeDescription("rle ", 6, 5, 32, Encode("qtrle", AV_PIX_FMT_ARGB, halfPaper)),
       letter},
      {"smc own table", QuickTimeDescription("smc ", 6, 5, 8, Encode("smc", AV_PIX_FMT_PAL8, letter), table),
       letter},
      {"smc default table", QuickTimeDescription("smc ", 6, 5, 8, Encode("smc", AV_PIX_FMT_PAL8, letter)),
       Letter(0xFFFFFFCC, kWhite)},  // entries 1 and 0 of the 8-bit table
      {"rpza", QuickTimeDescription("rpza", 24, 20, 16, Encode("rpza", AV_PIX_FMT_RGB555LE, big)), big},
      {"cvid", QuickTimeDescription("cvid", 24, 20, 24, Encode("cinepak", AV_PIX_FMT_RGB24, big)), big, 12},
  };
  for (const auto& c : cases) {
    std::string reason;
    const auto picture =
        Read(QuickTimeOpcodeData(c.payload, {0, 0, c.expected.width, c.expected.height}), reason);
    ASSERT_TRUE(picture) << c.name << ": " << reason;
    const int difference = MaxDifference(picture->image, c.expected);
    EXPECT_TRUE(difference >= 0 && difference <= c.tolerance) << c.name << ": " << difference;
  }
}

TEST(ReadQuickTime, PlacesTheSourceThroughTheMatrix) {
  const struct {
    QuickTimeMatrix matrix;
    Rect sourceRect, source, destination;
  } cases[] = {
      {kIdentity, {0, 0, 6, 5}, {0, 0, 6, 5}, {0, 0, 6, 5}},
      {QuickTimeScale(1, 1, 10, 192), {0, 0, 6, 5}, {0, 0, 6, 5}, {10, 192, 16, 197}},
      {QuickTimeScale(2, 3), {0, 0, 6, 5}, {0, 0, 6, 5}, {0, 0, 12, 15}},
      {QuickTimeScale(0.5, 0.5, 0.5), {0, 0, 6, 5}, {0, 0, 6, 5}, {1, 0, 4, 3}},  // halves round up
      {QuickTimeScale(1, 1, 10, 20), {1, 1, 4, 3}, {1, 1, 4, 3}, {11, 21, 14, 23}},
      {kIdentity, {-2, 0, 100, 100}, {0, 0, 6, 5}, {0, 0, 6, 5}},  // cut to the image
  };
  const Bytes png = QuickTimeDescription("png ", 6, 5, 24, Saved(MakeLetterF(24), FIF_PNG));
  for (const auto& c : cases) {
    std::string reason;
    const auto picture = Read(QuickTimeOpcodeData(png, c.sourceRect, c.matrix), reason);
    ASSERT_TRUE(picture) << reason;
    EXPECT_EQ(picture->source, c.source) << c.destination.left;
    EXPECT_EQ(picture->destination, c.destination) << c.destination.left;
  }
}

// A file whose own header claims side x side pixels, the two sizes at `at`.
Bytes Claiming(Bytes file, size_t at, int bytesPerSide, uint32_t side) {
  for (int i = 0; i < bytesPerSide; ++i)
    file[at + size_t(bytesPerSide - 1 - i)] = file[at + size_t(2 * bytesPerSide - 1 - i)] =
        uint8_t(side >> (8 * i));
  return file;
}

TEST(ReadQuickTime, RefusesWhatItCannotPlaceOrDecode) {
  const Bytes png = Saved(MakeLetterF(24), FIF_PNG), jpeg = Saved(MakeLetterF(24), FIF_JPEG);
  const uint8_t startOfFrame[] = {0xFF, 0xC0};
  const size_t sof = size_t(
      std::search(jpeg.begin(), jpeg.end(), std::begin(startOfFrame), std::end(startOfFrame)) -
      jpeg.begin());
  const Bytes image = QuickTimeDescription("png ", 6, 5, 24, png);
  const Rect all{0, 0, 6, 5};
  QuickTimeMatrix rotation = QuickTimeScale(0, 0), skew = kIdentity, perspective = kIdentity;
  rotation[1] = 0x10000, rotation[3] = -0x10000, skew[3] = 0x4000, perspective[2] = 1;
  Bytes cut = QuickTimeOpcodeData(image, all);
  cut.pop_back();
  // What nothing here draws (a codec, a matrix) is no damage: the picture goes to the next
  // decoder. The rest is damaged data: the walk keeps what was drawn before it.
  const struct {
    Bytes data;
    std::string reason;  // a part of the reason given
    bool damaged;
  } cases[] = {
      {QuickTimeOpcodeData(QuickTimeDescription("zzzz", 6, 5, 24, png), all), "codec 'zzzz'",
       false},
      {QuickTimeOpcodeData(QuickTimeDescription("PNTG", 6, 5, 1, png), all), "codec 'PNTG'", false},
      {QuickTimeOpcodeData(image, all, rotation), "rotated", false},
      {QuickTimeOpcodeData(image, all, skew), "skewed", false},
      {QuickTimeOpcodeData(image, all, QuickTimeScale(-1, 1, 6)), "mirrored", false},
      {QuickTimeOpcodeData(image, all, perspective), "perspective", false},
      {QuickTimeOpcodeData(QuickTimeDescription("raw ", 60000, 60000, 8, Bytes(2)), all),
       "size limit", true},
      {QuickTimeOpcodeData(QuickTimeDescription("raw ", 0, 5, 8, Bytes(2)), all), "empty", true},
      {QuickTimeOpcodeData(QuickTimeDescription("png ", 6, 5, 24, Claiming(png, 16, 4, 30000)),
                           all),
       "not be decoded", true},
      {QuickTimeOpcodeData(
           QuickTimeDescription("jpeg", 6, 5, 24, Claiming(jpeg, sof + 5, 2, 30000)), all),
       "size limit", true},
      {QuickTimeOpcodeData(
           QuickTimeDescription("png ", 6, 5, 24, Bytes(png.begin(), png.begin() + 40)), all),
       "not be decoded", true},
      {QuickTimeOpcodeData(Bytes(image.begin(), image.begin() + 60), all), "image description",
       true},
      {cut, "'png ' data ends early", true},
      {QuickTimeOpcodeData(image, {10, 10, 20, 20}), "outside the image", true},
      {QuickTimeOpcodeData(image, all, kIdentity, {0, 4, 0, 0}), "mask", true},
  };
  for (const auto& c : cases) {
    std::string reason;
    bool damaged = !c.damaged;
    EXPECT_FALSE(ReadQuickTime(ByteReader(c.data), reason, 1, &damaged)) << c.reason;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.reason << " / " << reason;
    EXPECT_EQ(damaged, c.damaged) << c.reason;
  }
}

TEST(ReadQuickTime, SurvivesDataCutAnywhere) {
  const Image big = Letter(kInk, kPaper, 4);
  const struct {
    const char* codec;
    int depth;
    Bytes whole;
  } cases[] = {
      {"png ", 24, Saved(ToBitmap(big), FIF_PNG)},
      {"jpeg", 24, Saved(ToBitmap(big, 24), FIF_JPEG)},
      {"rle ", 24, Encode("qtrle", AV_PIX_FMT_RGB24, big)},
      {"cvid", 24, Encode("cinepak", AV_PIX_FMT_RGB24, big)},
      {"rpza", 16, Encode("rpza", AV_PIX_FMT_RGB555LE, big)},
      {"smc ", 8, Encode("smc", AV_PIX_FMT_PAL8, big)},
  };
  for (const auto& c : cases) {
    ASSERT_FALSE(c.whole.empty()) << c.codec;
    const Bytes opcode = QuickTimeOpcodeData(QuickTimeDescription(c.codec, 24, 20, c.depth, c.whole), {0, 0, 24, 20});
    for (size_t keep = 0; keep <= c.whole.size(); ++keep) {
      // The codec's own data cut short, the description telling its true size: a picture or
      // a refusal, whatever the decoder makes of it...
      std::string reason;
      const Bytes part(c.whole.begin(), c.whole.begin() + ptrdiff_t(keep));
      const auto picture =
          Read(QuickTimeOpcodeData(QuickTimeDescription(c.codec, 24, 20, c.depth, part), {0, 0, 24, 20}), reason);
      EXPECT_TRUE(picture ? !picture->image.IsEmpty() : !reason.empty()) << c.codec << keep;
      EXPECT_TRUE(picture || keep < c.whole.size()) << c.codec << ": " << reason;
      // ...and the opcode's data cut short under a description that promises more: refused, or,
      // for JPEG, the rows libjpeg made whole and the damage said.
      const size_t size = (opcode.size() - 1) * keep / c.whole.size();
      const auto cut = Read(Bytes(opcode.begin(), opcode.begin() + ptrdiff_t(size)), reason);
      EXPECT_TRUE(!cut ||
                  (std::string(c.codec) == "jpeg" &&
                   (cut->rowsWhole == 20 ? cut->damage.empty()
                                         : cut->damage.find("ends in row") != std::string::npos)))
          << c.codec << keep;
    }
  }
}

TEST(ReadQuickTime, KeepsTheMaskAndWeighsByTheMatte) {
  const Image letter = Letter(kInk, kPaper);
  const Bytes image = QuickTimeDescription("raw ", 6, 5, 24, Raw(letter, 24, 0xFF0000, 0x0000FF));
  // An 8-bit grey matte, its table white to black: black (255) keeps the ink, grey (128) weighs
  // the paper half.
  const Bytes matte = QuickTimeDescription("raw ", 6, 5, 40, Raw(letter, 8, 255, 128));
  const Bytes mask = PictWriter().RegionData({{0, 0, 2, 2}, {3, 3, 6, 5}}).Body();
  std::string reason;
  const auto picture =
      Read(QuickTimeOpcodeData(image, {0, 0, 6, 5}, kIdentity, mask, matte, {0, 0, 6, 5}), reason);
  ASSERT_TRUE(picture) << reason;
  ASSERT_TRUE(picture->mask);
  EXPECT_TRUE(*picture->mask == Region(Rect{0, 0, 2, 2}).Union(Region(Rect{3, 3, 6, 5})));
  EXPECT_EQ(MaxDifference(picture->image, Letter(kInk, 0x800000FF)), 0);
  EXPECT_FALSE(Read(QuickTimeOpcodeData(image, {0, 0, 6, 5}, kIdentity, {}, matte, {0, 0, 3, 3}), reason));
  EXPECT_NE(reason.find("matte"), std::string::npos) << reason;
}

TEST(ReadUncompressedQuickTime, HandsOverTheBitmapOpcodeAndRefusesAMatteUndecoded) {
  const Bytes bits = {0x00, 0x02, 0, 0, 0, 0, 0, 1, 0, 8};
  Image grey = Letter(kInk, kPaper, 1, 3);
  Bytes matte = QuickTimeDescription("raw ", 3, 5, 40, Raw(grey, 8, 128, 128));
  matte.push_back(0);  // an odd-sized matte: a pad byte follows it
  const auto data = [&](const QuickTimeMatrix& matrix, const Bytes& matteBytes, uint16_t opcode) {
    PictWriter w;
    w.U16(0);
    for (int32_t value : matrix) w.U32(uint32_t(value));
    w.U32(uint32_t(matteBytes.size())).RectData({}).Raw(matteBytes);
    return w.Op(opcode).Raw(bits).Body();
  };
  const std::string kWithMatte = "UncompressedQuickTime picture with a matte";
  const struct {
    Bytes data;
    bool read;
    std::string reason;
  } cases[] = {
      {data(kIdentity, {}, 0x0098), true, ""},
      // A matte, decodable or not, is stepped over unread and refuses the picture.
      {data(kIdentity, matte, 0x009A), false, kWithMatte},
      {data(kIdentity, {1, 2, 3, 4}, 0x009A), false, kWithMatte},
      {data(QuickTimeScale(2, 1), {}, 0x0098), false, ""},
      {data(kIdentity, {}, 0x00A1), false, ""},
  };
  for (const auto& c : cases) {
    std::string reason;
    const auto result = ReadUncompressedQuickTime(ByteReader(c.data), reason);
    ASSERT_EQ(result.has_value(), c.read) << reason;
    if (!c.reason.empty()) {
      EXPECT_EQ(reason, c.reason);
    }
    if (!result) continue;
    EXPECT_EQ(Bytes(result->operands.data().begin(), result->operands.data().end()), bits);
  }
}

TEST(QuickTimeFallbackLength, SkipsOnlyMarkedFallbacks) {
  const Rect destination{0, 0, 16, 2};
  // A BitMap opcode of two rows: unpacked in BitsRect or below 8 bytes a row, else a count byte
  // and PackBits.
  const auto bitmap = [](uint16_t opcode, uint16_t rowBytes, Rect target) {
    PictWriter w;
    const size_t size = rowBytes & 0x3FFF;
    w.U16(opcode).U16(rowBytes).RectData({0, 0, int(size) * 8, 2}).RectData({0, 0, 16, 2});
    w.RectData(target).U16(0);
    for (int row = 0; row < 2; ++row)
      w.Raw(opcode == 0x0090 || size < 8 ? Bytes(size, 0xAA) : Bytes{2, 0xF7, 0xAA});
    return w.U16(0x00FF).Body();
  };
  const auto words = [](std::initializer_list<uint16_t> values) {
    PictWriter w;
    for (uint16_t value : values) w.U16(value);
    return w.Body();
  };
  const Bytes icon = bitmap(0x0098, 10, destination);
  const struct {
    std::string name;
    Bytes rest;
    std::optional<size_t> length;  // empty: marked, but cut short
  } cases[] = {
      {"QuickTime's texts", words({7, 174, 4, 3, 3, 0xFF}), 10},
      {"marker longer than the data", words({7, 174, 40, 0xFF}), std::nullopt},
      {"icon cut in its rows", Bytes(icon.begin(), icon.begin() + 30), std::nullopt},
      {"a real pen size", words({7, 1, 1, 0xFF}), 0},
      {"icon, unpacked", bitmap(0x0098, 2, destination), 34},
      {"icon, packed", bitmap(0x0098, 10, destination), 36},
      {"icon, BitsRect", bitmap(0x0090, 10, destination), 50},
      {"bitmap elsewhere", bitmap(0x0098, 2, {0, 0, 16, 3}), 0},
      {"pixmap", bitmap(0x0098, 0x8002, destination), 0},
      {"text", words({0x28, 10, 10, 0x0141}), 0},
      {"nothing", {}, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QuickTimeFallbackLength(c.rest, destination), c.length) << c.name;
}

// An ICC profile as a file embeds it; the profile is closed.
Bytes ProfileBytes(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

// Gammas of red, green and blue; all 0: none.
using Gammas = std::array<double, 3>;

// sRGB's white point and primaries with a plain power curve for each channel: a profile that
// differs from sRGB by its transfer alone. RGB, grey (red's gamma), or a device link of the curves.
enum class Kind { Rgb, Grey, Link };
Bytes GammaProfile(const Gammas& gammas, Kind kind = Kind::Rgb) {
  const cmsCIExyY white{0.3127, 0.3290, 1};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
  cmsToneCurve* curves[3];
  for (size_t i = 0; i < 3; ++i) curves[i] = cmsBuildGamma(nullptr, gammas[i]);
  cmsHPROFILE profile = kind == Kind::Grey ? cmsCreateGrayProfile(&white, curves[0])
                        : kind == Kind::Rgb
                            ? cmsCreateRGBProfile(&white, &primaries, curves)
                            : cmsCreateLinearizationDeviceLink(cmsSigRgbData, curves);
  cmsFreeToneCurveTriple(curves);
  return ProfileBytes(profile);
}

// What a colour-managed viewer shows for the pixels of such a profile: the light of each level,
// (level / 255) ^ gamma, written with sRGB's curve. Alpha stays.
Image InSrgb(Image image, const Gammas& gammas) {
  const auto level = [](uint32_t value, double gamma) {
    const double light = std::pow(value / 255.0, gamma);
    const double encoded =
        light <= 0.0031308 ? 12.92 * light : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
    return uint32_t(std::lround(255 * encoded));
  };
  for (uint32_t& pixel : image.pixels)
    pixel = (pixel & 0xFF000000) | level(pixel >> 16 & 0xFF, gammas[0]) << 16 |
            level(pixel >> 8 & 0xFF, gammas[1]) << 8 | level(pixel & 0xFF, gammas[2]);
  return image;
}

// 16 x 16 pixels, red running through all 256 levels, green and blue through others.
Image Levels(uint32_t alpha) {
  Image image(16, 16, 0);
  for (uint32_t i = 0; i < 256; ++i)
    image.pixels[i] = alpha << 24 | i << 16 | (255 - i) << 8 | (i * 7 & 0xFF);
  return image;
}

TEST(ReadQuickTime, ConvertsColoursFromTheEmbeddedProfileToSrgb) {
  const Image opaque = Levels(0xFF), translucent = Levels(0x80);
  const Gammas mixed{1.0, 1.8, 2.8}, reversed{2.8, 1.8, 1.0}, linear{1, 1, 1}, none{};
  const Bytes profile = GammaProfile(mixed), grey = GammaProfile(linear, Kind::Grey);
  Bytes cmyk = profile, atCap = profile, beyondCap = profile, garbage(600);
  std::memcpy(cmyk.data() + 16, "CMYK", 4);  // the header's colour space
  atCap.resize(kMaxIccProfileBytes);
  beyondCap.resize(kMaxIccProfileBytes + 1);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
  const struct {
    std::string name;
    const char* codec;
    FREE_IMAGE_FORMAT format;
    Bytes profile;
    Gammas gammas;   // of the profile that must apply; none when the pixels must stay as stored
    int depth = 24;  // 32: with alpha; 40: grey
  } cases[] = {
      {"png", "png ", FIF_PNG, profile, mixed},
      {"tiff", "tiff", FIF_TIFF, GammaProfile(reversed), reversed},
      {"jpeg", "jpeg", FIF_JPEG, profile, mixed},
      {"png with alpha", "png ", FIF_PNG, GammaProfile(reversed), reversed, 32},
      {"grey png, grey profile", "png ", FIF_PNG, grey, linear, 40},
      {"profile padded to the cap", "tiff", FIF_TIFF, atCap, mixed},
      {"no profile", "tiff", FIF_TIFF, {}, none},
      {"sRGB", "tiff", FIF_TIFF, ProfileBytes(cmsCreate_sRGBProfile()), none},
      {"garbage", "tiff", FIF_TIFF, garbage, none},
      {"cut short", "tiff", FIF_TIFF, Bytes(profile.begin(), profile.begin() + 200), none},
      {"CMYK", "tiff", FIF_TIFF, cmyk, none},
      {"grey profile, colour pixels", "tiff", FIF_TIFF, grey, none},
      {"device link", "tiff", FIF_TIFF, GammaProfile(mixed, Kind::Link), none},
      {"beyond the cap", "tiff", FIF_TIFF, beyondCap, none},
  };
  for (const auto& c : cases) {
    Bitmap picture = c.depth == 32 ? ToBitmap(translucent) : ToBitmap(opaque, 24);
    if (c.depth == 40) picture = Bitmap(FreeImage_ConvertToGreyscale(picture.get()));
    const int flags = c.format == FIF_JPEG ? JPEG_QUALITYSUPERB : 0;
    const Bytes plainFile = Saved(picture, c.format, flags);
    if (!c.profile.empty())
      FreeImage_CreateICCProfile(picture.get(), const_cast<uint8_t*>(c.profile.data()),
                                 long(c.profile.size()));
    const Bytes file = Saved(picture, c.format, flags);
    EXPECT_GE(file.size(), plainFile.size() + c.profile.size() / 2) << c.name << ": not embedded";
    const auto read = [&](const Bytes& data, std::string& reason) {
      return Read(QuickTimeOpcodeData(QuickTimeDescription(c.codec, 16, 16, c.depth, data), {0, 0, 16, 16}), reason);
    };
    std::string reason;
    const auto plain = read(plainFile, reason);
    ASSERT_TRUE(plain) << c.name << ": " << reason;
    // A profile that cannot be used is no refusal, and nobody reports it.
    testing::internal::CaptureStderr();
    const auto managed = read(file, reason);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.name;
    ASSERT_TRUE(managed) << c.name << ": " << reason;
    const bool converts = c.gammas != none;
    const Image expected = converts ? InSrgb(plain->image, c.gammas) : plain->image;
    const int difference = MaxDifference(managed->image, expected);
    EXPECT_TRUE(difference >= 0 && difference <= (converts ? 1 : 0))
        << c.name << ": " << difference;
  }
}

// A picture of a 16 x 16 32-bit pixmap of Levels(0xFF), with comments before it; a 1-bit
// bitmap of black and white beside it when withBitmap.
PictResult DrawWithComments(const std::function<void(PictWriter&)>& comments,
                            bool withBitmap = false) {
  PixmapPlan plan;
  plan.depth = 32;
  plan.width = plan.height = 16;
  plan.pixels = Levels(0xFF).pixels;
  PictWriter writer;
  writer.Frame(0, 0, 32, 16);
  comments(writer);
  writer.Pixmap(plan);
  if (withBitmap) {
    PixmapPlan bits;
    bits.depth = 1;
    bits.bitmap = true;
    bits.width = bits.height = 16;
    for (int i = 0; i < 256; ++i) bits.pixels.push_back(uint32_t(i % 3 == 0));
    bits.destination = {16, 0, 32, 16};
    writer.Pixmap(bits);
  }
  const std::vector<uint8_t> bytes = writer.End().Bytes();
  return DecodePict(bytes);
}

// ColorSync's comments: kind 224 with a 4-byte selector, then the part of the profile.
void ProfileComment(PictWriter& w, uint32_t selector, const Bytes& part = {}) {
  PictWriter data;
  data.U32(selector).Raw(part);
  w.LongComment(224, data.Body());
}
// A whole profile in comments of at most `piece` bytes: begin, continue..., end.
void Profile(PictWriter& w, const Bytes& profile, size_t piece = 32763) {
  for (size_t at = 0; at < profile.size(); at += piece) {
    const size_t end = std::min(profile.size(), at + piece);
    ProfileComment(w, at == 0 ? 0 : 1,
                   Bytes(profile.begin() + ptrdiff_t(at), profile.begin() + ptrdiff_t(end)));
  }
  ProfileComment(w, 2);
}
void Short(PictWriter& w, uint16_t kind) { w.Op(0x00A0).U16(kind); }

TEST(ColourSyncComments, ConvertThePixmapsDrawnWhileTheProfileIsInForce) {
  const Gammas mixed{1.0, 1.8, 2.8}, reversed{2.8, 1.8, 1.0}, none{};
  const Bytes profile = GammaProfile(mixed), other = GammaProfile(reversed);
  Bytes beyondCap = profile, garbage(600);
  beyondCap.resize(kMaxIccProfileBytes + 1);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
  const struct {
    std::string name;
    std::function<void(PictWriter&)> comments;
    Gammas gammas;  // of the profile that must apply; none when the pixels must stay as stored
  } cases[] = {
      {"none", [](PictWriter&) {}, none},
      {"one comment", [&](PictWriter& w) { Profile(w, profile); }, mixed},
      {"in pieces of 100 bytes", [&](PictWriter& w) { Profile(w, profile, 100); }, mixed},
      {"the later profile counts", [&](PictWriter& w) { Profile(w, profile), Profile(w, other); },
       reversed},
      {"never ended", [&](PictWriter& w) { ProfileComment(w, 0, profile); }, none},
      {"ended by CMEndProfile", [&](PictWriter& w) { Profile(w, profile), Short(w, 221); }, none},
      {"matching switched off", [&](PictWriter& w) { Profile(w, profile), Short(w, 223); }, none},
      {"off and on again: the profile is back",
       [&](PictWriter& w) { Profile(w, profile), Short(w, 223), Short(w, 222); }, mixed},
      {"a profile while matching is off is ignored",
       [&](PictWriter& w) { Short(w, 223), Profile(w, profile), Short(w, 222); }, none},
      {"a ColorSync 1.0 profile is no ICC profile",
       [&](PictWriter& w) { w.LongComment(220, profile); }, none},
      {"garbage", [&](PictWriter& w) { Profile(w, garbage); }, none},
      {"beyond the cap", [&](PictWriter& w) { Profile(w, beyondCap); }, none},
      {"a damaged comment",
       [](PictWriter& w) {
         w.LongComment(224, {0, 0});
       },
       none},
  };
  const PictResult plain = DrawWithComments([](PictWriter&) {}, true);
  ASSERT_EQ(plain.refusal, "");
  for (const auto& c : cases) {
    const PictResult result = DrawWithComments(c.comments, true);
    ASSERT_EQ(result.refusal, "") << c.name;
    Image pixmap(16, 16, 0), bitmap(16, 16, 0), plainPixmap(16, 16, 0);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        pixmap.At(x, y) = result.image.At(x, y);
        plainPixmap.At(x, y) = plain.image.At(x, y);
        bitmap.At(x, y) = result.image.At(x + 16, y);
      }
    const bool converts = c.gammas != none;
    const int difference =
        MaxDifference(pixmap, converts ? InSrgb(plainPixmap, c.gammas) : plainPixmap);
    EXPECT_TRUE(difference >= 0 && difference <= (converts ? 1 : 0))
        << c.name << ": " << difference;
    // A bitmap's black and white are the port's colours, never matched.
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(bitmap.At(x, y), plain.image.At(x + 16, y)) << c.name;
  }
}

TEST(ReadQuickTime, FindsACodecByLibavcodecsNameWhenQuickTimeHasNoTagForIt) {
  // H.261 knows only two sizes; the smaller is 176 x 144. Red above, blue below, flat enough
  // for the lossy codec to keep each half's colour near.
  Image halves(176, 144, 0);
  for (int y = 0; y < halves.height; ++y)
    for (int x = 0; x < halves.width; ++x) halves.At(x, y) = y < 72 ? 0xFFC02020 : 0xFF2020C0;
  const Bytes data = Encode("h261", AV_PIX_FMT_YUV420P, halves);
  ASSERT_FALSE(data.empty()) << "libavcodec's h261 encoder";
  std::string reason;
  const auto picture =
      Read(QuickTimeOpcodeData(QuickTimeDescription("h261", 176, 144, 24, data), {0, 0, 176, 144}),
           reason);
  ASSERT_TRUE(picture) << reason;
  ASSERT_EQ(picture->image.width, 176);
  for (const auto& [x, y] : {std::pair{88, 30}, std::pair{88, 110}}) {
    const uint32_t got = picture->image.At(x, y), wanted = halves.At(x, y);
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(int(got >> shift & 0xFF), int(wanted >> shift & 0xFF), 24) << x << "," << y;
  }
  // A name libavcodec gives an audio decoder is no image codec.
  EXPECT_FALSE(Read(QuickTimeOpcodeData(QuickTimeDescription("aac ", 6, 5, 24, data), {0, 0, 6, 5}),
                    reason));
  EXPECT_NE(reason.find("codec 'aac '"), std::string::npos) << reason;
}

uint16_t Word(const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }
uint32_t Long(const Bytes& b, size_t at) { return uint32_t(Word(b, at)) << 16 | Word(b, at + 2); }

// Walks a corpus file from its header on through the few opcodes its QuickTime pictures come
// with, draws each QuickTime picture over the white canvas and skips its fallback. False, with
// a message, at any other opcode: the fallback, had it not been skipped, would be one.
bool DrawQuickTimeOpcodes(const Bytes& file, Image& canvas, std::string& codecs,
                          std::string& message) {
  size_t at = 512 + 10 + 6 + 24;  // picSize, picFrame, version, header
  while (at + 2 <= file.size()) {
    const uint16_t opcode = Word(file, at);
    at += 2;
    if (opcode == 0x8200) {
      const uint32_t length = Long(file, at);
      std::string reason;
      const auto picture = ReadQuickTime(ByteReader({file.data() + at + 4, length}), reason);
      if (!picture) return message = reason, false;
      const size_t description = at + 4 + 68 + Long(file, at + 42) + Long(file, at + 68);
      codecs.append(file.begin() + ptrdiff_t(description + 4),
                    file.begin() + ptrdiff_t(description + 8));
      const Rect to = picture->destination.Intersect({0, 0, canvas.width, canvas.height});
      for (int y = to.top; y < to.bottom; ++y)
        for (int x = to.left; x < to.right; ++x)
          canvas.At(x, y) = picture->image.At(x - picture->destination.left + picture->source.left,
                                              y - picture->destination.top + picture->source.top);
      at += 4 + length + length % 2;
      at += QuickTimeFallbackLength(std::span(file).subspan(at), picture->destination).value_or(0);
      continue;
    }
    switch (opcode) {
      case 0x00FF:
        return true;
      case 0x0000:  // NOP
      case 0x001E:  // DefHilite
        break;
      case 0x0001:  // clip
        at += Word(file, at);
        break;
      case 0x001A:  // colours
      case 0x001B:
      case 0x001F:
        at += 6;
        break;
      case 0x0030:  // rectangles
      case 0x0031:
      case 0x0032:
        at += 8;
        break;
      case 0x00A1:  // comment
        at += 4 + Word(file, at + 2);
        break;
      default:
        return message = "unexpected opcode " + std::to_string(opcode), false;
    }
    at += at % 2;
  }
  return message = "no end opcode", false;
}

Image LoadPng(const std::filesystem::path& path) {
  const Bitmap file(FreeImage_Load(FIF_PNG, path.c_str(), 0));
  const Bitmap picture(file ? FreeImage_ConvertTo32Bits(file.get()) : nullptr);
  if (!picture) return {};
  Image image(int(FreeImage_GetWidth(picture.get())), int(FreeImage_GetHeight(picture.get())), 0);
  for (int y = 0; y < image.height; ++y)
    std::memcpy(image.pixels.data() + size_t(y) * size_t(image.width),
                FreeImage_GetScanLine(picture.get(), image.height - 1 - y),
                size_t(4 * image.width));
  return image;
}

TEST(QuickTimeCorpus, DecodesTheCorpusLikeTheReferences) {
  REQUIRE_CORPUS();
  const std::filesystem::path corpus = Corpus("");
  const struct {
    std::string file;
    std::string codecs;     // of its QuickTime opcodes, in order
    std::string reference;  // its own, another file's of the same picture, or none
    int tolerance = 0;      // per channel
  } cases[] = {
      {"twelvemonkeys/qt_jpeg.pict", "jpeg", "twelvemonkeys/qt_jpeg.pict"},
      {"twelvemonkeys/qt_mire.pict", "jpeg", "twelvemonkeys/qt_mire.pict"},
      {"twelvemonkeys/J19.pict", "jpegjpegjpeg", "twelvemonkeys/J19.pict"},
      {"quickdrawviewer/PhotoShop3Gradient.pict", "jpeg", ""},
      {"twelvemonkeys/qt_png.pict", "png ", "twelvemonkeys/qt_png.pict"},
      {"twelvemonkeys/qt_tiff.pict", "tiff", "twelvemonkeys/qt_png.pict"},
      // Its TIFF carries an iMac display's ICC profile; the reference converted the pixels with it
      // too (as stored they are 7 to 10 levels darker, at most 48). The two conversions round 690
      // of its 301131 pixels one level apart.
      {"twelvemonkeys/P30946BDC.pict", "tiff", "twelvemonkeys/P30946BDC.pict", 1},
      {"twelvemonkeys/qt_bmp.pict", "WRLE", "twelvemonkeys/qt_bmp.pict"},
      {"twelvemonkeys/u2.pict", "raw ", ""},
      {"quickdrawviewer/ZurichCinepakBest.pict", "cvid", ""},
      {"quickdrawviewer/MireRpza.pict", "rpza", ""},
  };
  for (const auto& c : cases) {
    std::ifstream in(corpus / "pict-real" / c.file, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(file.size(), 600u) << c.file;
    // picFrame: top, left, bottom, right.
    Image canvas(Word(file, 520) - Word(file, 516), Word(file, 518) - Word(file, 514), kWhite);
    std::string codecs, message;
    ASSERT_TRUE(DrawQuickTimeOpcodes(file, canvas, codecs, message)) << c.file << ": " << message;
    EXPECT_EQ(codecs, c.codecs) << c.file;
    if (c.reference.empty()) {
      // No reference decoded these: a real picture has many colours and no large blank part.
      std::vector<uint32_t> colours(canvas.pixels);
      std::sort(colours.begin(), colours.end());
      EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 50) << c.file;
      EXPECT_LT(std::count(canvas.pixels.begin(), canvas.pixels.end(), kWhite),
                int64_t(canvas.pixels.size()) / 4)
          << c.file;
      continue;
    }
    const int most =
        MaxDifference(canvas, LoadPng(corpus / "refs/pict-real" / (c.reference + ".png")));
    EXPECT_TRUE(most >= 0 && most <= c.tolerance) << c.file << ": " << most;
  }
}

}  // namespace
