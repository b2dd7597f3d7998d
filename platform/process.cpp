#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/child.h"
#include "platform/descriptor.h"
#include "platform/files.h"

extern char** environ;

std::string DescribeProgramEnd(const ProgramEnd& end, int timeoutMilliseconds) {
  if (!end.started) return end.startError;
  if (end.timedOut)
    return "stopped after " + (timeoutMilliseconds % 1000 == 0
                                   ? std::to_string(timeoutMilliseconds / 1000) + " s"
                                   : std::to_string(timeoutMilliseconds) + " ms");
  if (end.signal != 0) return "killed by signal " + std::to_string(end.signal);
  return "exit status " + std::to_string(end.exitStatus);
}

// This process's environment with entries put over the variables of the same names.
static std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries) {
  std::vector<std::string> environment;
  const auto nameOf = [](std::string_view entry) { return entry.substr(0, entry.find('=')); };
  for (char** variable = environ; *variable; ++variable) {
    const std::string_view entry(*variable);
    if (std::none_of(entries.begin(), entries.end(),
                     [&](const std::string& e) { return nameOf(e) == nameOf(entry); }))
      environment.emplace_back(entry);
  }
  environment.insert(environment.end(), entries.begin(), entries.end());
  return environment;
}

ProgramEnd RunProgram(const std::vector<std::string>& argv, int timeoutMilliseconds,
                      const ProgramSetting& setting) {
  ProgramEnd end;
  if (argv.empty()) return end;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2}) {
    if (fd == 2 && !setting.errorFile.empty())
      posix_spawn_file_actions_addopen(&actions, fd, setting.errorFile.c_str(), O_WRONLY | O_APPEND,
                                       0);
    else
      posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  // A group of its own, so that the deadline ends whatever the program starts as well.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  short flags = POSIX_SPAWN_SETPGROUP;
  PrepareSpawnSignals(&attributes, flags);
  posix_spawnattr_setflags(&attributes, flags);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const std::vector<std::string> environment = setting.environment.empty()
                                                   ? std::vector<std::string>{}
                                                   : EnvironmentWith(setting.environment);
  std::vector<char*> variables;
  for (const std::string& variable : environment)
    variables.push_back(const_cast<char*>(variable.c_str()));
  variables.push_back(nullptr);
  int failure = 0;
  const pid_t pid = StartWatchedChild(
      [&] {
        pid_t started = 0;
        failure = posix_spawnp(&started, args[0], &actions, &attributes, args.data(),
                               environment.empty() ? environ : variables.data());
        return failure == 0 ? started : -1;
      },
      ChildKind::Group);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (pid < 0) {
    end.startError = failure == ENOENT ? "not found on PATH" : std::strerror(failure);
    return end;
  }
  end.started = true;
  const ChildEnd child = EndChildGroup(pid, deadline);
  end.timedOut = child.killed;
  if (child.status >= 0 && WIFEXITED(child.status)) end.exitStatus = WEXITSTATUS(child.status);
  if (child.status >= 0 && WIFSIGNALED(child.status)) end.signal = WTERMSIG(child.status);
  return end;
}

// $XDG_RUNTIME_DIR, or a private per-user folder under the temporary folder; empty (with the
// reason in error) when no folder can be had.
static std::string LockFolder(std::string& error) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    std::string folder = runtime;
    if (folder.back() != '/') folder += '/';
    return folder;
  }
  const std::string folder = TemporaryFolder() + "quillmere-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = folder + ": " + std::strerror(errno);
    return {};
  }
  // Only a real folder of our own, never a link someone else planted.
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
    error = folder + ": not a private folder of this user";
    return {};
  }
  return folder + "/";
}

InstanceLock AcquireSingleInstance(const std::string& title) {
  InstanceLock result;
  const std::string folder = LockFolder(result.error);
  if (folder.empty()) return result;
  result.path = folder + title + ".lock";
  UniqueFd lock(open(result.path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (lock.get() < 0) {
    result.error = result.path + ": " + std::strerror(errno);
    return result;
  }
  if (flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
    result.otherRun = errno == EWOULDBLOCK;
    if (!result.otherRun) result.error = result.path + ": " + std::strerror(errno);
    return result;
  }
  lock.Release();  // the descriptor stays open, and the lock held, until the process ends
  result.held = true;
  return result;
}
