#include "pipeline/save.h"

#include <cassert>

#include "pipeline/bmp_writer.h"
#include "pipeline/devil_writer.h"
#include "pipeline/freeimage_writer.h"
#include "pipeline/jxr_writer.h"
#include "pipeline/png_writer.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/write_access.h"

std::optional<std::string> EncodePicture(FIBITMAP* picture, const SaveRequest& request,
                                         std::string& message) {
  assert(request.format && "a save request names its format");
  if (!picture) {
    message = "no picture to save";
    return {};
  }
  switch (request.format->writer) {
    case Writer::FreeImage:
      return EncodeWithFreeImageWriter(picture, request, message);
    case Writer::Bmp:
      return EncodeBmp(picture, request, message);
    case Writer::Png:
      return EncodePng(picture, request, message);
    case Writer::Devil:
      return EncodeWithDevil(picture, request, message);
    case Writer::JxrEncoder:
      return EncodeJxrWithEncoder(picture, request.scratchFolder, message);
    case Writer::Svg:
    case Writer::Pdf:
      // A page of vectors is written from its drawing (pipeline/vector_picture.h).
      message = "pixels cannot be written as a page of vectors";
      return {};
  }
  return {};
}

bool WriteOutputFile(const std::string& bytes, const std::string& outputPath,
                     const OutputFormat& format, std::string& message) {
  TemporaryFile file;
  if (!file.CreateDraft(std::string(FolderPart(outputPath)), format.extension, message))
    return false;
  std::string written;
  if (!WriteFileBytes(file.path(), bytes, written)) {
    message = "cannot write " + outputPath + ": " + written;
    return false;
  }
  return PlaceOutputFile(file, outputPath, format, message);
}

bool PlaceOutputFile(TemporaryFile& draft, const std::string& outputPath,
                     const OutputFormat& format, std::string& message) {
  // rename(2) would replace a protected file too; only DevIL's writer ever did.
  if (format.writer != Writer::Devil && IsReadOnlyFile(outputPath)) {
    message = "cannot replace " + outputPath + ": it is read-only";
    return false;
  }
  return draft.PlaceAt(outputPath, message);
}
