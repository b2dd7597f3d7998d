#include "pict/quicktime.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "pict/colour_profile.h"
#include "pict/jpeg.h"
#include "pict/libav.h"
#include "pict/limits.h"
#include "platform/drawing.h"

namespace pict {

// Four characters as QuickTime stores them, first character in the high byte.
static constexpr uint32_t FourCc(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 |
         uint32_t(uint8_t(text[2])) << 8 | uint32_t(uint8_t(text[3]));
}

// A codec type for a message: 'rpza', or hexadecimal when it is not printable.
static std::string CodecName(uint32_t type) {
  std::string name = "'";
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((type >> shift) & 0xFF);
    if (c < 0x20 || c > 0x7E) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", type);
      return hex;
    }
    name += c;
  }
  return name + "'";
}

// The name libavcodec may know a codec type by: its four characters lower-cased, trailing spaces
// dropped ('h261' is "h261"); empty when they are not letters, digits and spaces.
static std::string LibavName(uint32_t type) {
  std::string name;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((type >> shift) & 0xFF);
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ') return {};
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  name.erase(name.find_last_not_of(' ') + 1);
  return name;
}

using Palette = std::array<uint32_t, 256>;  // 0xAARRGGBB

// The parts of an image description (a QuickTime video sample description) the decoders need.
struct ImageDescription {
  uint32_t codecType = 0;
  int width = 0, height = 0;
  int depth = 0;                       // 1-32; 33-40 are 1-8 bits of grey
  std::optional<Palette> colourTable;  // the table the description itself carries
  int clutId = -1;
};

// The Macintosh standard colour tables, by clut id: the default tables for 1, 2, 4 and 8 bits.
static Palette StandardTable(int id) {
  Palette table{};
  table.fill(0xFF000000);
  if (id == 1) {
    table[0] = 0xFFFFFFFF;
  } else if (id == 2) {
    table[0] = 0xFFFFFFFF;
    table[1] = 0xFFACACAC;
    table[2] = 0xFF555555;
  } else if (id == 4) {
    constexpr uint32_t kSixteen[16] = {0xFFFFFF, 0xFCF305, 0xFF6402, 0xDD0806, 0xF20884, 0x4600A5,
                                       0x0000D4, 0x02ABEA, 0x1FB714, 0x006411, 0x562C05, 0x90713A,
                                       0xC0C0C0, 0x808080, 0x404040, 0x000000};
    for (int i = 0; i < 16; ++i) table[size_t(i)] = 0xFF000000 | kSixteen[i];
  } else if (id == 8) {
    // A 6x6x6 cube from white, red changing slowest, without its black; then ten-step ramps of red,
    // green, blue and grey; then black.
    constexpr uint32_t kRamp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
    size_t i = 0;
    for (int r = 5; r >= 0; --r)
      for (int g = 5; g >= 0; --g)
        for (int b = 5; b >= 0; --b)
          if (r + g + b > 0)
            table[i++] = 0xFF000000 | uint32_t(r * 0x33) << 16 | uint32_t(g * 0x33) << 8 |
                         uint32_t(b * 0x33);
    for (const int shift : {16, 8, 0})
      for (const uint32_t level : kRamp) table[i++] = 0xFF000000 | level << shift;
    for (const uint32_t level : kRamp) table[i++] = 0xFF000000 | level * 0x010101;
  }
  return table;
}

// QuickTime's grey tables for 1 to 8 bits: white first, black last.
static Palette GreyTable(int bits) {
  Palette table{};
  table.fill(0xFF000000);
  const int levels = 1 << bits;
  for (int i = 0; i < levels; ++i)
    table[size_t(i)] = 0xFF000000 | uint32_t(255 - i * 255 / (levels - 1)) * 0x010101;
  return table;
}

// Bits per index of an indexed depth (1-8 colour, 33-40 grey); 0 for direct depths.
static int IndexBits(int depth) {
  const int bits = depth > 32 ? depth - 32 : depth;
  return bits == 1 || bits == 2 || bits == 4 || bits == 8 ? bits : 0;
}

// The colour table an indexed description means: its own, else the standard table its clut id
// names, else the default for its depth. Empty for direct depths.
static std::optional<Palette> PaletteFor(const ImageDescription& description) {
  const bool grey = description.depth > 32;
  const int bits = IndexBits(description.depth);
  if (bits == 0) return std::nullopt;
  if (description.colourTable) return description.colourTable;
  const int id = description.clutId;
  if (id == 1 || id == 2 || id == 4 || id == 8) return StandardTable(id);
  if (id >= 33 && id <= 40) return GreyTable(id - 32);
  return grey ? GreyTable(bits) : StandardTable(bits);
}

// A QuickDraw colour table: seed, flags, entry count - 1, entries of value and 16-bit RGB.
static std::optional<Palette> ReadColourTable(ByteReader& reader) {
  reader.Skip(4);
  const bool device = (reader.U16() & 0x8000) != 0;
  const int count = reader.U16() + 1;
  if (reader.failed() || count > 256) return std::nullopt;
  Palette table{};
  table.fill(0xFF000000);
  for (int i = 0; i < count; ++i) {
    const int value = reader.U16();
    const uint32_t rgb = reader.ReadColour().Rgb();
    const int index = device ? i : value;
    if (index < 256) table[size_t(index)] = 0xFF000000 | rgb;
  }
  if (reader.failed()) return std::nullopt;
  return table;
}

// How the decoding of an image went, beyond its pixels: for the picture's notes, and to tell
// damaged data from data nothing here decodes.
struct Decoding {
  bool undecodable = false;  // the reason is no damage: no decoder here takes the data
  bool cut = false;          // the compressed data ends before the size its description gives
  const uint8_t* dataEnd = nullptr;  // where the compressed data that is there ends
  std::string codec;                 // the description's four characters
  std::string decoder;               // "libjpeg", or libavcodec's name for its decoder
};

// Reads an image description and returns the compressed data that follows it, which is dataSize
// bytes, or all the rest when dataSize is 0 ("unknown"). Data that ends before dataSize is
// returned as far as it goes, with decoding.cut set.
static std::optional<std::span<const uint8_t>> ReadDescribedData(ByteReader& reader,
                                                                 ImageDescription& description,
                                                                 std::string& reason,
                                                                 Decoding& decoding) {
  ByteReader peek = reader;
  const uint32_t size = peek.U32();
  if (peek.failed() || size < 86) {
    reason = "QuickTime image description missing or too short";
    return std::nullopt;
  }
  ByteReader fields = reader.Slice(size);
  if (reader.failed()) {
    reason = "QuickTime image description runs past the opcode's data";
    return std::nullopt;
  }
  fields.Skip(4);
  description.codecType = fields.U32();
  fields.Skip(24);  // reserved, data reference, version, revision, vendor, qualities
  description.width = fields.U16();
  description.height = fields.U16();
  fields.Skip(8);  // resolution
  const uint32_t dataSize = fields.U32();
  fields.Skip(2 + 32);  // frame count, compressor name
  description.depth = fields.S16();
  description.clutId = fields.S16();
  // Only indexed depths carry a table; after a direct depth's clut id come extension atoms.
  if (description.clutId == 0 && IndexBits(description.depth) > 0) {
    description.colourTable = ReadColourTable(fields);
    if (!description.colourTable) {
      reason = "damaged colour table in the QuickTime image description";
      return std::nullopt;
    }
  }
  decoding.cut = dataSize > reader.remaining();
  const std::span<const uint8_t> data =
      reader.Bytes(dataSize == 0 || decoding.cut ? reader.remaining() : dataSize);
  decoding.dataEnd = data.data() + data.size();
  return data;
}

static bool IsWithinCaps(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width * height <= kMaxSourcePixels;
}

// A decoded image and the ICC profile its data carried, which its colours are in.
struct DecodedImage {
  Image image;
  std::vector<uint8_t> iccProfile;     // empty when none came, or one beyond the cap
  int rowsWhole = 0;                   // rows from the top its data made whole
  std::span<const uint8_t> jpeg = {};  // the JPEG file it came from, when it was one
};

static std::vector<uint8_t> CopyProfile(const void* data, size_t size) {
  if (!data || size > kMaxIccProfileBytes) return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

struct CodecContextFree {
  const Libav* av;
  void operator()(AVCodecContext* context) const { av->avcodec_free_context(&context); }
};
struct PacketFree {
  const Libav* av;
  void operator()(AVPacket* packet) const { av->av_packet_free(&packet); }
};
struct FrameFree {
  const Libav* av;
  void operator()(AVFrame* frame) const { av->av_frame_free(&frame); }
};
struct ScalerFree {
  const Libav* av;
  void operator()(SwsContext* scaler) const { av->sws_freeContext(scaler); }
};

// Codecs that embed a whole image file: their alpha is the file's own. QuickTime's own codecs at 32
// bits carry QuickDraw's alpha byte, which QuickDraw does not draw with.
static bool HasOwnAlpha(AVCodecID id) {
  return id == AV_CODEC_ID_PNG || id == AV_CODEC_ID_TIFF || id == AV_CODEC_ID_GIF ||
         id == AV_CODEC_ID_TARGA || id == AV_CODEC_ID_SGI;
}

// 1-bit frames: bit 1 is palette entry 1 (black by default) for QuickTime's white-is-zero pixels,
// white for libavcodec's black-is-zero ones.
static Image MonochromeToImage(const AVFrame& frame, const Palette& palette) {
  const bool whiteIsZero = frame.format == AV_PIX_FMT_MONOWHITE;
  Image image(frame.width, frame.height, 0);
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* row = frame.data[0] + ptrdiff_t(y) * frame.linesize[0];
    for (int x = 0; x < frame.width; ++x) {
      const int bit = (row[x / 8] >> (7 - x % 8)) & 1;
      image.At(x, y) = whiteIsZero ? palette[size_t(bit)] : (bit ? 0xFFFFFFFF : 0xFF000000);
    }
  }
  return image;
}

static std::optional<Image> FrameToImage(const Libav& av, const AVFrame& frame,
                                         const Palette& palette, bool keepAlpha,
                                         std::string& reason) {
  const auto format = static_cast<AVPixelFormat>(frame.format);
  if (format == AV_PIX_FMT_MONOWHITE || format == AV_PIX_FMT_MONOBLACK)
    return MonochromeToImage(frame, palette);
  const AVPixFmtDescriptor* descriptor = av.av_pix_fmt_desc_get(format);
  if (!descriptor) {
    reason = "QuickTime image decoded to an unknown pixel format";
    return std::nullopt;
  }
  // RGB, palette and grey frames convert exactly pixel by pixel; YUV needs its chroma interpolated.
  const bool yuv = (descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) == 0 &&
                   descriptor->nb_components >= 3;
  const int flags =
      yuv ? SWS_BICUBIC | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP | SWS_ACCURATE_RND : SWS_POINT;
  const std::unique_ptr<SwsContext, ScalerFree> scaler(
      av.sws_getContext(frame.width, frame.height, format, frame.width, frame.height,
                        AV_PIX_FMT_RGB32, flags, nullptr, nullptr, nullptr),
      {&av});
  if (!scaler) {
    reason = std::string("cannot convert QuickTime pixels of format ") + descriptor->name;
    return std::nullopt;
  }
  if (yuv) {
    // The frame says which matrix and range its YUV uses; the output is full-range RGB.
    const int* matrix = av.sws_getCoefficients(
        frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
    av.sws_setColorspaceDetails(scaler.get(), matrix, frame.color_range == AVCOL_RANGE_JPEG, matrix,
                                1, 0, 1 << 16, 1 << 16);
  }
  Image image(frame.width, frame.height, 0);
  uint8_t* const planes[4] = {reinterpret_cast<uint8_t*>(image.pixels.data()), nullptr, nullptr,
                              nullptr};
  const int strides[4] = {4 * frame.width, 0, 0, 0};
  av.sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
  const bool alpha = (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0 ||
                     (descriptor->flags & AV_PIX_FMT_FLAG_PAL) != 0;
  if (!keepAlpha || !alpha)
    for (uint32_t& pixel : image.pixels) pixel |= 0xFF000000;
  return image;
}

static std::optional<DecodedImage> DecodeWithLibav(const ImageDescription& description,
                                                   std::span<const uint8_t> data,
                                                   std::string& reason, Decoding& decoding) {
  decoding.undecodable = true;  // until a decoder is found
  const Libav* const av = LoadLibav(reason);
  if (!av) return std::nullopt;
  const std::string codec = CodecName(description.codecType);
  // The description's codec type is a QuickTime sample entry tag; libavformat knows which decoder
  // each of them takes (tags are kept little-endian there).
  const uint32_t tag = (description.codecType >> 24) | (description.codecType >> 8 & 0xFF00) |
                       (description.codecType << 8 & 0xFF0000) | description.codecType << 24;
  const AVCodecTag* const tables[] = {av->avformat_get_mov_video_tags(), nullptr};
  const AVCodecID tagged = av->av_codec_get_id(tables, tag);
  // A codec QuickTime's table does not list may still be libavcodec's by its name ("h261").
  const AVCodec* decoder =
      tagged != AV_CODEC_ID_NONE
          ? av->avcodec_find_decoder(tagged)
          : av->avcodec_find_decoder_by_name(LibavName(description.codecType).c_str());
  const AVCodecID id = decoder ? decoder->id : AV_CODEC_ID_NONE;
  if (!decoder || decoder->type != AVMEDIA_TYPE_VIDEO) {
    reason = "no decoder here for QuickTime codec " + codec;
    return std::nullopt;
  }
  decoding.undecodable = false;
  decoding.decoder = decoder->name;
  // Which rows of a frame made from data that ends early are whole, libavcodec does not say:
  // none is drawn rather than a guess.
  if (decoding.cut) {
    reason = "the " + codec + " data ends early";
    return std::nullopt;
  }
  reason = "the " + codec + " data could not be decoded";
  if (data.size() > size_t(INT_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) return std::nullopt;

  const std::unique_ptr<AVCodecContext, CodecContextFree> context(
      av->avcodec_alloc_context3(decoder), {av});
  if (!context) return std::nullopt;
  context->width = description.width;
  context->height = description.height;
  // Indexed codecs take their colours as the palette side data a demuxer would attach, and then,
  // grey or not, the plain bit count as their depth. Cinepak's grey is its own mode.
  const bool greyCinepak = id == AV_CODEC_ID_CINEPAK && description.depth > 32;
  const std::optional<Palette> palette = greyCinepak ? std::nullopt : PaletteFor(description);
  context->bits_per_coded_sample = palette ? IndexBits(description.depth) : description.depth;
  context->codec_tag = tag;
  context->max_pixels = kMaxSourcePixels;
  context->thread_count = 1;
  if (av->avcodec_open2(context.get(), decoder, nullptr) < 0) return std::nullopt;

  const std::unique_ptr<AVPacket, PacketFree> packet(av->av_packet_alloc(), {av});
  if (!packet || av->av_new_packet(packet.get(), int(data.size())) < 0) return std::nullopt;
  std::memcpy(packet->data, data.data(), data.size());
  packet->flags |= AV_PKT_FLAG_KEY;
  if (palette) {
    uint8_t* side = av->av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, AVPALETTE_SIZE);
    if (!side) return std::nullopt;
    std::memcpy(side, palette->data(), AVPALETTE_SIZE);
  }

  const std::unique_ptr<AVFrame, FrameFree> frame(av->av_frame_alloc(), {av});
  if (!frame || av->avcodec_send_packet(context.get(), packet.get()) < 0) return std::nullopt;
  av->avcodec_send_packet(context.get(), nullptr);
  if (av->avcodec_receive_frame(context.get(), frame.get()) < 0) return std::nullopt;
  if (!IsWithinCaps(frame->width, frame->height)) {
    reason = "QuickTime image beyond the size limit";
    return std::nullopt;
  }
  std::optional<Image> image =
      FrameToImage(*av, *frame, palette.value_or(StandardTable(1)), HasOwnAlpha(id), reason);
  // A frame of a pixel format this cannot convert is no damage of the data.
  if (!image) return decoding.undecodable = true, std::nullopt;
  // TIFF, PNG and other image files hand over their embedded profile as side data.
  const AVFrameSideData* icc = av->av_frame_get_side_data(frame.get(), AV_FRAME_DATA_ICC_PROFILE);
  const int height = image->height;
  return DecodedImage{std::move(*image),
                      icc ? CopyProfile(icc->data, icc->size) : std::vector<uint8_t>{}, height};
}

// JPEG goes through libjpeg with its exact DCT and smooth chroma upsampling: that gives the
// reference renderings to the level, where libavcodec's decoder is off by up to 96 levels at
// colour edges. It also tells which rows its data made whole when that ends early.
static std::optional<DecodedImage> DecodeJpegData(std::span<const uint8_t> data,
                                                  std::string& reason, Decoding& decoding) {
  decoding.decoder = "libjpeg";
  std::optional<JpegImage> jpeg = DecodeJpeg(data, reason);
  if (!jpeg) return std::nullopt;
  return DecodedImage{std::move(jpeg->image), std::move(jpeg->iccProfile), jpeg->rowsWhole, data};
}

static std::optional<DecodedImage> DecodeDescribed(ByteReader& reader, std::string& reason,
                                                   Decoding& decoding) {
  ImageDescription description;
  const std::optional<std::span<const uint8_t>> data =
      ReadDescribedData(reader, description, reason, decoding);
  if (!data) return std::nullopt;
  decoding.codec = CodecName(description.codecType);
  // The four characters themselves, without the quotes a message puts round them.
  if (decoding.codec.size() == 6 && decoding.codec.front() == '\'')
    decoding.codec = decoding.codec.substr(1, 4);
  if (!IsWithinCaps(description.width, description.height)) {
    reason = "QuickTime image of " + std::to_string(description.width) + " x " +
             std::to_string(description.height) + " pixels: empty or beyond the size limit";
    return std::nullopt;
  }
  if (description.codecType == FourCc("jpeg")) return DecodeJpegData(*data, reason, decoding);
  return DecodeWithLibav(description, *data, reason, decoding);
}

// A matte weighs the image: black shows it fully, white not at all, grey blends. The weights go
// into the alpha of the result, taken from rect of the decoded matte (all of it when rect is
// empty).
static std::optional<Image> ReadMatte(ByteReader& reader, Rect rect, std::string& reason,
                                      bool& undecodable) {
  // Its weights are not colours: any profile it carries is left unused. A matte is used whole
  // or not at all.
  Decoding decoding;
  const std::optional<DecodedImage> decoded = DecodeDescribed(reader, reason, decoding);
  undecodable = decoding.undecodable;
  if (decoded && decoded->rowsWhole < decoded->image.height)
    reason = "the " + decoding.codec + " data is damaged";
  if (!decoded || decoded->rowsWhole < decoded->image.height) {
    reason = "matte: " + reason;
    return std::nullopt;
  }
  const Image& matte = decoded->image;
  const Rect bounds{0, 0, matte.width, matte.height};
  if (rect.IsEmpty()) rect = bounds;
  if (rect.Intersect(bounds) != rect) {
    reason = "matte rectangle outside the matte";
    return std::nullopt;
  }
  Image weights(rect.Width(), rect.Height(), 0);
  for (int y = 0; y < weights.height; ++y)
    for (int x = 0; x < weights.width; ++x) {
      const uint32_t pixel = matte.At(rect.left + x, rect.top + y);
      const uint32_t grey = GreyLevel(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
      weights.At(x, y) = (255 - grey) << 24;
    }
  return weights;
}

bool ApplyMatte(Image& image, const Rect& source, const Image& matte) {
  if (matte.width != source.Width() || matte.height != source.Height()) return false;
  const Rect inside = source.Intersect({0, 0, image.width, image.height});
  for (int y = inside.top; y < inside.bottom; ++y)
    for (int x = inside.left; x < inside.right; ++x) {
      uint32_t& pixel = image.At(x, y);
      const uint32_t weight = matte.At(x - source.left, y - source.top) >> 24;
      const uint32_t alpha = ((pixel >> 24) * weight + 127) / 255;
      pixel = (pixel & 0x00FFFFFF) | alpha << 24;
    }
  return true;
}

// QuickTime's 3x3 matrix, row by row: a b u / c d v / tx ty w. All Fixed 16.16 but u, v and w,
// which are Fract 2.30. A point (x, y) goes to (a x + c y + tx, b x + d y + ty).
struct Matrix {
  int64_t a = 0, b = 0, u = 0, c = 0, d = 0, v = 0, tx = 0, ty = 0, w = 0;
  bool IsIdentity() const {
    return a == 0x10000 && b == 0 && u == 0 && c == 0 && d == 0x10000 && v == 0 && tx == 0 &&
           ty == 0 && w == 0x40000000;
  }
};

static Matrix ReadMatrix(ByteReader& reader) {
  Matrix m;
  for (int64_t* field : {&m.a, &m.b, &m.u, &m.c, &m.d, &m.v, &m.tx, &m.ty, &m.w})
    *field = reader.S32();
  return m;
}

// Matrices that only translate and scale keep rectangles rectangles; the others are refused.
static bool CanPlace(const Matrix& m, std::string& reason) {
  if (m.u != 0 || m.v != 0 || m.w != 0x40000000)
    reason = "QuickTime picture with a perspective matrix";
  else if (m.b != 0 || m.c != 0)
    reason = "QuickTime picture rotated or skewed by its matrix";
  else if (m.a <= 0 || m.d <= 0)
    reason = "QuickTime picture mirrored or collapsed by its matrix";
  else
    return true;
  return false;
}

// Where rect lands, each edge rounded to the nearest pixel; empty when out of any sane range.
// At a scale, the matrix is scaled first, so the edges round at the scaled size.
static std::optional<Rect> Place(const Matrix& m, const Rect& rect, int scale = 1) {
  const int64_t limit = int64_t{scale} << 24;
  const auto round = [](int64_t fixed) { return (fixed + 0x8000) >> 16; };
  const int64_t a = m.a * scale, d = m.d * scale, tx = m.tx * scale, ty = m.ty * scale;
  const int64_t edges[4] = {round(a * rect.left + tx), round(d * rect.top + ty),
                            round(a * rect.right + tx), round(d * rect.bottom + ty)};
  for (const int64_t edge : edges)
    if (edge < -limit || edge > limit) return std::nullopt;
  return Rect{int(edges[0]), int(edges[1]), int(edges[2]), int(edges[3])};
}

std::optional<QuickTimePicture> ReadQuickTime(ByteReader data, std::string& reason, int scale,
                                              bool* damaged) {
  // Every reason below is damaged data, but those that say what nothing here can draw.
  bool undecodable = false;
  const auto fail = [&]() -> std::optional<QuickTimePicture> {
    if (damaged) *damaged = !undecodable;
    return std::nullopt;
  };
  data.U16();  // version
  const Matrix matrix = ReadMatrix(data);
  const uint32_t matteSize = data.U32();
  const Rect matteRect = data.ReadRect();
  QuickTimePicture picture;
  picture.mode = data.U16();
  const Rect sourceRect = data.ReadRect();
  data.U32();  // accuracy
  const uint32_t maskSize = data.U32();
  ByteReader matte = data.Slice(matteSize);
  ByteReader mask = data.Slice(maskSize);
  if (data.failed()) {
    reason = "QuickTime opcode data cut short";
    return fail();
  }
  if (!CanPlace(matrix, reason)) return undecodable = true, fail();

  Decoding decoding;
  std::optional<DecodedImage> decoded = DecodeDescribed(data, reason, decoding);
  undecodable = decoding.undecodable;
  if (!decoded) return fail();
  picture.image = std::move(decoded->image);
  picture.rowsWhole = decoded->rowsWhole;
  picture.codec = decoding.codec;
  picture.decoder = decoding.decoder;
  if (picture.rowsWhole < picture.image.height) {
    picture.damage = "the " + decoding.codec + " data " + (decoding.cut ? "ends" : "is damaged") +
                     " in row " + std::to_string(picture.rowsWhole + 1) + " of " +
                     std::to_string(picture.image.height);
    picture.damageAt = decoding.dataEnd;
  }
  // The colours the file's own profile says they are, in sRGB; a profile that cannot be used
  // leaves them as stored.
  picture.profileApplied =
      ConvertToSrgb(picture.image, decoded->iccProfile, &picture.profileDescription);
  if (!picture.profileApplied && picture.rowsWhole == picture.image.height)
    picture.jpeg = decoded->jpeg;
  picture.source = sourceRect.Intersect({0, 0, picture.image.width, picture.image.height});
  if (picture.source.IsEmpty()) {
    reason = "QuickTime source rectangle outside the image";
    return fail();
  }
  const std::optional<Rect> destination = Place(matrix, picture.source);
  const std::optional<Rect> scaled = Place(matrix, picture.source, scale);
  if (!destination || destination->IsEmpty() || !scaled) {
    reason = "QuickTime matrix places the picture out of range";
    return fail();
  }
  picture.destination = *destination;
  picture.scaledDestination = *scaled;

  if (maskSize > 0) {
    picture.mask = ReadRegion(mask, reason);
    if (!picture.mask) {
      reason = "QuickTime mask: " + reason;
      return fail();
    }
  }
  if (matteSize > 0) {
    const std::optional<Image> weights = ReadMatte(matte, matteRect, reason, undecodable);
    if (!weights) return fail();
    if (!ApplyMatte(picture.image, sourceRect, *weights)) {
      reason = "matte rectangle not the size of the source rectangle";
      return fail();
    }
  }
  return picture;
}

std::optional<UncompressedQuickTime> ReadUncompressedQuickTime(ByteReader data, std::string& reason,
                                                               bool* damaged) {
  if (damaged) *damaged = false;
  data.U16();  // version
  const Matrix matrix = ReadMatrix(data);
  const uint32_t matteSize = data.U32();
  data.ReadRect();  // the matte's rectangle
  data.Skip(matteSize);
  // The bitmap opcode inside is word-aligned like any opcode.
  data.AlignToWord();
  UncompressedQuickTime result;
  result.opcode = data.U16();
  if (data.failed()) {
    reason = "UncompressedQuickTime opcode data cut short";
    if (damaged) *damaged = true;
    return std::nullopt;
  }
  if (!matrix.IsIdentity()) {
    reason = "UncompressedQuickTime picture with a transform matrix";
    return std::nullopt;
  }
  constexpr uint16_t kBitmapOpcodes[] = {0x0090, 0x0091, 0x0098, 0x0099, 0x009A, 0x009B};
  if (std::find(std::begin(kBitmapOpcodes), std::end(kBitmapOpcodes), result.opcode) ==
      std::end(kBitmapOpcodes)) {
    reason = "UncompressedQuickTime without a bitmap opcode";
    if (damaged) *damaged = true;
    return std::nullopt;
  }
  if (matteSize > 0) {
    reason = "UncompressedQuickTime picture with a matte";
    return std::nullopt;
  }
  result.operands = data.Slice(data.remaining());
  return result;
}

std::optional<size_t> QuickTimeFallbackLength(std::span<const uint8_t> rest,
                                              const Rect& destination) {
  ByteReader reader(rest);
  const uint16_t opcode = reader.U16();
  if (opcode == 0x0007) {
    const int v = reader.S16();
    const size_t length = reader.U16();
    if (reader.failed() || v != 174) return 0;
    if (length > reader.remaining()) return std::nullopt;
    return reader.position() + length;
  }
  if (opcode != 0x0090 && opcode != 0x0098) return 0;
  const uint16_t rowBytes = reader.U16();
  const Rect bounds = reader.ReadRect();
  reader.ReadRect();  // source
  const Rect target = reader.ReadRect();
  reader.U16();  // mode
  // Only a BitMap (no pixmap flag) is the placeholder.
  if (reader.failed() || (rowBytes & 0x8000) != 0 || target != destination) return 0;
  for (int row = bounds.top; row < bounds.bottom && !reader.failed(); ++row) {
    if (opcode == 0x0090 || rowBytes < 8)
      reader.Skip(rowBytes);
    else
      reader.Skip(rowBytes > 250 ? reader.U16() : reader.U8());
  }
  if (reader.failed()) return std::nullopt;
  return reader.position();
}

}  // namespace pict
