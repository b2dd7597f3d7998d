// platform/console.h: line output, the terminal title and waiting for a key.
#pragma once

#include <string_view>

// Writes the UTF-8 text and "\n" to standard output and flushes at once.
void PrintLine(std::string_view text);

// Sets the terminal title when standard output is a terminal; otherwise does nothing.
void SetConsoleTitle(std::string_view title);

// Makes a closed standard output an ignored write error instead of the end of the process,
// so that `marrowickcmd -h | head -1` still exits with code 0.
void IgnoreBrokenPipe();

// Waits for one key: on a terminal without echo or line buffering; otherwise reads one byte
// and returns at end of input.
void WaitForKey();
