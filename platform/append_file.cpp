#include "platform/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/descriptor.h"
#include "platform/files.h"

AppendFile::~AppendFile() {
  if (fd_ >= 0) close(fd_);
}

// The length of the file up to the end of its last whole line; read from the end back, a block
// at a time.
static off_t WholeLinesLength(int fd, off_t size) {
  char block[4096];
  off_t end = size;
  while (end > 0) {
    const off_t start = end > static_cast<off_t>(sizeof block) ? end - sizeof block : 0;
    const auto length = static_cast<size_t>(end - start);
    if (pread(fd, block, length, start) != static_cast<ssize_t>(length)) return size;
    for (size_t i = length; i > 0; --i)
      if (block[i - 1] == '\n') return start + static_cast<off_t>(i);
    end = start;
  }
  return 0;
}

bool AppendFile::Open(const std::string& path, std::string& message) {
  UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  struct stat info {};
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
    message = ErrorText(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    message = "not a regular file";
    return false;
  }
  const off_t whole = WholeLinesLength(fd.get(), info.st_size);
  if (whole != info.st_size && ftruncate(fd.get(), whole) != 0) {
    message = ErrorText(errno);
    return false;
  }
  if (fd_ >= 0) close(fd_);
  fd_ = fd.Release();
  return true;
}

bool AppendFile::AppendLine(const std::string& line, std::string& message) {
  const std::string whole = line + '\n';
  // With O_APPEND each write lands at the end as one piece; WriteAll goes on after a short one.
  if (fd_ < 0 || !WriteAll(fd_, whole.data(), whole.size())) {
    message = fd_ < 0 ? "the file is not open" : ErrorText(errno);
    return false;
  }
  return true;
}
