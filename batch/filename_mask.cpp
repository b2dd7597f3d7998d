#include "batch/filename_mask.h"

// Placeholder implementation.
std::string ReplaceToken(std::string_view text, std::string_view) { return std::string(text); }
std::string ExpandFilenameMask() { return "out"; }
std::string ExpandTextTokens(std::string_view text) { return std::string(text); }
