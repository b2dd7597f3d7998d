// platform/console.h: line output, the terminal title, text on a terminal's standard error and
// waiting for a key.
#pragma once

#include <string_view>

// Writes the UTF-8 text and "\n" to standard output and flushes at once.
void PrintLine(std::string_view text);

// Sets the terminal title when standard output is a terminal; otherwise does nothing.
void SetConsoleTitle(std::string_view title);

// Makes a closed standard output an ignored write error instead of the end of the process,
// so that `marrowickcmd -h | head -1` still exits with code 0.
void IgnoreBrokenPipe();

// True when standard error is a terminal.
bool IsErrorTerminal();

// The width in columns of the terminal on standard error; 0 when it is not one or does not say.
int ErrorTerminalColumns();

// Writes the bytes to standard error as they are, without a line end.
void WriteError(std::string_view bytes);

// Waits for one key: on a terminal without echo or line buffering; otherwise reads one byte
// and returns at end of input.
void WaitForKey();
