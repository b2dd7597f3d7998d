// pipeline/load.h: getting the picture of a PICT file into memory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pict/notes.h"
#include "pict/picture_drawing.h"
#include "picture/picture.h"

// What one decoder of the chain made of the file.
struct DecoderReport {
  std::string_view decoder;  // "our decoder", "convert", "FreeImage's reader"
  std::string said;          // "read it", or why it gave no picture
};

struct LoadResult {
  Bitmap picture;  // empty when no picture could be had
  std::vector<DecoderReport> reports;  // each decoder tried, in order
  std::string problem;  // why no decoder was tried (an empty or unreadable file)
  // What our decoder said beside its picture (damage, opcodes skipped, fonts substituted, colour
  // profiles, QuickTime codecs, resolution); when another decoder read the file, the defaults
  // (those say none of it) but for the resolution: 72 dpi times the scale.
  pict::Notes notes;
  // The picture as our decoder's drawing, when one was asked for and our decoder read the file;
  // nothing when another decoder read it (the picture is then pixels only).
  std::optional<pict::PictDrawing> drawing;

  // Our decoder found the file damaged: the picture, if any, is its part drawn before the damage.
  bool IsDamaged() const { return notes.damage.has_value(); }

  // "our decoder: ...; convert: ...; FreeImage's reader: ..." (or the problem).
  std::string Account() const;
};

// Decodes the PICT file at inputPath: first with our own decoder (24 bits, no process, no
// file); what it refuses through the external converter `convert`, found on PATH, into a TGA
// in tempFolder (a private folder ending in "/"), waiting for it up to converterDeadlineMs,
// after which the converter and all it started are killed; when that gives no picture, with
// FreeImage's own reader in an isolated child process limited to 5 seconds and 256 MiB.
// A file our decoder drew a part of before damage in it goes to neither: they read such files
// as black or grey, or with undefined rows. It comes back as that part, with notes.damage. A file
// damaged before anything was drawn is a refusal like any other.
// scale (1 to 8, --PICT-SCALE) draws the picture at that many times its frame: our decoder
// draws it sharp at that size; the other two give a 72-dpi rendering, which is enlarged
// scale times, each pixel a scale x scale block at the depth it came in, so the size of the
// result does not depend on which decoder read the file.
// With drawing, our decoder also makes the picture a drawing (LoadResult::drawing).
// Never hangs and never brings the caller down; no picture at once for an empty or missing
// file. Leaves nothing in tempFolder. A 32-bit picture from FreeImage's reader whose alpha is 0
// everywhere comes back opaque. Safe on a worker thread and in several processes at once.
// An AppleDouble sidecar ("._food.pct") is no picture: it comes back at once with a problem
// that names --mac-files.
LoadResult LoadPicture(const std::string& inputPath, const std::string& tempFolder,
                       int converterDeadlineMs, int scale = 1, bool drawing = false);

// The same chain for a picture in memory: a 'PICT' resource (which holds the picture without
// the 512-byte preamble of a PICT document: preamble false) or a data fork (a document: true).
// The converter, which reads files only, gets it as a PICT document of its own in tempFolder,
// removed afterwards.
LoadResult LoadPictureData(const std::string& data, bool preamble, const std::string& tempFolder,
                           int converterDeadlineMs, int scale = 1, bool drawing = false);

// The steps of that chain one by one; each says in message why it gives no picture.
// Our decoder at scale: a 24-bit picture, or empty when it refuses the bytes. Its notes go to
// notes when given, and the picture as a drawing to drawing when given; message tells the damage
// of a picture drawn in part.
Bitmap LoadWithOwnDecoder(const std::string& data, std::string& message, int scale = 1,
                          pict::Notes* notes = nullptr,
                          std::optional<pict::PictDrawing>* drawing = nullptr);
// The external converter, writing its TGA under a plain, unique name in tempFolder (so that
// conversions running at once may share it); the file is gone afterwards. It runs within
// ImageMagick's own limits, kConverterLimits, with its disk cache in tempFolder; a file it
// cannot read within them gives a message that says so.
Bitmap LoadThroughConverter(const std::string& inputPath, const std::string& tempFolder,
                            int deadlineMs, std::string& message);
// The limits the converter runs in, as ImageMagick's environment variables: its pixel cache
// may take 128 MiB of memory and 128 MiB mapped, and 512 MiB of disk, so the largest picture it
// holds (64 megapixels at 8 bytes a pixel) is the largest our decoder draws.
extern const char* const kConverterLimits[4];
// FreeImage's reader in its isolated child.
Bitmap LoadWithFreeImage(const std::string& data, std::string& message);
// picture with each pixel repeated scale x scale times, at the depth and with the palette it
// has (1- and 4-bit pictures become 8-bit with the same palette); scale 1 or an empty picture
// comes back as it is, and so does a picture there is no memory to enlarge.
Bitmap EnlargePicture(Bitmap picture, int scale);
