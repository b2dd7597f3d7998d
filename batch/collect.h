// batch/collect.h: the import of a single file, a list file or a folder tree into the list of a
// run's input files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "naming/file_context.h"

// One picture of the run: a file, or a part of a Macintosh file (--mac-files).
struct InputEntry {
  std::string path;               // full path as built; no two entries of a run share it and part
  std::string relativeSubfolder;  // below the input folder or list root, ending in "/", or empty
  std::optional<MacPart> macPart = {};  // none: the file itself is the picture
  bool outsideListRoot = false;   // a list run has a root, and this file's folder is not in it
  bool upToDate = false;          // --skip-existing found its output up to date before the run
};

// An input the collection met and does not convert, and why.
struct PassedOver {
  std::string path;
  std::string reason;
};

// The pictures of a run and the inputs passed over, each in the order collection met them.
struct InputCollection {
  std::vector<InputEntry> entries;
  std::vector<PassedOver> passedOver;
};

// Where a run's inputs are: a normalised folder (ending in "/"), or else a file (a picture, or
// a list file when its extension is txt or lst); whether Macintosh files are read. listRoot
// (resolved, ending in "/"; only with a file) gives each file of the file input the subfolder
// its real folder has below that root.
struct InputSource {
  std::string folder = {};
  std::string file = {};
  bool macFiles = false;  // --mac-files
  std::string listRoot = {};
};

// The pictures of the source, in the order they were admitted: non-empty files with an accepted
// extension, each path once; with macFiles also, by their content, the 'PICT' resources (in id
// order) and 'PICT' data forks of Macintosh files in their wrappers, and PICT pictures without
// an extension. Passed over with a reason: a folder that cannot be read, a list that cannot be
// read or a line of it naming nothing, and of the files that would be inputs (a picture
// extension, a file a list names, with macFiles a name without extension or a wrapper's), an
// empty one, one that is not a regular file, a link that leads nowhere, a damaged wrapper. A
// file of a folder tree that is no input by its name or content is not mentioned. Prints
// nothing; opens only regular files, and reads a file whole only when its start shows a wrapper.
InputCollection CollectInputs(const InputSource& source);

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
