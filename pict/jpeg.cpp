#include "pict/jpeg.h"

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdlib>
#include <memory>

#include "pict/limits.h"

namespace pict {

namespace {

// Everything the decoding changes lives here, behind a pointer made before setjmp: after a
// longjmp the function's own variables keep the values they had then, and this has the rest.
struct JpegRun {
  jpeg_error_mgr errors;  // first: libjpeg hands back a pointer to it
  std::jmp_buf failed;
  jpeg_decompress_struct info{};
  bool created = false;
  JpegImage result;
  std::vector<JSAMPLE> row;  // one scanline as libjpeg gives it
  JDIMENSION rowsRead = 0;
  // The rows returned before the first sign of damaged data; none yet while UINT_MAX.
  JDIMENSION rowsBeforeDamage = UINT_MAX;
  ~JpegRun() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

[[noreturn]] void Fail(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegRun*>(info->err)->failed, 1);
}

// libjpeg's warnings go nowhere. Those that mean the entropy-coded data ran out or is damaged
// (from there on libjpeg fills in grey or decodes garbage) end the rows that count; the scanlines
// returned before were made from whole data, as the row below a smooth-upsampled one is decoded
// before it is returned. Bytes skipped before a restart marker lie inside the image data too.
void NoteWarning(j_common_ptr info, int level) {
  if (level != -1) return;  // trace messages
  const jpeg_error_mgr& errors = *info->err;
  const int code = errors.msg_code;
  const bool damaged = code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
                       code == JWRN_MUST_RESYNC ||
                       (code == JWRN_EXTRANEOUS_DATA && errors.msg_parm.i[1] >= JPEG_RST0 &&
                        errors.msg_parm.i[1] <= JPEG_RST0 + 7);
  JpegRun& run = *reinterpret_cast<JpegRun*>(info->err);
  if (damaged && run.rowsBeforeDamage == UINT_MAX) run.rowsBeforeDamage = run.rowsRead;
}

void Silent(j_common_ptr) {}

// Adobe's CMYK JPEGs store the inks inverted, as most CMYK JPEGs are.
uint32_t FromCmyk(const JSAMPLE* p, bool inverted) {
  uint32_t rgb = 0xFF000000;
  const uint32_t k = inverted ? p[3] : 255u - p[3];
  for (int i = 0; i < 3; ++i) {
    const uint32_t c = inverted ? p[i] : 255u - p[i];
    rgb |= (c * k + 127) / 255 << (16 - 8 * i);
  }
  return rgb;
}

}  // namespace

std::optional<JpegImage> DecodeJpeg(std::span<const uint8_t> data, std::string& reason) {
  reason = "the JPEG data could not be decoded";
  if (data.empty() || data.size() > ULONG_MAX) return std::nullopt;
  const auto run = std::make_unique<JpegRun>();
  jpeg_decompress_struct& info = run->info;
  info.err = jpeg_std_error(&run->errors);
  run->errors.error_exit = Fail;
  run->errors.emit_message = NoteWarning;
  run->errors.output_message = Silent;
  if (setjmp(run->failed) != 0) {
    // An error ends the decoding: the rows read before it stand, when there are any.
    if (run->rowsRead == 0) return std::nullopt;
    run->result.rowsWhole = int(std::min(run->rowsRead, run->rowsBeforeDamage));
    return std::move(run->result);
  }
  jpeg_create_decompress(&info);
  run->created = true;
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  // The size first, so that a huge one is refused before its pixels are allocated.
  if (int64_t{info.image_width} * info.image_height > kMaxSourcePixels) {
    reason = "QuickTime JPEG image beyond the size limit";
    return std::nullopt;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  info.dct_method = JDCT_ISLOW;
  info.do_fancy_upsampling = TRUE;
  jpeg_start_decompress(&info);
  Image& image = run->result.image;
  image = Image(int(info.output_width), int(info.output_height), 0xFF000000);
  std::vector<JSAMPLE>& row = run->row;
  row.resize(size_t(info.output_width) * size_t(info.output_components));
  JSAMPROW rows[] = {row.data()};
  while (info.output_scanline < info.output_height) {
    if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    uint32_t* out = &image.At(0, int(run->rowsRead));
    for (JDIMENSION x = 0; x < info.output_width; ++x) {
      const JSAMPLE* p = row.data() + size_t(x) * size_t(info.output_components);
      out[x] = cmyk ? FromCmyk(p, info.saw_Adobe_marker)
                    : 0xFF000000 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    ++run->rowsRead;
  }
  run->result.rowsWhole = int(std::min(run->rowsRead, run->rowsBeforeDamage));
  JOCTET* icc = nullptr;
  unsigned int iccSize = 0;
  if (jpeg_read_icc_profile(&info, &icc, &iccSize) && icc) {
    if (iccSize <= kMaxIccProfileBytes) run->result.iccProfile.assign(icc, icc + iccSize);
    std::free(icc);
  }
  return std::move(run->result);
}

}  // namespace pict
