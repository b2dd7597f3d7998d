// platform/temporary_file.h: files of the program's own under unique names (outputs being
// written, drafts, the intermediates of the converter and the writers), which a run ended by a
// signal removes too.
#pragma once

#include <string>
#include <string_view>

#include "platform/ending.h"

// A new file of ours under a unique name: made so that a run ended by a signal removes it too,
// and removed with the object unless Keep() was called (after it was renamed into place).
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  // Creates an empty file named prefix + unique letters + "." + extension in folder (ending in
  // "/"; empty: the system's temporary folder). False, with the reason in message, when none
  // can be made there.
  bool Create(const std::string& folder, std::string_view extension, std::string& message);
  const std::string& path() const { return path_; }
  void Keep();

 private:
  std::string path_;
  EndingAction removal_;
};

// prefix + letters for the digits of the local time in seconds + five random letters + suffix.
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix);
