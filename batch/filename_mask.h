// batch/filename_mask.h: the %token% placeholders of output names and watermark texts.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of token (one of the 18, matched without regard to letter case)
// by its value for the current file; any other token returns the text unchanged.
std::string ReplaceToken(std::string_view text, std::string_view token);

// The output file name of the current file from --FILENAME-MASK: literal text lower-cased,
// token values in their own case; an empty mask means "%filename%.%ext%".
std::string ExpandFilenameMask();

// A watermark text with its tokens (any letter case) replaced and the rest kept as it is.
std::string ExpandTextTokens(std::string_view text);
