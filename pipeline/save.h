// pipeline/save.h: the finished picture as the file of its output format, and that file put in
// place.
#pragma once

#include <optional>
#include <string>

#include "picture/picture.h"
#include "pipeline/save_request.h"
#include "platform/temporary_file.h"
#include "settings/formats.h"

// The file of the picture in its output format, made by the writer its format's row names:
// FreeImage, the BMP writer (FreeImage, or the exact colour table for an 8-bit bmp that asks for
// it), the PNG writer (libpng for stored pixels, else FreeImage), DevIL (psd, dds with mipmaps,
// pcx) or jxrlib's JxrEncApp (jxr). Nothing, with the reason in
// message, when the format cannot take the picture or the writer fails. Intermediate files live
// in request.scratchFolder and are gone afterwards. The picture stays the caller's.
std::optional<std::string> EncodePicture(FIBITMAP* picture, const SaveRequest& request,
                                         std::string& message);

// Puts bytes at outputPath: written to a draft beside it (TemporaryFile::CreateDraft), then put
// in place, so that the output appears only complete and a failure leaves an existing file as it
// was and nothing else. An existing read-only
// output is replaced only when the format's writer is DevIL; for the others it is a failure.
bool WriteOutputFile(const std::string& bytes, const std::string& outputPath,
                     const OutputFormat& format, std::string& message);

// Puts the finished file draft (a draft made in the folder of outputPath) in place at
// outputPath, with WriteOutputFile's rule for read-only outputs; the draft is the output's then.
// On failure the draft is left to its owner, who removes it.
bool PlaceOutputFile(TemporaryFile& draft, const std::string& outputPath,
                     const OutputFormat& format, std::string& message);
