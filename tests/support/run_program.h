// tests/support/run_program.h: running the built marrowickcmd in a scratch folder, and small
// helpers for pictures in tests.
#pragma once

#include <FreeImage.h>

#include <map>
#include <string>
#include <vector>

struct RunResult {
  int exitCode = -1;   // -1 when a signal ended the program
  int signal = 0;      // the signal that ended it, if one did
  std::string output;  // standard output
  std::string errors;  // standard error, as the pipe or the terminal received it
};

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }  // ends in "/"
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

struct RunOptions {
  std::string workingFolder;   // empty: the scratch folder of the run
  std::string runtimeFolder;   // XDG_RUNTIME_DIR; empty: a fresh one per run
  bool withConverter = true;   // PATH holds ImageMagick's convert
  std::string extraPath;       // folder put first on PATH (a fake converter)
  std::string input;           // standard input bytes
  std::string tempFolder;      // TMPDIR of the run; empty: a fresh one per run
  bool errorsOnTerminal = false;  // standard error on a terminal (100 columns) instead of a pipe
  // The copy of the program built for tests, which stops the converter after half a second.
  bool shortConverterDeadline = false;
  // A process group of its own, as a shell gives a foreground job: kill(-pid, ...) then reaches
  // the program and the workers it starts, as Ctrl-C on a terminal does.
  bool ownGroup = false;
};

// marrowickcmd started with arguments, its own XDG_RUNTIME_DIR and TMPDIR and a controlled PATH,
// and not yet waited for; the destructor finishes the run.
class StartedRun {
 public:
  StartedRun(const std::vector<std::string>& arguments, const RunOptions& options = {});
  ~StartedRun();
  StartedRun(const StartedRun&) = delete;
  StartedRun& operator=(const StartedRun&) = delete;
  int pid() const { return pid_; }  // -1 when it could not be started
  // Reads both outputs to their end and waits for the program.
  RunResult Finish();

 private:
  ScratchFolder scratch_;
  int pid_ = -1, outputFd_ = -1, errorsFd_ = -1;
  bool finished_ = false;
};

// Runs marrowickcmd to its end as StartedRun starts it; its exit and both outputs.
RunResult RunMarrowick(const std::vector<std::string>& arguments, const RunOptions& options = {});

// While it lives, this test process adopts the orphaned descendants of its children (it is
// their subreaper), so that a test can wait for the end of a process a child started.
class OrphanCatcher {
 public:
  OrphanCatcher();
  ~OrphanCatcher();
  OrphanCatcher(const OrphanCatcher&) = delete;
  OrphanCatcher& operator=(const OrphanCatcher&) = delete;
  // True when the process whose id the file holds ends within ten seconds: reaped here once it
  // is an orphan, or gone already because its own parent reaped it. False when it is still
  // running then (it is killed now) or the file holds no id.
  bool AwaitEnd(const std::string& pidFile) const;
  // The same for every id in the file, one a line; true for a file that does not exist.
  bool AwaitEndOfAll(const std::string& pidFile) const;
};

// Splits output into lines (without "\n").
std::vector<std::string> Lines(const std::string& output);

// Copies a file; true on success.
bool CopyFile(const std::string& from, const std::string& to);

// Every regular file below folder (ending in "/") with its bytes, by its path below folder.
std::map<std::string, std::string> FileBytesBelow(const std::string& folder);

// Number of entries in a folder (recursively), for "nothing left behind" checks.
int CountEntries(const std::string& folder);

// Loads a picture with FreeImage by its content type; null when it cannot be read.
FIBITMAP* LoadAny(const std::string& path);
