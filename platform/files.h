// platform/files.h: the file system as the rest of the program sees it. Paths are UTF-8 and
// use "/" as separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class PathKind { Missing, Folder, File };

struct PathInfo {
  PathKind kind = PathKind::Missing;
  int64_t size = 0;  // bytes, for files only
};

// What is at path (symbolic links followed).
PathInfo QueryPath(const std::string& path);

// Size of the file at path; nothing when it is missing or a folder.
std::optional<int64_t> FileSize(const std::string& path);

bool IsFolder(const std::string& path);

// Where a folder lives: the same pair for every path that leads to it, through links or not.
struct FolderIdentity {
  uint64_t device = 0, inode = 0;
  auto operator<=>(const FolderIdentity&) const = default;
};

// The identity of the folder at path (symbolic links followed); nothing when it is no folder.
std::optional<FolderIdentity> IdentifyFolder(const std::string& path);

// True when path itself is a symbolic link, whatever it leads to (or when it leads nowhere).
bool IsSymbolicLink(const std::string& path);

// True when path leads to a regular file (symbolic links followed): one that can be opened and
// read without waiting, unlike a FIFO, a socket or a device.
bool IsRegularFile(const std::string& path);

// Names of the entries of a folder (without "." and ".."), in the order the file system
// gives them; nothing when it cannot be read (the second form says why).
std::optional<std::vector<std::string>> ListFolder(const std::string& folder);
std::optional<std::vector<std::string>> ListFolder(const std::string& folder, std::string& message);

// Creates one folder level; true when it exists afterwards.
bool MakeFolder(const std::string& path);

// Deletes a file whatever its permission bits; true when it is gone afterwards.
bool RemoveFile(const std::string& path);

// Renames over an existing target; true on success. The second form says why not.
bool RenameFile(const std::string& from, const std::string& to);
bool RenameFile(const std::string& from, const std::string& to, std::string& message);

// The whole content of a file; nothing when it cannot be read (the second form says why).
std::optional<std::string> ReadFileBytes(const std::string& path);
std::optional<std::string> ReadFileBytes(const std::string& path, std::string& message);

// The first maxBytes bytes of a file, all of it when it is shorter; nothing when it cannot be
// read, and message says why. For a look at a file's start before it is read whole.
std::optional<std::string> ReadFileStart(const std::string& path, size_t maxBytes,
                                         std::string& message);

// Creates or replaces the file with data; true when every byte was written. The second form
// says why not in message ("Permission denied", "No space left on device").
bool WriteFileBytes(const std::string& path, const std::string& data);
bool WriteFileBytes(const std::string& path, const std::string& data, std::string& message);

// Creates path as a new, empty file, never taking one that exists (mode 0666 less the umask).
// 0 on success, else the system's error number (EEXIST when something is there).
int CreateNewFile(const std::string& path);

// The system's words for an error number ("Permission denied").
std::string ErrorText(int error);

// Last-modification time in UTC seconds; nothing when it cannot be read.
std::optional<int64_t> ModificationTime(const std::string& path);

// Sets only the last-modification time (UTC seconds); the access time is left alone.
bool SetModificationTime(const std::string& path, int64_t utcSeconds);

// The path itself when it begins with "/", else the current directory + "/" + path; when the
// current directory cannot be read, "./" + path. Either way a program handed the result cannot
// take it for an option ("-x"), a list of files ("@x") or a format prefix ("png:x").
std::string AbsolutePath(const std::string& path);

// The folder at path as an absolute path with every link and "." or ".." resolved, ending in
// "/"; nothing when no folder is there.
std::optional<std::string> ResolvedFolder(const std::string& path);

// Folder of the running executable, ending in "/".
std::string ProgramFolder();

// File name of the running executable without folder and extension.
std::string ProgramName();

// The system's temporary folder: $TMPDIR, else /tmp, as an absolute path ending in "/".
std::string TemporaryFolder();

// Removes a folder and everything in it; true when it is gone.
bool RemoveFolderTree(const std::string& folder);
