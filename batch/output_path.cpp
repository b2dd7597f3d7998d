#include "batch/output_path.h"

// Placeholder implementation.
std::string BuildOutputPath() { return {}; }
std::string OutputFolderOfCurrentFile() { return {}; }
void EnsureOutputSubfolder() {}
void AdvanceNamingCounters() {}
void ApplyFileTimestamp(const std::string&, const std::string&) {}
