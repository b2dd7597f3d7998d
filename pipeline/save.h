// pipeline/save.h: writing the finished picture in its output format.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "picture/picture.h"
#include "platform/ending.h"
#include "settings/settings.h"

struct SaveRequest {
  const OutputFormat* format = nullptr;  // the row of the output format
  int saveFlags = 0;                     // from SaveFlags
  int targetBpp = 0;                     // the depth the picture was brought to
  ColorTable colorTable = ColorTable::Auto;
  // A private folder for the intermediate files of DevIL and JxrEncApp, ending in "/"; empty:
  // the system's temporary folder.
  std::string scratchFolder;
};

// The file of the picture in its output format, made by the writer its format's row names:
// FreeImage, the BMP writer (FreeImage, or the exact colour table for an 8-bit bmp that asks for
// it), DevIL (psd, dds with mipmaps, pcx) or jxrlib's JxrEncApp (jxr). Nothing, with the reason in
// failure, when the format cannot take the picture or the writer fails. Intermediate files live in
// request.scratchFolder and are gone afterwards. The picture stays the caller's.
std::optional<std::string> EncodePicture(FIBITMAP* picture, const SaveRequest& request,
                                         std::string& failure);

// A new file of ours under a unique name: made so that a run ended by a signal removes it too,
// and removed with the object unless Keep() was called (after it was renamed into place).
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  // Creates an empty file named prefix + unique letters + "." + extension in folder (ending in
  // "/"; empty: the system's temporary folder). False, with the reason in failure, when none
  // can be made there.
  bool Create(const std::string& folder, std::string_view extension, std::string& failure);
  const std::string& path() const { return path_; }
  void Keep();

 private:
  std::string path_;
  EndingAction removal_;
};

// Puts bytes at outputPath: written under a temporary name beside it, then renamed over it, so
// that the output appears only complete and a failure leaves an existing file as it was and
// nothing else (a run ended by a signal removes the temporary file too). An existing read-only
// output is replaced only when the format's writer is DevIL; for the others it is a failure.
bool WriteOutputFile(const std::string& bytes, const std::string& outputPath,
                     const OutputFormat& format, std::string& failure);

// Puts the finished file draft (a temporary file made in the folder of outputPath) in place at
// outputPath, with WriteOutputFile's rule for read-only outputs; the draft is the output's then.
// On failure the draft is left to its owner, who removes it.
bool PlaceOutputFile(TemporaryFile& draft, const std::string& outputPath,
                     const OutputFormat& format, std::string& failure);

// The highest palette index used by any pixel of an 8-bit picture (0 for none, and for a
// picture that is not 8-bit).
int HighestUsedIndex(FIBITMAP* picture);

// prefix + letters for the digits of the local time in seconds + five random letters + suffix.
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix);
