// app/options.h: the option pass over the command-line parameters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct OptionPassResult {
  bool quiet = false;
  bool pause = false;
  bool exitStatus = false;  // --EXIT-STATUS: the exit code tells what happened
  std::string error;  // empty, "Incorrect number of parameters" or "Invalid profile file"
};

// The upper-cased name of parameter index ("" for a stray value or an index past the end).
std::string OptionName(const std::vector<std::string>& parameters, size_t index);

// The value of parameter index: after the first "=" of a "--" option, else the whole
// trimmed parameter.
std::string OptionValue(const std::vector<std::string>& parameters, size_t index);

// Integers: spaces and tabs, a sign, "$" hex, "%" binary or decimal digits up to the first
// misfit; the low 32 bits.
int32_t ReadInteger(std::string_view text);

// A decimal number with "." as separator; 0 when the text does not begin with one.
float ReadDecimal(std::string_view text);

// Writes gSettings and gJob from the parameters, applying profiles at their place; stops at
// the first error.
OptionPassResult RunOptionPass(const std::vector<std::string>& parameters);
