#include "app/options.h"

// Placeholder implementation.
std::string OptionName(const std::vector<std::string>&, size_t) { return {}; }
std::string OptionValue(const std::vector<std::string>&, size_t) { return {}; }
int32_t ReadInteger(std::string_view) { return 0; }
float ReadDecimal(std::string_view) { return 0; }
OptionPassResult RunOptionPass(const std::vector<std::string>&) { return {}; }
