#include "pipeline/load.h"

// Placeholder implementation.
Bitmap LoadPicture(const std::string&, const std::string&) { return nullptr; }
