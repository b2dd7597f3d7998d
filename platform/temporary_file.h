// platform/temporary_file.h: files of the program's own under unique names (outputs being
// written, drafts, the intermediates of the converter and the writers), which a run ended by a
// signal removes too, and the removal of those a run ended by SIGKILL left behind.
#pragma once

#include <optional>
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
  // Creates the draft of an output in folder (ending in "/"): a file without a name (Linux's
  // O_TMPFILE), which nothing can see and no ending of any kind leaves behind, where the file
  // system allows it; else a hidden file named by IsDraftName's rule, with this run as its
  // owner. Either way path() opens it for writing, in this process and in its children. False,
  // with the reason in message, when neither can be made.
  bool CreateDraft(const std::string& folder, std::string_view extension, std::string& message);
  // A name that opens the file; for a draft without a name, its descriptor under /proc.
  const std::string& path() const { return path_; }
  // The folder the file is in (ending in "/").
  const std::string& folder() const { return folder_; }
  // Puts the file in place at target, a path in its folder: a draft without a name is linked
  // there (through a hidden name renamed over target when a file is there, so that an existing
  // file is replaced in one step or not at all), a named file renamed. The file is target's
  // then, and the object forgets it. False, with the reason in message, when it cannot be.
  bool PlaceAt(const std::string& target, std::string& message);
  void Keep();

 private:
  bool MakeNamed(const std::string& candidate, int& error);
  std::string path_;
  std::string folder_;
  std::string extension_;
  int unnamed_ = -1;  // the descriptor of a draft without a name
  EndingAction removal_;
};

// A new private folder (mode 0700) in TemporaryFolder(), ending in "/", named
// "quillmere~OWNER~XXXXXX" with this run as its owner (platform/run_owner.h).
std::optional<std::string> MakePrivateTempFolder();

// Raises this process's soft limit of open descriptors to its hard limit (at most 65536): each
// draft without a name is an open descriptor while its file is in hand, up to sixteen per job.
void RaiseOpenFileLimit();

// prefix + letters for the digits of the local time in seconds + five random letters + suffix.
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix);

// True when name (without folder) is that of a draft this program makes beside outputs:
// ".marrowick-draft~OWNER~LETTERS.EXTENSION", OWNER the run's tag (platform/run_owner.h). Sets
// owner to it.
bool IsDraftName(std::string_view name, std::string& owner);

// Removes the drafts in folder (ending in "/") whose owner is certainly gone (a run ended by
// SIGKILL, or a machine that stopped); a live run's are left alone. Returns how many it removed.
int RemoveStaleDrafts(const std::string& folder);

// Removes the private temporary folders (MakePrivateTempFolder) in the system's temporary folder
// that belong to this user and whose owner is certainly gone. Returns how many it removed.
int RemoveStalePrivateFolders();
