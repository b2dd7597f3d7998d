// app/option_table.h (private to app/): finding an option's row for the command line or a
// profile, and storing a value by its row. The rows themselves are settings/option_rows.h.
#pragma once

#include <string_view>

#include "app/options.h"
#include "settings/option_rows.h"

using OptionEntry = OptionRow;

// The option named upperName for the command line (long or short name) or for a profile
// (long name only); null when no such option exists there.
const OptionEntry* FindOption(std::string_view upperName, bool inProfile);

// Reads text by the option's kind (keywords trimmed of spaces first), switches on its step
// flag and writes its field into gSettings or gJob, or does what the option pass does for it.
// text must already be prepared (quotes joined or removed) by the caller; Flag options ignore
// it. pass is null for profiles.
void StoreOption(const OptionEntry& option, std::string_view text, OptionPassResult* pass);
