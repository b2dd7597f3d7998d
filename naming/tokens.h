// naming/tokens.h: the %token% placeholders of output names and watermark texts.
#pragma once

#include <string>
#include <string_view>

#include "naming/file_context.h"

// The output file name of the file from the filename mask: literal text lower-cased, token
// values in their own case; an empty mask means "%filename%.%ext%". extension is the run's
// output extension, the value of %ext%.
std::string ExpandFilenameMask(std::string_view mask, const FileContext& file,
                               std::string_view extension);

// A watermark text with its tokens (any letter case) replaced by their values for the file and
// the rest kept as it is.
std::string ExpandTextTokens(std::string_view text, const FileContext& file,
                             std::string_view extension);

// True when the text's tokens make it depend on the file's numbers (%n%, %rnd%).
bool TextUsesFileNumbers(std::string_view text);
