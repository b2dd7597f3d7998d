// tests/support/run_program.h: running the built marrowickcmd in a scratch folder, and small
// helpers for pictures in tests.
#pragma once

#include <FreeImage.h>

#include <string>
#include <vector>

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard output
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
};

// Runs marrowickcmd with arguments, its own XDG_RUNTIME_DIR and TMPDIR and a controlled PATH;
// returns its exit code and standard output.
RunResult RunMarrowick(const std::vector<std::string>& arguments, const RunOptions& options = {});

// Splits output into lines (without "\n").
std::vector<std::string> Lines(const std::string& output);

// Copies a file; true on success.
bool CopyFile(const std::string& from, const std::string& to);

// Number of entries in a folder (recursively), for "nothing left behind" checks.
int CountEntries(const std::string& folder);

// Loads a picture with FreeImage by its content type; null when it cannot be read.
FIBITMAP* LoadAny(const std::string& path);
