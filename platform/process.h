// platform/process.h: starting other programs and the single-instance guard.
#pragma once

#include <string>
#include <vector>

// How a program started by RunProgram ended.
struct ProgramEnd {
  bool started = false;   // false: it could not be started (not on PATH, say)
  bool timedOut = false;  // stopped at the deadline
  int exitStatus = -1;    // its exit status, when it exited by itself
  int signal = 0;         // the signal that ended it, when one did
  std::string startError;  // why it could not be started

  bool Succeeded() const { return started && !timedOut && exitStatus == 0; }
  explicit operator bool() const { return Succeeded(); }
};

// A few words for a reason line: "not found on PATH", "exit status 1", "killed by signal 11",
// "stopped after 60 s" (timeoutMilliseconds being the deadline it was given).
std::string DescribeProgramEnd(const ProgramEnd& end, int timeoutMilliseconds);

// What a program started by RunProgram gets besides its arguments.
struct ProgramSetting {
  // "NAME=value" entries put into its environment, over the variables of the same names this
  // process has; the rest of this process's environment is passed on as it is.
  std::vector<std::string> environment;
  // An existing file its standard error is appended to; empty: /dev/null.
  std::string errorFile;
};

// Starts argv[0], found on PATH, in a process group of its own with all three standard streams
// on /dev/null (standard error in setting.errorFile when one is named), and waits for it up to
// timeoutMilliseconds. At the deadline the whole group is killed; whatever the program leaves
// running in its group when it exits is killed too, and the program is always reaped. Only an
// exit status of 0 counts as success. A signal that ends this program ends the group as well
// (platform/ending.h).
ProgramEnd RunProgram(const std::vector<std::string>& argv, int timeoutMilliseconds,
                      const ProgramSetting& setting = {});

// The outcome of taking the single-instance lock.
struct InstanceLock {
  bool held = false;        // this process holds the lock for its whole life
  bool otherRun = false;    // another process holds it
  std::string path;         // the lock file
  std::string error;        // why the lock could not be taken, when no other run holds it
};

// Takes the per-user lock file "<title>.lock" (in $XDG_RUNTIME_DIR, or in a private per-user
// folder under the temporary folder) for the life of the process.
InstanceLock AcquireSingleInstance(const std::string& title);
