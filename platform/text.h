// platform/text.h: UTF-8 text helpers: Unicode simple case mapping and path parts.
#pragma once

#include <string>
#include <string_view>

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

// Removes leading and trailing characters found in `characters`.
std::string_view Trim(std::string_view text, std::string_view characters = " ");
