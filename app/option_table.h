// app/option_table.h (private to app/): the one table of options that the command line and
// profile files share: each name with its kind, its keyword table, the step flag it switches on
// and the field it writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/options.h"

// How an option's value is read.
enum class OptionKind {
  Path,       // -I/-O: value required, quote joining, surrounding quotes removed
  Extension,  // -C: as Path without quote joining
  Keyword,    // a code of the option's keyword table; unknown text gives 0
  Integer,    // ReadInteger
  Decimal,    // ReadDecimal
  Text,       // command line: quote joining and quotes removed; profile: quotes kept
  MaskText,   // as Text, except that a profile value loses its surrounding quotes
  Flag,       // no value
};

// The step switch an option turns on besides its own field.
enum class StepFlag {
  None,
  InputGiven,
  Rotation,
  Resize,
  ColorCorrection,
  Threshold,
  Frame,
  TextWatermark,
  ImageWatermark
};

// Where an option may be given.
enum class OptionPlace { Anywhere, CommandLineOnly, ProfileOnly };

// What a store function gets: the value read by the option's kind.
struct StoredValue {
  std::string_view option;           // the option's long name
  std::string text;                  // Text, MaskText, Path, Extension: the prepared text
  int32_t number = 0;                // Integer, and the code of a Keyword
  float decimal = 0.0f;              // Decimal
  OptionPassResult* pass = nullptr;  // the command-line pass; null while reading a profile
};

struct OptionEntry {
  std::string_view name;       // long form, upper case
  std::string_view shortName;  // "-I" and the like; empty when there is none
  OptionKind kind;
  int table;  // keyword table for Keyword options, else -1
  StepFlag step;
  OptionPlace place;
  void (*store)(const StoredValue& value);
};

// The option named upperName for the command line (long or short name) or for a profile
// (long name only); null when no such option exists there.
const OptionEntry* FindOption(std::string_view upperName, bool inProfile);

// Reads text by the option's kind (keywords trimmed of spaces first), switches on its step
// flag and writes its field. text must already be prepared (quotes joined or removed) by the
// caller; Flag options ignore it. pass is null for profiles.
void StoreOption(const OptionEntry& option, std::string_view text, OptionPassResult* pass);
