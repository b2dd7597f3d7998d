#include "pipeline/load.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <span>
#include <thread>

#include "macfile/wrapper.h"
#include "pict/decode.h"
#include "picture/transfer.h"
#include "platform/files.h"
#include "platform/isolated.h"
#include "platform/process.h"
#include "platform/temporary_file.h"

namespace {

// FreeImage's PICT reader makes a few reads past the end of a sound file; it makes many only
// when it is stuck in one of its skip loops (or is reading a truncated picture).
constexpr int kMaxEmptyReads = 8;

// Ample: a 4000x3000 picture takes 0.3 s, and 48 MiB at 32 bits. A picture past the output
// limit comes back only when the converter's limits have let a larger one through: the parent
// holds the bytes and the picture made of them at once. On a damaged file the reader
// can take a gigabyte and more before it gives up; the memory limit stops it well before.
constexpr IsolatedLimits kReaderLimits{.timeoutMilliseconds = 5000,
                                       .memoryBytes = uint64_t{256} << 20,
                                       .maxOutputBytes = size_t{128} << 20};

// The input file as FreeImage's handle IO sees it (fread and fseek semantics).
struct InputStream {
  const std::string& data;
  size_t position = 0;
  int emptyReads = 0;
};

}  // namespace

// The reader loops on reads that return nothing; throwing is the only way to break out of
// those loops, and its own catch turns that into a failed load.
static unsigned DLL_CALLCONV ReadInput(void* buffer, unsigned size, unsigned count,
                                       fi_handle handle) {
  InputStream& stream = *static_cast<InputStream*>(handle);
  const size_t wanted = static_cast<size_t>(size) * count;
  if (wanted == 0) return 0;
  const size_t left = stream.data.size() - stream.position;
  if (left == 0) {
    if (++stream.emptyReads > kMaxEmptyReads) throw "PICT reader stuck at end of file";
    return 0;
  }
  // A partial read must work: the embedded-JPEG reader asks for whole blocks near the end.
  const size_t n = wanted < left ? wanted : left;
  std::memcpy(buffer, stream.data.data() + stream.position, n);
  stream.position += n;
  return static_cast<unsigned>(n / size);
}

static unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

// A seek outside the data is how a crafted length sends the reader round in a cycle.
static int DLL_CALLCONV SeekInput(fi_handle handle, long offset, int origin) {
  InputStream& stream = *static_cast<InputStream*>(handle);
  long base = 0;
  if (origin == SEEK_CUR) base = static_cast<long>(stream.position);
  if (origin == SEEK_END) base = static_cast<long>(stream.data.size());
  const long target = base + offset;
  if (target < 0 || static_cast<size_t>(target) > stream.data.size())
    throw "PICT reader seeks outside the file";
  stream.position = static_cast<size_t>(target);
  return 0;
}

static long DLL_CALLCONV TellInput(fi_handle handle) {
  return static_cast<long>(static_cast<InputStream*>(handle)->position);
}

// Runs in the isolated child: decode, send, free.
static bool DecodeAndSend(const std::string& data, const IsolatedWriter& write) {
  InputStream stream{data};
  FreeImageIO io{ReadInput, WriteNothing, SeekInput, TellInput};
  FIBITMAP* dib = nullptr;
  try {
    dib = FreeImage_LoadFromHandle(FIF_PICT, &io, &stream, 0);
  } catch (...) {
    dib = nullptr;  // our own throws, and whatever the reader lets through
  }
  Bitmap picture(dib);
  if (!picture || !FreeImage_HasPixels(picture.get())) return false;
  if (!WriteBitmapBytes(picture.get(), write)) return false;
  // Freeing lets glibc's heap checks catch an overflow: the child then aborts, and the
  // parent refuses the picture although every byte arrived.
  picture.reset();
  return true;
}

// Many PICT writers leave the fourth byte of 32-bit pixels at 0; kept as alpha, that would
// make the whole picture transparent.
static void MakeZeroAlphaOpaque(FIBITMAP* dib) {
  if (!dib || FreeImage_GetImageType(dib) != FIT_BITMAP || FreeImage_GetBPP(dib) != 32) return;
  const unsigned width = FreeImage_GetWidth(dib);
  const unsigned height = FreeImage_GetHeight(dib);
  for (unsigned y = 0; y < height; ++y) {
    const BYTE* pixel = FreeImage_GetScanLine(dib, static_cast<int>(y));
    for (unsigned x = 0; x < width; ++x, pixel += 4)
      if (pixel[FI_RGBA_ALPHA] != 0) return;
  }
  for (unsigned y = 0; y < height; ++y) {
    BYTE* pixel = FreeImage_GetScanLine(dib, static_cast<int>(y));
    for (unsigned x = 0; x < width; ++x, pixel += 4) pixel[FI_RGBA_ALPHA] = 0xFF;
  }
}

static bool HasSize(const Bitmap& picture) {
  return picture && FreeImage_GetWidth(picture.get()) > 0 && FreeImage_GetHeight(picture.get()) > 0;
}

const char* const kConverterLimits[4] = {"MAGICK_MEMORY_LIMIT=128MiB", "MAGICK_MAP_LIMIT=128MiB",
                                         "MAGICK_DISK_LIMIT=512MiB", "MAGICK_AREA_LIMIT=64MP"};

// What ImageMagick says when a picture does not fit in the limits it was given.
static bool SaysBeyondItsLimits(const std::string& errors) {
  for (const char* words :
       {"cache resources exhausted", "exceeds limit", "memory allocation failed", "resource limit"})
    if (errors.find(words) != std::string::npos) return true;
  return false;
}

Bitmap LoadThroughConverter(const std::string& inputPath, const std::string& tempFolder,
                            int deadlineMs, std::string& message) {
  // A plain name of our own making: nothing in the input's name reaches the converter's
  // command line. The file is made empty first, so that only what the converter writes counts.
  TemporaryFile tga, errors;
  if (!tga.Create(tempFolder, "tga", message) || !errors.Create(tempFolder, "txt", message))
    return nullptr;
  // Its limits go in its environment, its argument vector stays as it is. Its disk cache goes
  // in our private folder, which the end of the run removes even when the converter was killed.
  ProgramSetting setting{{kConverterLimits, kConverterLimits + std::size(kConverterLimits)},
                         errors.path()};
  setting.environment.push_back("MAGICK_TEMPORARY_PATH=" + AbsolutePath(tempFolder));
  // Absolute paths: ImageMagick takes a name that begins with "@" for a list of files to read.
  const ProgramEnd end =
      RunProgram({"convert", "-quiet", "-colorspace", "sRGB", "-orient", "TopLeft",
                  "pict:" + AbsolutePath(inputPath), "tga:" + AbsolutePath(tga.path())},
                 deadlineMs, setting);
  if (end.started) std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Bitmap picture;
  // ImageMagick leaves all-black TGAs behind when it fails on some PICTs: only status 0 counts.
  if (end && FileSize(tga.path()).value_or(0) > 0)
    picture.reset(FreeImage_Load(FIF_TARGA, tga.path().c_str(), 0));
  if (HasSize(picture)) return picture;
  message = end ? "wrote no picture" : DescribeProgramEnd(end, deadlineMs);
  // Only the first few lines matter; a converter that writes more is not read further.
  std::string unread;
  const std::optional<std::string> errorText = ReadFileStart(errors.path(), 4096, unread);
  if (end.started && !end.timedOut && errorText && SaysBeyondItsLimits(*errorText))
    message = "the picture does not fit in the memory and disk it may use (" + message + ")";
  return nullptr;
}

// Our own decoder runs in-process: it reads only inside the bytes it is given and caps the
// work a file may cause, so no file can hang or crash it (the fuzz target keeps it so).
Bitmap LoadWithOwnDecoder(const std::string& data, std::string& message, int scale,
                          pict::Notes* notes, std::optional<pict::PictDrawing>* drawing) {
  pict::PictResult result =
      pict::DecodePict(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()),
                       {.scale = scale, .vector = drawing != nullptr});
  if (result.IsDamaged() && result.refusal.empty())
    message = pict::DamageLine(*result.notes.damage);
  if (notes) *notes = std::move(result.notes);
  if (drawing) *drawing = std::move(result.drawing);
  const pict::Image& image = result.image;
  if (image.IsEmpty()) {
    message = result.refusal.empty() ? "no picture" : result.refusal;
    return nullptr;
  }
  Bitmap picture(FreeImage_Allocate(image.width, image.height, 24));
  if (!picture) {
    message = "no memory for a " + std::to_string(image.width) + " x " +
              std::to_string(image.height) + " picture";
    return nullptr;
  }
  for (int y = 0; y < image.height; ++y) {
    // FreeImage keeps the bottom row first.
    BYTE* line = FreeImage_GetScanLine(picture.get(), image.height - 1 - y);
    const uint32_t* pixel = &image.pixels[size_t(y) * size_t(image.width)];
    for (int x = 0; x < image.width; ++x, line += 3) {
      line[FI_RGBA_RED] = static_cast<BYTE>(pixel[x] >> 16);
      line[FI_RGBA_GREEN] = static_cast<BYTE>(pixel[x] >> 8);
      line[FI_RGBA_BLUE] = static_cast<BYTE>(pixel[x]);
    }
  }
  return picture;
}

Bitmap LoadWithFreeImage(const std::string& data, std::string& message) {
  // The reader hangs and overflows its heap on bad files: it runs in a child of its own.
  const IsolatedResult run = RunIsolated(
      [&data](const IsolatedWriter& write) { return DecodeAndSend(data, write); }, kReaderLimits);
  Bitmap picture = run.completed ? ReadBitmapBytes(run.output) : nullptr;
  if (!picture) {
    if (run.timedOut)
      message = "stopped after " + std::to_string(kReaderLimits.timeoutMilliseconds / 1000) + " s";
    else if (run.signal != 0)
      message = "crashed (signal " + std::to_string(run.signal) + ")";
    else
      message = "found no picture";
    return nullptr;
  }
  MakeZeroAlphaOpaque(picture.get());
  return picture;
}

// FreeImage_Rescale would give the same pixels with its box filter, but makes palette pictures
// 24-bit, and the depth a picture was loaded at chooses the automatic output depth.
Bitmap EnlargePicture(Bitmap picture, int scale) {
  if (!picture || scale == 1) return picture;
  if (FreeImage_GetBPP(picture.get()) < 8) {
    Bitmap eight(FreeImage_ConvertTo8Bits(picture.get()));
    if (!eight) return picture;
    picture = std::move(eight);
  }
  FIBITMAP* source = picture.get();
  const unsigned width = FreeImage_GetWidth(source), height = FreeImage_GetHeight(source);
  const unsigned bytes = FreeImage_GetBPP(source) / 8;
  Bitmap enlarged(FreeImage_AllocateT(FreeImage_GetImageType(source), int(width) * scale,
                                      int(height) * scale, int(FreeImage_GetBPP(source)),
                                      FreeImage_GetRedMask(source), FreeImage_GetGreenMask(source),
                                      FreeImage_GetBlueMask(source)));
  if (!enlarged) return picture;
  if (FreeImage_GetColorsUsed(source) > 0)
    std::memcpy(FreeImage_GetPalette(enlarged.get()), FreeImage_GetPalette(source),
                FreeImage_GetColorsUsed(source) * sizeof(RGBQUAD));
  if (FreeImage_GetTransparencyCount(source) > 0)
    FreeImage_SetTransparencyTable(enlarged.get(), FreeImage_GetTransparencyTable(source),
                                   int(FreeImage_GetTransparencyCount(source)));
  FreeImage_CloneMetadata(enlarged.get(), source);
  for (unsigned y = 0; y < height * unsigned(scale); ++y) {
    const BYTE* from = FreeImage_GetScanLine(source, int(y / unsigned(scale)));
    BYTE* to = FreeImage_GetScanLine(enlarged.get(), int(y));
    for (unsigned x = 0; x < width; ++x)
      for (int copy = 0; copy < scale; ++copy, to += bytes)
        std::memcpy(to, from + x * bytes, bytes);
  }
  return enlarged;
}

std::string LoadResult::Account() const {
  if (!problem.empty()) return problem;
  std::string account;
  for (const DecoderReport& report : reports) {
    if (!account.empty()) account += "; ";
    account += std::string(report.decoder) + ": " + report.said;
  }
  return account;
}

// The chain on bytes in hand; converterInput gives the converter a file that holds them (it
// reads files only) and says in message why it cannot.
template <typename ConverterInput>
static LoadResult LoadChain(const std::string& data, const std::string& tempFolder,
                            int converterDeadlineMs, int scale, bool drawing,
                            ConverterInput converterInput) {
  LoadResult result;
  // What our decoder refuses goes to the external converter, then to FreeImage's reader.
  auto attempt = [&result](std::string_view decoder, auto load) {
    std::string said = "read it";
    result.picture = load(said);
    result.reports.push_back({decoder, std::move(said)});
    return static_cast<bool>(result.picture);
  };
  if (attempt("our decoder", [&](std::string& message) {
        return LoadWithOwnDecoder(data, message, scale, &result.notes,
                                  drawing ? &result.drawing : nullptr);
      }))
    return result;  // a damaged file's part too: the others read such files as black or grey
  // A refusal, also for damage before anything was drawn: the others may read what our decoder
  // refuses, and the notes told of a drawing there is none of.
  result.notes = {};
  result.drawing.reset();
  // Their 72-dpi pictures are enlarged to the size our decoder would have drawn.
  if (!attempt("convert", [&](std::string& message) -> Bitmap {
        TemporaryFile file;
        const std::optional<std::string> path = converterInput(file, message);
        if (!path) return nullptr;
        return LoadThroughConverter(*path, tempFolder, converterDeadlineMs, message);
      }))
    attempt("FreeImage's reader",
            [&](std::string& message) { return LoadWithFreeImage(data, message); });
  result.picture = EnlargePicture(std::move(result.picture), scale);
  // Theirs are 72-dpi renderings, each pixel now scale x scale: the same page at scale times the
  // resolution, as our decoder gives it.
  result.notes.horizontalDpi = result.notes.verticalDpi = 72.0 * scale;
  return result;
}

// An AppleDouble header file, the "._name" beside a data fork: its magic number first, then
// the rest of its header as the reader of Macintosh files checks it.
static bool IsAppleDoubleHeader(std::string_view data) {
  if (data.substr(0, 4) != std::string_view("\x00\x05\x16\x07", 4)) return false;
  const std::span bytes(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  return macfile::RecogniseWrapper(bytes, bytes.size()) == macfile::Wrapper::AppleDouble;
}

LoadResult LoadPicture(const std::string& inputPath, const std::string& tempFolder,
                       int converterDeadlineMs, int scale, bool drawing) {
  std::string unreadable;
  const std::optional<std::string> data = ReadFileBytes(inputPath, unreadable);
  // An empty file can hold no picture, and FreeImage's reader would only spin on it.
  if (!data || data->empty()) {
    LoadResult result;
    result.problem = data ? "the file is empty" : "cannot read it: " + unreadable;
    return result;
  }
  // A sidecar named like a picture ("._food.pct") holds the resource fork of the file beside it.
  if (IsAppleDoubleHeader(*data)) {
    LoadResult result;
    result.problem =
        "an AppleDouble sidecar (the resource fork of the file beside it), not a "
        "picture; --mac-files converts the pictures it holds";
    return result;
  }
  return LoadChain(*data, tempFolder, converterDeadlineMs, scale, drawing,
                   [&](TemporaryFile&, std::string&) { return std::optional(inputPath); });
}

LoadResult LoadPictureData(const std::string& data, bool preamble, const std::string& tempFolder,
                           int converterDeadlineMs, int scale, bool drawing) {
  // As an empty file: nothing to read, and a fork may hold thousands of empty resources, each of
  // which would cost the other readers a process.
  if (data.empty()) {
    LoadResult result;
    result.problem = preamble ? "the data fork is empty" : "the resource is empty";
    return result;
  }
  return LoadChain(data, tempFolder, converterDeadlineMs, scale, drawing,
                   [&](TemporaryFile& file, std::string& message) -> std::optional<std::string> {
                     const std::string document = preamble ? data : std::string(512, '\0') + data;
                     if (!file.Create(tempFolder, "pict", message) ||
                         !WriteFileBytes(file.path(), document, message))
                       return std::nullopt;
                     return file.path();
                   });
}
