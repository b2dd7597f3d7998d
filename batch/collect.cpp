#include "batch/collect.h"

#include <algorithm>

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

int32_t ScanFolderTree(const std::string& folder) {
  auto names = ListFolder(folder);
  if (!names) return 0;
  // Sorted, so that a run numbers and names its files the same way on every machine.
  std::sort(names->begin(), names->end());
  int32_t admitted = 0;
  for (const std::string& name : *names) {
    const std::string path = folder + name;
    if (IsFolder(path))
      admitted += ScanFolderTree(path.back() == '/' ? path : path + "/");
    else
      admitted += AddInputFile(path);
  }
  return admitted;
}

// Each line names a file or a folder; blank and missing lines are passed over.
static int32_t ReadListFile(const std::string& listPath) {
  const auto content = ReadFileBytes(listPath);
  if (!content) return 0;
  int32_t admitted = 0;
  for (const std::string& raw : TextLines(*content, TextEncoding::Utf8)) {
    const std::string line(Trim(raw, " "));
    if (line.empty()) continue;
    const PathInfo info = QueryPath(line);
    if (info.kind == PathKind::Missing) continue;
    if (info.kind == PathKind::Folder)
      admitted += ScanFolderTree(line.back() == '/' ? line : line + "/");
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
