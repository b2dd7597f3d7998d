#include "batch/collect.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/settings.h"

bool InputFileTable::Insert(const std::string& path, const std::string& relativeSubfolder) {
  if (Contains(path)) return false;
  index_.emplace(path, entries_.size());
  entries_.push_back({path, relativeSubfolder});
  return true;
}

void InputFileTable::Clear() {
  entries_.clear();
  index_.clear();
}

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

int32_t AddInputFile(const std::string& path) {
  if (FileSize(path) == 0) return 0;
  if (!IsAcceptedInputFile(path)) return 0;
  return gInputFiles.Insert(path, RelativeSubfolder(path, gJob.input)) ? 1 : 0;
}

namespace {

// The folder trees of one import. Each folder is entered once, however many links lead to it,
// so that a link back to a parent cannot make the walk endless and no file comes in twice under
// two path texts. Real subfolders are walked before the folders links lead to, so that a file
// keeps its real path (and subfolder) when a link leads to it as well.
class FolderWalk {
 public:
  // Admits every file of the tree below folder (ending in "/") not yet entered by this walk,
  // then of the folders its links lead to; returns the number admitted.
  int32_t Scan(const std::string& folder) {
    int32_t admitted = WalkRealFolders(folder);
    while (!links_.empty()) {
      const std::string linked = std::move(links_.front());
      links_.pop_front();
      admitted += WalkRealFolders(linked);
    }
    return admitted;
  }

 private:
  std::set<FolderIdentity> entered_;
  std::deque<std::string> links_;  // folders reached through a link, in the order met

  // Admits the files of folder and of its real subfolders; links to folders wait in links_.
  int32_t WalkRealFolders(const std::string& folder) {
    const std::optional<FolderIdentity> identity = IdentifyFolder(folder);
    if (!identity || !entered_.insert(*identity).second) return 0;
    auto names = ListFolder(folder);
    if (!names) return 0;
    // Sorted, so that a run numbers and names its files the same way on every machine.
    std::sort(names->begin(), names->end());
    int32_t admitted = 0;
    for (const std::string& name : *names) {
      const std::string path = folder + name;
      if (!IsFolder(path)) {
        admitted += AddInputFile(path);
        continue;
      }
      const std::string subfolder = path.back() == '/' ? path : path + "/";
      if (IsSymbolicLink(path))
        links_.push_back(subfolder);
      else
        admitted += WalkRealFolders(subfolder);
    }
    return admitted;
  }
};

}  // namespace

int32_t ScanFolderTree(const std::string& folder) { return FolderWalk().Scan(folder); }

// Each line names a file or a folder; blank and missing lines are passed over. One walk serves
// every line, so that a folder named twice, or inside another one named, is scanned once.
static int32_t ReadListFile(const std::string& listPath) {
  const auto content = ReadFileBytes(listPath);
  if (!content) return 0;
  FolderWalk walk;
  int32_t admitted = 0;
  for (const std::string& raw : TextLines(*content, TextEncoding::Utf8)) {
    const std::string line(Trim(raw, " "));
    if (line.empty()) continue;
    const PathInfo info = QueryPath(line);
    if (info.kind == PathKind::Missing) continue;
    if (info.kind == PathKind::Folder)
      admitted += walk.Scan(line.back() == '/' ? line : line + "/");
    else
      admitted += AddInputFile(line);
  }
  return admitted;
}

int32_t CollectInputs() {
  if (!gJob.input.empty()) return ScanFolderTree(gJob.input);
  std::string extension;
  HasExtension(gJob.inputFile, extension);
  extension = ToLower(extension);
  if (extension == "txt" || extension == "lst") return ReadListFile(gJob.inputFile);
  return AddInputFile(gJob.inputFile);
}
