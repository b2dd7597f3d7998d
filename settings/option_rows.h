// settings/option_rows.h: every option of the program, declared once in a row: how its value is
// read, the field it writes, the step it switches on, the driver's check and debug line, and its
// documentation. The option pass, profiles, the driver's checks and echo, the man page and the
// shell completion are all loops over these rows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "settings/keywords.h"
#include "settings/settings.h"

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

// What the option pass does itself for the options that write no field of the records.
enum class PassAction { None, Quiet, Pause, ExitStatus, Debug, Profile };

// A field's value: the code of a keyword field, nothing for an optional field that holds none.
using FieldValue = std::variant<std::monostate, bool, int32_t, float, std::string>;

// An option's value as its kind reads it.
struct ParsedValue {
  std::string text;      // Path, Extension, Text, MaskText
  int32_t number = 0;    // Integer, and the code of a Keyword
  float decimal = 0.0f;  // Decimal
  bool flag = true;      // Flag: what it sets its field to
};

// Where an option's value lives in the run's two records. Made from a lambda without captures
// that returns the address of the field in the records it is given,
// [](auto& settings, auto& job) { return &settings.resize.width; }, so that one row reads the
// live records, fresh ones (the defaults) or any copy.
class FieldRef {
 public:
  constexpr FieldRef() = default;  // no field
  // index picks the element of an array field.
  template <typename Find>
  constexpr FieldRef(Find, size_t index = 0)
      : read_(&Read<Find>), write_(&Write<Find>), index_(index) {}

  bool IsNone() const { return read_ == nullptr; }
  FieldValue Get(const ConversionSettings& settings, const JobRecord& job) const {
    return read_ ? read_(settings, job, index_) : FieldValue{};
  }
  void Set(ConversionSettings& settings, JobRecord& job, const ParsedValue& value) const {
    if (write_) write_(settings, job, index_, value);
  }

 private:
  template <typename T>
  struct IsArray : std::false_type {};
  template <typename T, size_t N>
  struct IsArray<std::array<T, N>> : std::true_type {};

  template <typename Find, typename Settings, typename Job>
  static auto& Locate(Settings& settings, Job& job, size_t index) {
    auto& field = *Find{}(settings, job);
    if constexpr (IsArray<std::remove_cvref_t<decltype(field)>>::value) {
      return field[index];
    } else {
      return field;
    }
  }

  template <typename T>
  static FieldValue ValueOf(const T& field) {
    if constexpr (std::is_same_v<T, ColourText>) {
      return field.text();
    } else if constexpr (std::is_enum_v<T>) {
      return static_cast<int32_t>(field);
    } else if constexpr (std::is_same_v<T, std::optional<int32_t>>) {
      return field ? FieldValue(*field) : FieldValue();
    } else {
      return field;
    }
  }

  template <typename T>
  static void Assign(T& field, const ParsedValue& value) {
    if constexpr (std::is_same_v<T, bool>) {
      field = value.flag;
    } else if constexpr (std::is_enum_v<T>) {
      field = static_cast<T>(value.number);
    } else if constexpr (std::is_same_v<T, float>) {
      field = value.decimal;
    } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, ColourText>) {
      field = value.text;
    } else {
      field = value.number;  // int32_t, std::optional<int32_t>
    }
  }

  template <typename Find>
  static FieldValue Read(const ConversionSettings& settings, const JobRecord& job, size_t index) {
    return ValueOf(Locate<Find>(settings, job, index));
  }
  template <typename Find>
  static void Write(ConversionSettings& settings, JobRecord& job, size_t index,
                    const ParsedValue& value) {
    Assign(Locate<Find>(settings, job, index), value);
  }

  FieldValue (*read_)(const ConversionSettings&, const JobRecord&, size_t) = nullptr;
  void (*write_)(ConversionSettings&, JobRecord&, size_t, const ParsedValue&) = nullptr;
  size_t index_ = 0;
};

// When the driver shows an option's debug line and runs its check.
enum class Shown {
  Never,
  Always,
  WithStep,             // while the echo's step is on
  WithFormat,           // when the row's format is the output format
  WithCustomTimestamp,  // when --FILE-TIMESTAMP is CUSTOM
  WhenGiven,            // when the value differs from its default
};

struct EchoLine {
  std::string_view label;  // "Brightness: "; empty: no line of its own
  Shown when = Shown::Never;
  StepFlag step = StepFlag::None;   // for Shown::WithStep
  std::string_view joined = {};     // another option whose value ends the line
  std::string_view separator = {};  // between the two values
};

enum class CheckKind {
  None,
  Within,  // low <= value <= high (a float compared as a float)
  NotZero,
  AllowedDepth,  // 0 or a depth the row's format allows
  FileNotEmpty,  // the text names a file of at least one byte
  FontLoads,     // the text watermark's font can be loaded (the driver knows how)
};

struct Check {
  CheckKind kind = CheckKind::None;
  double low = 0, high = 0;     // Within: the allowed values, both ends included
  std::string_view error = {};  // the line printed when the value fails
  bool afterGroup = false;      // after every line of its group, not right after its own
};

// The groups of the short usage text of --help, in its order.
enum class UsageGroup { None, Basic, Advanced, Other };

// An option's line in the short usage text of --help.
struct Usage {
  UsageGroup group = UsageGroup::None;  // None: the option has no line there
  int place = 0;                        // its place in the group, from 1
  std::string_view value = {};          // the value's name there ("NUM"); empty for a flag
  std::string_view text = {};  // what it does; a NUM's range follows when the row checks one
};

struct OptionRow {
  std::string_view name;            // "--BRIGHTNESS"; empty for a setting no option names
  std::string_view shortName = {};  // "-I"; empty when there is none
  OptionKind kind = OptionKind::Flag;
  KeywordTableId table = kNoKeywordTable;  // the keyword table of a Keyword option
  FieldRef field = {};             // where the value goes; none for the pass's own options
  StepFlag step = StepFlag::None;  // the step the option switches on
  OptionPlace place = OptionPlace::Anywhere;
  PassAction action = PassAction::None;
  bool clears = false;           // a flag that clears its field instead of setting it
  std::string_view format = {};  // the output format whose option this is
  EchoLine echo = {};
  Check check = {};
  std::string_view valueName = {};    // the value in the documentation; empty: from the kind
  std::string_view unit = {};         // "pixels", "degrees", ...
  std::string_view defaultText = {};  // the default in words where the records' value says none
  std::string_view help = {};         // one or two sentences for the documentation
  Usage usage = {};                   // its line in the usage text of --help, if any
};

// A group of options as the documentation presents them; the debug echo follows the same order.
struct OptionSection {
  std::string_view title;
  std::string_view intro;  // a paragraph before the options; may be empty
  std::span<const OptionRow> rows;
};

// Every section, in echo order. The --XXX-BPP rows are made from the output format rows.
std::span<const OptionSection> OptionSections();

// Every row of every section, in echo order.
std::span<const OptionRow> OptionRows();

// The row named name (upper case, long form); null when there is none.
const OptionRow* FindRow(std::string_view name);

// Turns on a step flag in the records.
void SwitchOnStep(StepFlag step, ConversionSettings& settings, JobRecord& job);

// True when the step's flag is on in the settings.
bool IsStepOn(StepFlag step, const ConversionSettings& settings);

// True when the driver shows the row's line (and so runs its check) for this output format.
bool IsShown(const OptionRow& row, const ConversionSettings& settings, const JobRecord& job,
             std::string_view outputFormat);

// The row's own value as the debug echo shows it: a keyword in lower case, a flag as 1 or 0, a
// decimal with two places; empty for an optional field that holds nothing.
std::string FieldText(const OptionRow& row, const ConversionSettings& settings,
                      const JobRecord& job);

// The row's debug line after its label: FieldText, then that of its joined option.
std::string EchoText(const OptionRow& row, const ConversionSettings& settings,
                     const JobRecord& job);

// True when the row's value passes its check. FontLoads is left to the caller (true here).
bool PassesCheck(const OptionRow& row, const ConversionSettings& settings, const JobRecord& job);
