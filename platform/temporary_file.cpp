#include "platform/temporary_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/run_owner.h"

namespace {

constexpr std::string_view kDraftPrefix = ".marrowick-draft~";
constexpr std::string_view kPrivateFolderPrefix = "quillmere~";

// The owner's tag of this process; a forked child computes its own.
const std::string& OwnTag() {
  static pid_t taggedPid = 0;
  static std::string tag;
  if (taggedPid != getpid()) {
    tag = RunOwnerTag();
    taggedPid = getpid();
  }
  return tag;
}

// The owner in "PREFIXOWNER~REST": what lies between the prefix and the next "~" (a tag holds
// none), or nothing.
std::optional<std::string> OwnerAfter(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix)) return std::nullopt;
  const std::string_view rest = name.substr(prefix.size());
  const size_t end = rest.find('~');
  if (end == std::string_view::npos || end == 0) return std::nullopt;
  return std::string(rest.substr(0, end));
}

std::string DraftName(std::string_view extension) {
  return UniqueLetterName(std::string(kDraftPrefix) + OwnTag() + "~", "." + std::string(extension));
}

}  // namespace

std::string UniqueLetterName(std::string_view prefix, std::string_view suffix) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, kLetters.size() - 1);
  std::string name(prefix);
  for (const char digit : std::to_string(LocalNowSeconds()))
    if (digit >= '0' && digit <= '9') name += kLetters[static_cast<size_t>(digit - '0')];
  for (int i = 0; i < 5; ++i) name += kLetters[pick(generator)];
  name += suffix;
  return name;
}

TemporaryFile::~TemporaryFile() {
  if (unnamed_ >= 0) {
    close(unnamed_);
    return;
  }
  if (!path_.empty()) RemoveFile(path_);
}

bool TemporaryFile::MakeNamed(const std::string& candidate, int& error) {
  const bool made = removal_.Arm([&] { return (error = CreateNewFile(candidate)) == 0; },
                                 [candidate] { RemoveFile(candidate); });
  if (made) path_ = candidate;
  return made;
}

bool TemporaryFile::Create(const std::string& folder, std::string_view extension,
                           std::string& message) {
  folder_ = folder.empty() ? TemporaryFolder() : folder;
  extension_ = extension;
  const std::string suffix = "." + std::string(extension);
  // Two names drawn in the same second differ in their five random letters; a few tries make
  // a clash with a file already there practically impossible.
  int error = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    if (MakeNamed(folder_ + UniqueLetterName("marrowick", suffix), error)) return true;
    if (error != EEXIST) break;
  }
  message = "cannot create a file in " + folder_ + ": " + ErrorText(error);
  return false;
}

bool TemporaryFile::CreateDraft(const std::string& folder, std::string_view extension,
                                std::string& message) {
  folder_ = folder;
  extension_ = extension;
  // Without a name a draft cannot be mistaken for an output, nor outlive a SIGKILL.
  const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd >= 0) {
    unnamed_ = fd;
    path_ = "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(fd);
    return true;
  }
  // A file system without unnamed files (or a run out of descriptors): a hidden name that says
  // what the file is and whose, so that a later run can tell when it is left over.
  int error = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    if (MakeNamed(folder + DraftName(extension), error)) return true;
    if (error != EEXIST) break;
  }
  message = "cannot create a file in " + folder + ": " + ErrorText(error);
  return false;
}

bool TemporaryFile::PlaceAt(const std::string& target, std::string& message) {
  std::string failure;
  if (unnamed_ < 0) {
    if (!RenameFile(path_, target, failure)) {
      message = "cannot write " + target + ": " + failure;
      return false;
    }
    Keep();
    return true;
  }
  const std::string self = "/proc/self/fd/" + std::to_string(unnamed_);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    Keep();
    return true;
  }
  int error = errno;
  // linkat replaces nothing: a file there is replaced by a rename from a hidden name, which a
  // signal between the two steps removes.
  if (error == EEXIST) {
    const std::string hidden = folder_ + DraftName(extension_);
    EndingAction hiddenRemoval;
    const bool linked = hiddenRemoval.Arm(
        [&] {
          const bool made =
              linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0;
          error = errno;
          return made;
        },
        [hidden] { RemoveFile(hidden); });
    if (linked) {
      if (RenameFile(hidden, target, failure)) {
        hiddenRemoval.Disarm();
        Keep();
        return true;
      }
      RemoveFile(hidden);
      message = "cannot write " + target + ": " + failure;
      return false;
    }
  }
  message = "cannot write " + target + ": " + ErrorText(error);
  return false;
}

void TemporaryFile::Keep() {
  removal_.Disarm();
  if (unnamed_ >= 0) close(unnamed_);
  unnamed_ = -1;
  path_.clear();
}

bool IsDraftName(std::string_view name, std::string& owner) {
  const std::optional<std::string> found = OwnerAfter(name, kDraftPrefix);
  if (!found) return false;
  owner = *found;
  return true;
}

int RemoveStaleDrafts(const std::string& folder) {
  const auto names = ListFolder(folder);
  if (!names) return 0;
  int removed = 0;
  for (const std::string& name : *names) {
    std::string owner;
    if (!IsDraftName(name, owner) || !IsRunOwnerGone(owner)) continue;
    struct stat info {};
    const std::string path = folder + name;
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && RemoveFile(path)) ++removed;
  }
  return removed;
}

void RaiseOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  const rlim_t wanted =
      limit.rlim_max == RLIM_INFINITY ? 65536 : std::min<rlim_t>(limit.rlim_max, 65536);
  if (limit.rlim_cur >= wanted) return;
  limit.rlim_cur = wanted;
  setrlimit(RLIMIT_NOFILE, &limit);
}

std::optional<std::string> MakePrivateTempFolder() {
  std::string pattern =
      TemporaryFolder() + std::string(kPrivateFolderPrefix) + OwnTag() + "~XXXXXX";
  if (!mkdtemp(pattern.data())) return std::nullopt;  // mkdtemp makes it with mode 0700
  return pattern + "/";
}

int RemoveStalePrivateFolders() {
  const std::string temporary = TemporaryFolder();
  const auto names = ListFolder(temporary);
  if (!names) return 0;
  int removed = 0;
  for (const std::string& name : *names) {
    const std::optional<std::string> owner = OwnerAfter(name, kPrivateFolderPrefix);
    if (!owner || !IsRunOwnerGone(*owner)) continue;
    // Only a real folder of this user's: a shared temporary folder holds other users' files,
    // and a link there must not lead the removal elsewhere.
    struct stat info {};
    const std::string path = temporary + name;
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
      continue;
    if (RemoveFolderTree(path + "/")) ++removed;
  }
  return removed;
}
