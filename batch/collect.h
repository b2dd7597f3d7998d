// batch/collect.h: the import of a single file, a list file or a folder tree into the list of a
// run's input files.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct InputEntry {
  std::string path;               // full path as built; no two entries of a run share it
  std::string relativeSubfolder;  // below the input folder or list root, ending in "/", or empty
  bool outsideListRoot = false;   // a list run has a root, and this file's folder is not in it
  bool upToDate = false;          // --skip-existing found its output up to date before the run
};

// Where a run's inputs are: a normalised folder (ending in "/"), or else a file (a picture, or
// a list file when its extension is txt or lst). listRoot (resolved, ending in "/"; only with a
// file) gives each file of the file input the subfolder its real folder has below that root.
struct InputSource {
  std::string folder = {};
  std::string file = {};
  std::string listRoot = {};
};

// The files of the source, in the order they were admitted: non-empty, with an accepted
// extension, each path once. Prints nothing.
std::vector<InputEntry> CollectInputs(const InputSource& source);

// The folder part of path below folder ("/in/x/a.pic" in "/in/" gives "x/"); empty when
// either is empty or path does not lie below folder.
std::string RelativeSubfolder(const std::string& path, const std::string& folder);

// The folder of path below root (a resolved folder ending in "/"), its own folder resolved
// first (links, "." and "..", relative to the current directory): "x/" or "" when it lies in
// root; nothing when it lies outside or cannot be resolved.
std::optional<std::string> SubfolderBelowRoot(const std::string& path, const std::string& root);

// True when path has an extension: a "." not first in its component with no space, "/" or
// "\" after it. Sets extension to the text after the dot.
bool HasExtension(const std::string& path, std::string& extension);
