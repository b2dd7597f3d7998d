#include "tests/support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/files.h"

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

StartedRun::StartedRun(const std::vector<std::string>& arguments, const RunOptions& options) {
  const std::string working =
      options.workingFolder.empty() ? scratch_.path() : options.workingFolder;
  std::string runtime = options.runtimeFolder;
  if (runtime.empty()) {
    runtime = scratch_ / "runtime";
    fs::create_directories(runtime);
  }
  std::string temp = options.tempFolder;
  if (temp.empty()) {
    temp = scratch_ / "tmp";
    fs::create_directories(temp);
  }
  std::string path = MakeToolFolder(scratch_.path(), options.withConverter);
  if (!options.extraPath.empty()) path = options.extraPath + ":" + path;
  const char* program =
      options.shortConverterDeadline ? MARROWICKCMD_SHORT_DEADLINE_PATH : MARROWICKCMD_PATH;

  int outPipe[2], inPipe[2], errors[2];
  if (pipe(outPipe) != 0 || pipe(inPipe) != 0) return;
  if (options.errorsOnTerminal) {
    // A raw terminal, so that the bytes the program writes arrive as they are.
    termios raw{};
    cfmakeraw(&raw);
    winsize size{};
    size.ws_col = 100;
    size.ws_row = 30;
    if (openpty(&errors[0], &errors[1], nullptr, &raw, &size) != 0) return;
  } else if (pipe(errors) != 0) {
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    if (options.ownGroup) setpgid(0, 0);
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errors[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errors[0], errors[1]}) close(fd);
    if (chdir(working.c_str()) != 0) _exit(127);
    // As a shell started in a terminal would leave them, whatever the test runner ignores.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(signal, SIG_DFL);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("PATH", path.c_str(), 1);
    setenv("TMPDIR", temp.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program, argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errors[1]);
  if (!options.input.empty()) {
    ssize_t ignored = write(inPipe[1], options.input.data(), options.input.size());
    (void)ignored;
  }
  close(inPipe[1]);
  outputFd_ = outPipe[0];
  errorsFd_ = errors[0];
}

StartedRun::~StartedRun() { Finish(); }

RunResult StartedRun::Finish() {
  RunResult result;
  if (finished_ || pid_ < 0) return result;
  finished_ = true;
  // Both at once: a program blocked on a full pipe would never end.
  pollfd ends[2] = {{outputFd_, POLLIN, 0}, {errorsFd_, POLLIN, 0}};
  std::string* texts[2] = {&result.output, &result.errors};
  while (ends[0].fd >= 0 || ends[1].fd >= 0) {
    if (poll(ends, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (ends[i].fd < 0 || ends[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(ends[i].fd, buffer, sizeof buffer);
      // A terminal reports the end of its last writer as an error (EIO).
      if (n <= 0) {
        close(ends[i].fd);
        ends[i].fd = -1;
        continue;
      }
      texts[i]->append(buffer, static_cast<size_t>(n));
    }
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

RunResult RunMarrowick(const std::vector<std::string>& arguments, const RunOptions& options) {
  return StartedRun(arguments, options).Finish();
}

OrphanCatcher::OrphanCatcher() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

OrphanCatcher::~OrphanCatcher() { prctl(PR_SET_CHILD_SUBREAPER, 0); }

// True when the process ends within ten seconds (see AwaitEnd); kills it otherwise.
static bool AwaitEndOf(int pid) {
  for (int wait = 0; wait < 1000; ++wait) {
    const pid_t ended = waitpid(pid, nullptr, WNOHANG);
    if (ended == pid) return true;
    // Not (yet) a child of this process: either its parent has reaped it, or it still runs.
    if (ended < 0 && errno == ECHILD && kill(pid, 0) != 0 && errno == ESRCH) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return false;
}

bool OrphanCatcher::AwaitEnd(const std::string& pidFile) const {
  int pid = 0;
  if (!(std::ifstream(pidFile) >> pid) || pid <= 0) return false;
  return AwaitEndOf(pid);
}

bool OrphanCatcher::AwaitEndOfAll(const std::string& pidFile) const {
  std::ifstream file(pidFile);
  bool ended = true;
  for (int pid = 0; file >> pid;)
    if (pid > 0 && !AwaitEndOf(pid)) ended = false;
  return ended;
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

std::map<std::string, std::string> FileBytesBelow(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().string().substr(folder.size())] =
          ReadFileBytes(entry.path().string()).value_or("");
  return files;
}
