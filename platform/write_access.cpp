#include "platform/write_access.h"

#include <sys/stat.h>
#include <unistd.h>

bool IsReadOnlyFile(const std::string& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  // access() alone is not enough: it says yes to root whatever the bits are.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return access(path.c_str(), W_OK) != 0;
}
