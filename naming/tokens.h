// naming/tokens.h: the %token% placeholders of output names and watermark texts.
#pragma once

#include <string>
#include <string_view>

#include "naming/file_context.h"

struct FilenameToken {
  std::string_view text;  // lower case, as written in a mask
  std::string_view help;  // what it stands for, for the documentation
};

// The tokens in the order they are expanded: a value inserted by an earlier token that happens
// to hold a later token is expanded too.
inline constexpr FilenameToken kFilenameTokens[] = {
    {"%filename%", "the input file's name without folder and extension"},
    {"%filename[u]%", "the same in upper case"},
    {"%filename[l]%", "the same in lower case"},
    {"%filename[t]%", "the same with the first letter of each word in upper case"},
    {"%ext%", "the output extension"},
    {"%ext[u]%", "the output extension in upper case"},
    {"%ext[t]%", "the output extension with its first letter in upper case"},
    {"%yyyy%", "the year, four digits"},
    {"%mm%", "the month, two digits"},
    {"%dd%", "the day, two digits"},
    {"%hh%", "the hour, two digits (0 to 23)"},
    {"%ii%", "the minute, two digits"},
    {"%ss%", "the second, two digits (the date and time are local, when the file is named)"},
    {"%bpp%", "the output file's bit depth"},
    {"%width%", "the output picture's width in pixels"},
    {"%height%", "the output picture's height in pixels"},
    {"%rnd%", "a random number of five digits, drawn again after each converted file"},
    {"%n%", "the number of the file among those converted, from 00001, at least five digits"},
    // Last, so that a resource's name is never read as tokens.
    {"%resource%",
     "of a 'PICT' resource (--mac-files), `PICT-` and its id, then a blank and its "
     "name when it has one, made safe for a file name; empty for other pictures. "
     "A mask without it gives a resource's output `.%resource%` after each "
     "`%filename%`"},
};

// The output file name of the file from the filename mask: literal text lower-cased, token
// values in their own case; an empty mask means "%filename%.%ext%". extension is the run's
// output extension, the value of %ext%. The output of a 'PICT' resource must differ from its
// wrapper's and its siblings': a mask without %resource% has it after each %filename% then
// ("Demo House.hqx" with "%filename%.%ext%" gives "Demo House.PICT-10011.png").
std::string ExpandFilenameMask(std::string_view mask, const FileContext& file,
                               std::string_view extension);

// A watermark text with its tokens (any letter case) replaced by their values for the file and
// the rest kept as it is.
std::string ExpandTextTokens(std::string_view text, const FileContext& file,
                             std::string_view extension);

// True when the text's tokens make it depend on the file's numbers (%n%, %rnd%).
bool TextUsesFileNumbers(std::string_view text);
