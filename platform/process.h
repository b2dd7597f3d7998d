// platform/process.h: starting other programs and the single-instance guard.
#pragma once

#include <string>
#include <vector>

// Starts argv[0], found on PATH, in a process group of its own with all three standard streams
// on /dev/null, and waits for it up to timeoutMilliseconds. At the deadline the whole group is
// killed; whatever the program leaves running in its group when it exits is killed too, and
// the program is always reaped. Returns false when it cannot start, is stopped at the deadline
// or does not exit with status 0. A signal that ends this program ends the group as well.
bool RunProgram(const std::vector<std::string>& argv, int timeoutMilliseconds);

// Takes the per-user lock named "<title>.lock" for the life of the process. False when
// another process holds it (or no lock folder can be had).
bool AcquireSingleInstance(const std::string& title);
