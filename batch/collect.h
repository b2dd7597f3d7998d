// batch/collect.h: the import of a single file, a list file or a folder tree into the list of a
// run's input files.
#pragma once

#include <string>
#include <vector>

struct InputEntry {
  std::string path;               // full path as built; no two entries of a run share it
  std::string relativeSubfolder;  // below the input folder, ending in "/", or empty
};

// Where a run's inputs are: a normalised folder (ending in "/"), or else a file (a picture, or
// a list file when its extension is txt or lst).
struct InputSource {
  std::string folder = {};
  std::string file = {};
};

// The files of the source, in the order they were admitted: non-empty, with an accepted
// extension, each path once. Prints nothing.
std::vector<InputEntry> CollectInputs(const InputSource& source);

// The folder part of path below folder ("/in/x/a.pic" in "/in/" gives "x/"); empty when
// either is empty or path does not lie below folder.
std::string RelativeSubfolder(const std::string& path, const std::string& folder);

// True when path has an extension: a "." not first in its component with no space, "/" or
// "\" after it. Sets extension to the text after the dot.
bool HasExtension(const std::string& path, std::string& extension);
