// platform/text.h: UTF-8 text helpers: Unicode simple case mapping, path parts, digits and the
// lines of text files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Upper/lower case by Unicode simple case mapping ("é" <-> "É"); bytes that are not valid
// UTF-8 are kept as they are.
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// First character upper case, the rest lower case.
std::string ToTitle(std::string_view text);

// The part after the last "/" or "\" (the whole text when there is none).
std::string_view FilePart(std::string_view path);

// The text up to and including the last "/" or "\" (empty when there is none).
std::string_view FolderPart(std::string_view path);

// The file part without its last extension ("a.b.pic" -> "a.b"; a name without "." whole).
std::string BaseName(std::string_view path);

// Replaces every occurrence of needle, compared without regard to ASCII letter case, by value.
// Meant for ASCII needles such as "%s1%" or "%filename%" inside any UTF-8 text.
std::string ReplaceIgnoringCase(std::string_view text, std::string_view needle,
                                std::string_view value);

// The value of c as a digit of base (2 to 16, letters in either case), or -1 when it is none.
int DigitValue(char c, int base);

// How the bytes of a text file without a byte-order mark are read.
enum class TextEncoding { Utf8, Latin1 };

// The lines of a text file's bytes, as UTF-8. A UTF-8 byte-order mark is dropped; without one
// the bytes are read as withoutMark says (Latin-1 is converted). CR, LF and CR LF each end a
// line; text after the last line end is a line too, and an empty text has none.
std::vector<std::string> TextLines(std::string_view bytes, TextEncoding withoutMark);

// Mac OS Roman bytes (the names of classic Macintosh files and resources) as UTF-8. Every byte
// has a character; bytes below 0x20 stay the control characters they are.
std::string MacRomanToUtf8(std::string_view bytes);

// Removes leading and trailing characters found in `characters`.
std::string_view Trim(std::string_view text, std::string_view characters = " ");

// The words of candidates nearest to given, for "did you mean": those fewest edits away
// (insertions, deletions, replacements and swaps of two neighbours, letter case ignored), in
// the order of candidates, and of those only the ones that begin with given when there are
// such; none when even the nearest needs more than a third of given's letters (at least 2)
// changed.
std::vector<std::string_view> NearestWords(std::string_view given,
                                           const std::vector<std::string_view>& candidates);
