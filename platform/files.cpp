#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/descriptor.h"
#include "platform/text.h"

PathInfo QueryPath(const std::string& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0) return {};
  if (S_ISDIR(info.st_mode)) return {PathKind::Folder, 0};
  return {PathKind::File, static_cast<int64_t>(info.st_size)};
}

std::optional<int64_t> FileSize(const std::string& path) {
  const PathInfo info = QueryPath(path);
  if (info.kind != PathKind::File) return std::nullopt;
  return info.size;
}

bool IsFolder(const std::string& path) { return QueryPath(path).kind == PathKind::Folder; }

std::optional<FolderIdentity> IdentifyFolder(const std::string& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  return FolderIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

bool IsSymbolicLink(const std::string& path) {
  struct stat info {};
  return !path.empty() && lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::vector<std::string>> ListFolder(const std::string& folder) {
  std::string message;
  return ListFolder(folder, message);
}

std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                   std::string& message) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) {
    message = ErrorText(errno);
    return std::nullopt;
  }
  std::vector<std::string> names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(path);
}

bool RemoveFile(const std::string& path) {
  // unlink ignores the file's own permission bits, so a read-only file goes too.
  if (unlink(path.c_str()) == 0) return true;
  return errno == ENOENT;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to, std::string& message) {
  if (RenameFile(from, to)) return true;
  message = ErrorText(errno);
  return false;
}

int CreateNewFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  close(fd);
  return 0;
}

std::string ErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r, which may hand back a static text instead of filling the buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::string message;
  return ReadFileBytes(path, message);
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& message) {
  return ReadFileStart(path, std::string::npos, message);
}

std::optional<std::string> ReadFileStart(const std::string& path, size_t maxBytes,
                                         std::string& message) {
  const UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
    message = ErrorText(errno);
    return std::nullopt;
  }
  if (S_ISDIR(info.st_mode)) {
    message = ErrorText(EISDIR);
    return std::nullopt;
  }
  std::string data;
  char buffer[65536];
  while (data.size() < maxBytes) {
    const ssize_t n = read(fd.get(), buffer, std::min(sizeof buffer, maxBytes - data.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      message = ErrorText(errno);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

bool WriteFileBytes(const std::string& path, const std::string& data) {
  std::string message;
  return WriteFileBytes(path, data, message);
}

bool WriteFileBytes(const std::string& path, const std::string& data, std::string& message) {
  UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    message = ErrorText(errno);
    return false;
  }
  const bool written = WriteAll(fd.get(), data.data(), data.size());
  const int writeError = errno;
  // A full disk may show only when the file is closed.
  const bool closed = fd.Reset();
  if (written && closed) return true;
  message = ErrorText(written ? errno : writeError);
  return false;
}

std::optional<int64_t> ModificationTime(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<int64_t>(info.st_mtim.tv_sec);
}

bool SetModificationTime(const std::string& path, int64_t utcSeconds) {
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(utcSeconds);
  times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string AbsolutePath(const std::string& path) {
  if (path.starts_with('/')) return path;
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (error) return "./" + path;
  std::string absolute = current.string();
  if (!absolute.ends_with('/')) absolute += '/';
  return absolute + path;
}

std::optional<std::string> ResolvedFolder(const std::string& path) {
  if (path.empty() || !IsFolder(path)) return std::nullopt;
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string folder(resolved);
  free(resolved);
  if (!folder.ends_with('/')) folder += '/';
  return folder;
}

static std::string ExecutablePath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string ProgramFolder() {
  const std::string folder(FolderPart(ExecutablePath()));
  return folder.empty() ? std::string("./") : folder;
}

std::string ProgramName() { return BaseName(ExecutablePath()); }

std::string TemporaryFolder() {
  const char* base = std::getenv("TMPDIR");
  // Paths in it are handed to the converter, which must not read them as options.
  std::string folder = AbsolutePath((base && *base) ? base : "/tmp");
  if (folder.back() != '/') folder += '/';
  return folder;
}

bool RemoveFolderTree(const std::string& folder) {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return !error;
}
