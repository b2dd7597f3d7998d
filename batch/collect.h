// batch/collect.h: the input file table and the import of a single file, a list file or a
// folder tree into it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct InputEntry {
  std::string path;               // full path as built, the table's key
  std::string relativeSubfolder;  // below the input folder, ending in "/", or empty
};

// Files of a run, visited in the order they were admitted; duplicates are found by a keyed
// lookup on the exact path text.
class InputFileTable {
 public:
  // False when the path is already in the table.
  bool Insert(const std::string& path, const std::string& relativeSubfolder);
  bool Contains(const std::string& path) const { return index_.count(path) != 0; }
  const std::vector<InputEntry>& entries() const { return entries_; }
  void Clear();

 private:
  std::vector<InputEntry> entries_;
  std::unordered_map<std::string, size_t> index_;
};

inline InputFileTable gInputFiles;

// Fills gInputFiles from gJob.input (a normalised folder) or gJob.inputFile (a picture or a
// list file); returns the number of files admitted. Prints nothing.
int32_t CollectInputs();

// Admits one file (non-empty, accepted extension, not yet in the table); returns 1 or 0.
int32_t AddInputFile(const std::string& path);

// Admits every file of the tree below folder (ending in "/"); returns the number admitted.
// Each folder is entered once, however many links lead to it: the real subfolders first (names
// in sorted order), then the folders that links lead to and that were not entered yet, in the
// order the links were met.
int32_t ScanFolderTree(const std::string& folder);

// The folder part of path below folder ("/in/x/a.pic" in "/in/" gives "x/"); empty when
// either is empty or path does not lie below folder.
std::string RelativeSubfolder(const std::string& path, const std::string& folder);

// True when path has an extension: a "." not first in its component with no space, "/" or
// "\" after it. Sets extension to the text after the dot.
bool HasExtension(const std::string& path, std::string& extension);
