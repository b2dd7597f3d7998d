#include "batch/collect.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>
#include <unordered_set>
#include <utility>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"

bool HasExtension(const std::string& path, std::string& extension) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  if (path[dot - 1] == '/' || path[dot - 1] == '\\') return false;
  const std::string after = path.substr(dot + 1);
  if (after.find_first_of(" /\\") != std::string::npos) return false;
  extension = after;
  return true;
}

std::string RelativeSubfolder(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty()) return {};
  const std::string_view folderPart = FolderPart(path);
  // Only the leading input folder goes: the same text further down is a real subfolder.
  if (folderPart.substr(0, folder.size()) != folder) return {};
  return std::string(folderPart.substr(folder.size()));
}

std::optional<std::string> SubfolderBelowRoot(const std::string& path, const std::string& root) {
  const std::optional<std::string> folder =
      ResolvedFolder(std::string(FolderPart(AbsolutePath(path))));
  if (!folder || !folder->starts_with(root)) return std::nullopt;
  return folder->substr(root.size());
}

namespace {

// The files of one run as they are admitted; a path admitted once is passed over after.
class InputList {
 public:
  explicit InputList(const InputSource& source)
      : inputFolder_(source.folder), listRoot_(source.listRoot) {}

  // Admits one file: non-empty, with an accepted extension, not yet in the list.
  void Add(const std::string& path) {
    if (FileSize(path) == 0 || !IsAcceptedInputFile(path)) return;
    if (!paths_.insert(path).second) return;
    if (listRoot_.empty()) {
      entries_.push_back({path, RelativeSubfolder(path, inputFolder_)});
      return;
    }
    const std::optional<std::string> subfolder = SubfolderBelowRoot(path, listRoot_);
    entries_.push_back({path, subfolder.value_or(""), !subfolder});
  }

  std::vector<InputEntry> Take() { return std::move(entries_); }

 private:
  const std::string inputFolder_;
  const std::string listRoot_;
  std::vector<InputEntry> entries_;
  std::unordered_set<std::string> paths_;
};

// The folder trees of one import. Each folder is entered once, however many links lead to it,
// so that a link back to a parent cannot make the walk endless and no file comes in twice under
// two path texts. Real subfolders are walked before the folders links lead to, so that a file
// keeps its real path (and subfolder) when a link leads to it as well.
class FolderWalk {
 public:
  explicit FolderWalk(InputList& list) : list_(list) {}

  // Admits every file of the tree below folder (ending in "/") not yet entered by this walk,
  // then of the folders its links lead to.
  void Scan(const std::string& folder) {
    WalkRealFolders(folder);
    while (!links_.empty()) {
      const std::string linked = std::move(links_.front());
      links_.pop_front();
      WalkRealFolders(linked);
    }
  }

 private:
  InputList& list_;
  std::set<FolderIdentity> entered_;
  std::deque<std::string> links_;  // folders reached through a link, in the order met

  // Admits the files of folder and of its real subfolders; links to folders wait in links_.
  void WalkRealFolders(const std::string& folder) {
    const std::optional<FolderIdentity> identity = IdentifyFolder(folder);
    if (!identity || !entered_.insert(*identity).second) return;
    auto names = ListFolder(folder);
    if (!names) return;
    // Sorted, so that a run numbers and names its files the same way on every machine.
    std::sort(names->begin(), names->end());
    for (const std::string& name : *names) {
      const std::string path = folder + name;
      if (!IsFolder(path)) {
        list_.Add(path);
        continue;
      }
      const std::string subfolder = path.back() == '/' ? path : path + "/";
      if (IsSymbolicLink(path))
        links_.push_back(subfolder);
      else
        WalkRealFolders(subfolder);
    }
  }
};

}  // namespace

// Each line names a file or a folder; blank and missing lines are passed over. One walk serves
// every line, so that a folder named twice, or inside another one named, is scanned once.
static void ReadListFile(const std::string& listPath, InputList& list) {
  const auto content = ReadFileBytes(listPath);
  if (!content) return;
  FolderWalk walk(list);
  for (const std::string& raw : TextLines(*content, TextEncoding::Utf8)) {
    const std::string line(Trim(raw, " "));
    if (line.empty()) continue;
    const PathInfo info = QueryPath(line);
    if (info.kind == PathKind::Missing) continue;
    if (info.kind == PathKind::Folder)
      walk.Scan(line.back() == '/' ? line : line + "/");
    else
      list.Add(line);
  }
}

std::vector<InputEntry> CollectInputs(const InputSource& source) {
  InputList list(source);
  if (!source.folder.empty()) {
    FolderWalk(list).Scan(source.folder);
    return list.Take();
  }
  std::string extension;
  HasExtension(source.file, extension);
  extension = ToLower(extension);
  if (extension == "txt" || extension == "lst")
    ReadListFile(source.file, list);
  else
    list.Add(source.file);
  return list.Take();
}
