// platform/descriptor.h (private to platform/): the owner of an open file descriptor and the
// loop that writes all of a buffer.
#pragma once

#include <cstddef>

// One open descriptor, closed with the object; -1 holds none.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  // Closes the descriptor now; true when there was none or it closed without error.
  bool Reset();
  // Gives the descriptor up without closing it.
  int Release();

 private:
  int fd_;
};

// Writes all size bytes, again after interruptions; false when a write fails.
bool WriteAll(int fd, const void* data, size_t size);

// Reads exactly size bytes, again after interruptions; false at an error or an end of file
// before that many.
bool ReadAll(int fd, void* data, size_t size);
