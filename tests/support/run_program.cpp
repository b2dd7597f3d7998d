#include "tests/support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::string pattern = fs::temp_directory_path().string() + "/quillmere-test-XXXXXX";
  if (mkdtemp(pattern.data())) path_ = pattern + "/";
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  if (!path_.empty()) fs::remove_all(path_, error);
}

// A folder holding only the programs a run may find on PATH.
static std::string MakeToolFolder(const std::string& root, bool withConverter) {
  const std::string tools = root + "tools/";
  fs::create_directories(tools);
  std::error_code error;
  if (withConverter) fs::create_symlink("/usr/bin/convert", tools + "convert", error);
  fs::create_symlink("/usr/bin/JxrEncApp", tools + "JxrEncApp", error);
  fs::create_symlink("/usr/bin/JxrDecApp", tools + "JxrDecApp", error);
  return tools;
}

RunResult RunMarrowick(const std::vector<std::string>& arguments, const RunOptions& options) {
  ScratchFolder scratch;
  const std::string working =
      options.workingFolder.empty() ? scratch.path() : options.workingFolder;
  std::string runtime = options.runtimeFolder;
  if (runtime.empty()) {
    runtime = scratch / "runtime";
    fs::create_directories(runtime);
  }
  std::string temp = options.tempFolder;
  if (temp.empty()) {
    temp = scratch / "tmp";
    fs::create_directories(temp);
  }
  std::string path = MakeToolFolder(scratch.path(), options.withConverter);
  if (!options.extraPath.empty()) path = options.extraPath + ":" + path;

  int outPipe[2], inPipe[2];
  if (pipe(outPipe) != 0 || pipe(inPipe) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    close(inPipe[1]);
    close(outPipe[0]);
    if (chdir(working.c_str()) != 0) _exit(127);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("PATH", path.c_str(), 1);
    setenv("TMPDIR", temp.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(MARROWICKCMD_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(MARROWICKCMD_PATH, argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  if (!options.input.empty()) {
    ssize_t ignored = write(inPipe[1], options.input.data(), options.input.size());
    (void)ignored;
  }
  close(inPipe[1]);
  RunResult result;
  char buffer[4096];
  ssize_t n;
  while ((n = read(outPipe[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, n);
  close(outPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
  return !error;
}

int CountEntries(const std::string& folder) {
  std::error_code error;
  int count = 0;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error))
    ++count;
  return count;
}

FIBITMAP* LoadAny(const std::string& path) {
  FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path.c_str());
  if (format == FIF_UNKNOWN) return nullptr;
  return FreeImage_Load(format, path.c_str(), 0);
}
