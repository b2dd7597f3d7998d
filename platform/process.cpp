#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "platform/child.h"
#include "platform/descriptor.h"

extern char** environ;

bool RunProgram(const std::vector<std::string>& argv, int timeoutMilliseconds) {
  if (argv.empty()) return false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  // A group of its own, so that the deadline ends whatever the program starts as well.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return false;
  WatchChildGroup(pid);
  const ChildEnd end = EndChildGroup(pid, deadline);
  return !end.killed && end.status >= 0 && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0;
}

// $XDG_RUNTIME_DIR, or a private per-user folder under the temporary folder.
static std::string LockFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    std::string folder = runtime;
    if (folder.back() != '/') folder += '/';
    return folder;
  }
  const char* base = std::getenv("TMPDIR");
  std::string folder = (base && *base) ? base : "/tmp";
  if (folder.back() != '/') folder += '/';
  folder += "quillmere-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  // Only a real folder of our own, never a link someone else planted.
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
    return {};
  return folder + "/";
}

bool AcquireSingleInstance(const std::string& title) {
  const std::string folder = LockFolder();
  if (folder.empty()) return false;
  const std::string path = folder + title + ".lock";
  UniqueFd lock(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (lock.get() < 0 || flock(lock.get(), LOCK_EX | LOCK_NB) != 0) return false;
  lock.Release();  // the descriptor stays open, and the lock held, until the process ends
  return true;
}
