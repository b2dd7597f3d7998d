// app/options.h: the option pass over the command-line parameters.
#pragma once

#include <string>
#include <vector>

#include "settings/settings.h"

// What the pass read: the run's two records, and the main flow's own flags.
struct OptionPassResult {
  ConversionSettings settings;  // from the command-line defaults, as the options left them
  JobRecord job;
  bool quiet = false;
  bool pause = false;
  bool exitStatus = false;  // --EXIT-STATUS: the exit code tells what happened
  std::string error;  // empty, "Incorrect number of parameters" or "Invalid profile file"
  // What was ignored and why, for standard error, in the order met: unknown options and stray
  // parameters, keywords not in their table, the same in the profiles applied.
  std::vector<std::string> notices;
};

// The upper-cased name of parameter index ("" for a stray value or an index past the end).
std::string OptionName(const std::vector<std::string>& parameters, size_t index);

// The value of parameter index: after the first "=" of a "--" option, else the whole
// trimmed parameter.
std::string OptionValue(const std::vector<std::string>& parameters, size_t index);

// Reads the parameters into fresh records (the command-line defaults), applying profiles at
// their place; stops at the first error, keeping what came before it.
OptionPassResult RunOptionPass(const std::vector<std::string>& parameters);
