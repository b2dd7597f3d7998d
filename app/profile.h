// app/profile.h: profile files, the [CLI] group of key=value lines that --PROFILE applies.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

// Applies the keys of the first [CLI] group of the file at path (UTF-8 after a byte-order
// mark, Latin-1 otherwise) to the records in file order. Returns false only when path is empty
// or names no readable file (missing, a folder, no access); a file without such a group, or
// with unknown keys, still gives true.
// notices, when given, gets a line "path: ..." for each key ignored (see UnknownOptionNotice) and
// each keyword not in its table.
bool ReadProfile(const std::string& path, ConversionSettings& settings, JobRecord& job,
                 std::vector<std::string>* notices = nullptr);
