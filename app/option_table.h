// app/option_table.h (private to app/): finding an option's row for the command line or a
// profile, reading its value by its kind and storing it by its row, for the option pass and the
// profiles alike. The rows themselves are settings/option_rows.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/option_rows.h"
#include "settings/settings.h"

// The option named upperName for the command line (long or short name) or for a profile
// (long name only); null when no such option exists there.
const OptionRow* FindOption(std::string_view upperName, bool inProfile);

// Integers: spaces and tabs, a sign, "$" hex, "%" binary or decimal digits up to the first
// misfit; the low 32 bits.
int32_t ReadInteger(std::string_view text);

// A decimal number with "." as separator; 0 when the text does not begin with one.
float ReadDecimal(std::string_view text);

// The line that tells why a name the pass or a profile met is ignored: an option read only
// elsewhere (a profile, the first parameter), or one no option has, with the nearest names
// ("unknown option --widht ignored; nearest: --width"). given is the name as written.
std::string UnknownOptionNotice(std::string_view given, bool inProfile);

// The line that tells of a keyword its option's table lacks, with the valid ones and the one
// used instead ("unknown value sinc for --resize-algorithm ignored; BOX is used; valid: BOX,
// ..."); empty when the table has it.
std::string KeywordNotice(const OptionRow& option, std::string_view text);

// Reads text by the option's kind (keywords trimmed of spaces first), switches on its step and
// writes its field into the records. text must already be prepared (quotes joined or removed)
// by the caller; Flag options ignore it. The option pass's own options (a PassAction) write no
// field: the pass does what they ask itself.
void StoreOption(const OptionRow& option, std::string_view text, ConversionSettings& settings,
                 JobRecord& job);
