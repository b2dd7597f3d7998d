// platform/process.h: starting other programs and the single-instance guard.
#pragma once

#include <string>
#include <vector>

// Starts argv[0], found on PATH, with all three standard streams on /dev/null, and waits.
// Returns false when it cannot start or does not exit with status 0.
bool RunProgram(const std::vector<std::string>& argv);

// Takes the per-user lock named "<title>.lock" for the life of the process. False when
// another process holds it (or no lock folder can be had).
bool AcquireSingleInstance(const std::string& title);
