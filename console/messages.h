// console/messages.h: the texts the program prints and the placeholder filling of its messages.
#pragma once

#include <string>
#include <string_view>

inline constexpr int kVersionNumber = 220;
inline constexpr std::string_view kProductName = "Quillmere";
inline constexpr std::string_view kWebAddressLine = "https://www.quillmere.example/";

// "2.2" for 220: digits with points after the first and second, a trailing ".0" cut.
std::string VersionText(int version);

// name + " " + VersionText(version).
std::string TitleText(std::string_view name, int version);

// Replaces "%s1%".."%s4%" (any letter case) by the non-empty values; an empty value leaves
// its placeholder.
std::string SubstitutePlaceholders(std::string_view text, std::string_view s1 = {},
                                   std::string_view s2 = {}, std::string_view s3 = {},
                                   std::string_view s4 = {});

// The messages of a run.
namespace msg {
inline constexpr std::string_view kPreparing = "Preparing...";
inline constexpr std::string_view kImporting = "Importing...";
inline constexpr std::string_view kConverting = "Converting...";
inline constexpr std::string_view kImportComplete = "Import complete, new files added: %s1%";
inline constexpr std::string_view kEmptyInput =
    "No input file(s) found. Please, add valid file(s) and try again!";
inline constexpr std::string_view kConversionComplete = "Conversion complete";
inline constexpr std::string_view kConversionStopped = "Conversion stopped";
inline constexpr std::string_view kFilesConverted = "Files converted: %s1% of %s2%";
}  // namespace msg
