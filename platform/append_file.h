// platform/append_file.h: a file that lines are appended to, each in one write, so that a run
// ended at any moment, even by SIGKILL, leaves whole lines only.
#pragma once

#include <string>

class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens path for appending, creating it (mode 0666 less the umask) when missing. A last line
  // an earlier writer left without its end (cut short by a full disk, say) is cut off, so the
  // file holds whole lines only. False, with the reason in message ("Permission denied", "Is a
  // directory"), when it cannot be opened or written.
  bool Open(const std::string& path, std::string& message);
  bool IsOpen() const { return fd_ >= 0; }

  // Appends line and a line end in one write: the system has it at once, and a process killed
  // after it loses none of it (no sync to the disk is asked for). False,
  // with the reason in message, when it is not written whole.
  bool AppendLine(const std::string& line, std::string& message);

 private:
  int fd_ = -1;
};
