#include "pipeline/save.h"

// Placeholder implementations.
int BuildSaveFlags(std::string_view, const OutputFormatSettings&) { return 0; }
bool SavePicture(FIBITMAP* picture, const SaveRequest& request) {
  return picture && FreeImage_Save(static_cast<FREE_IMAGE_FORMAT>(request.formatId), picture,
                                   request.outputPath.c_str(), request.saveFlags);
}
int HighestUsedIndex(FIBITMAP*) { return 0; }
bool SaveExactColorTableBmp(FIBITMAP*, const std::string&, int) { return false; }
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix) {
  return std::string(prefix) + std::string(suffix);
}
