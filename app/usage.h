// app/usage.h: the short usage text of --help, its option lines made from the option rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The lines of the usage text for the program named program: examples, then the options of the
// rows that have a usage line, group by group, with the front end's own -h and -v.
std::vector<std::string> UsageText(std::string_view program);
