#include "batch/collect.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>
#include <unordered_set>
#include <utility>

#include "macfile/mac_file.h"
#include "pict/sniff.h"
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

// The extensions the wrappers usually carry; a file with one of them, or with none, is an input
// of a --mac-files run whose trouble (empty, a link that leads nowhere) is worth a line.
constexpr std::string_view kWrapperExtensions[] = {"hqx", "bin", "macbin", "rsrc", "as", "ad"};

// The files of one run as they are admitted; a path admitted once is passed over after.
class InputList {
 public:
  explicit InputList(const InputSource& source)
      : inputFolder_(source.folder), listRoot_(source.listRoot), macFiles_(source.macFiles) {}

  // Admits one file met in a folder tree or named by the user (named: a list line or the
  // input file, which is an input whatever its name).
  void Add(const std::string& path, bool named) {
    const PathInfo info = QueryPath(path);
    const bool candidate = named || MayBeInput(path);
    if (info.kind == PathKind::Missing) {
      if (!candidate) return;
      PassOver(path, IsSymbolicLink(path) ? "a symbolic link that leads nowhere" : "no such file");
    } else if (!IsRegularFile(path)) {
      if (candidate) PassOver(path, "not a regular file (a FIFO, socket or device)");
    } else if (info.size == 0) {
      if (candidate) PassOver(path, "the file is empty");
    } else if (macFiles_) {
      AddByContent(path, named);
    } else if (IsAcceptedInputFile(path)) {
      Admit(path, std::nullopt);
    } else if (named) {
      PassOver(path,
               "not a PICT file by its name (.pic, .pict, .pct; --mac-files reads files "
               "by their content)");
    }
  }

  void PassOver(const std::string& path, std::string reason) {
    collection_.passedOver.push_back({path, std::move(reason)});
  }

  InputCollection Take() { return std::move(collection_); }

 private:
  // Whether a file is an input by its name: a picture extension; with --mac-files also none, a
  // wrapper's, or an AppleDouble sidecar's place.
  bool MayBeInput(const std::string& path) const {
    if (IsAcceptedInputFile(path)) return true;
    if (!macFiles_) return false;
    std::string extension;
    if (!HasExtension(std::string(FilePart(path)), extension)) return true;
    return std::ranges::find(kWrapperExtensions, ToLower(extension)) !=
               std::end(kWrapperExtensions) ||
           macfile::SidecarDataForkPath(path).has_value();
  }

  // A --mac-files run looks at what the file holds: a PICT is the file it is (whatever its
  // name), a wrapper gives its 'PICT' data fork and resources, and a file with a picture
  // extension that is neither is admitted as before, so that the decoders may try it.
  void AddByContent(const std::string& path, bool named) {
    const std::optional<std::string> sidecarOf = macfile::SidecarDataForkPath(path);
    std::string extension;
    const bool pictureName = IsAcceptedInputFile(path);
    if (!sidecarOf && (pictureName || !HasExtension(std::string(FilePart(path)), extension))) {
      std::string unreadable;
      const std::optional<std::string> start = ReadFileStart(path, kPictSniffBytes, unreadable);
      if (!start) {
        // Its conversion will say why it cannot be read, as without --mac-files.
        if (pictureName)
          Admit(path, std::nullopt);
        else
          PassOver(path, "cannot read it: " + unreadable);
        return;
      }
      const auto* bytes = reinterpret_cast<const uint8_t*>(start->data());
      if (pict::IsPictFile({bytes, start->size()})) {
        Admit(path, std::nullopt);
        return;
      }
    }
    const macfile::MacFileListing listing = macfile::ListMacFile(path);
    if (listing.wrapper == macfile::Wrapper::None) {
      if (pictureName)
        Admit(path, std::nullopt);
      else if (!listing.refusal.empty() && (named || MayBeInput(path)))
        PassOver(path, listing.refusal);
      else if (named)
        PassOver(path, "neither a PICT picture nor a Macintosh file in a wrapper");
      return;
    }
    if (!listing.refusal.empty()) {
      PassOver(path, listing.refusal);
      return;
    }
    // A sidecar's pictures are named after its data fork and land where its output would.
    const bool sidecar = sidecarOf && listing.wrapper == macfile::Wrapper::AppleDouble;
    MacPart part{.namedAfter = sidecar ? *sidecarOf : path};
    if (listing.type == "PICT" && listing.dataForkSize > 0) {
      part.isResource = false;
      Admit(path, part);
      part.isResource = true;
    }
    for (const macfile::PictResource& resource : listing.picts) {
      part.resourceId = resource.id;
      part.resourceName = resource.name;
      Admit(path, part);
    }
  }

  void Admit(const std::string& path, const std::optional<MacPart>& part) {
    std::string key = path;
    if (part) key += part->isResource ? "\n" + std::to_string(part->resourceId) : "\nd";
    if (!keys_.insert(std::move(key)).second) return;
    const std::string& namedAfter = part ? part->namedAfter : path;
    if (listRoot_.empty()) {
      collection_.entries.push_back(
          {.path = path,
           .relativeSubfolder = RelativeSubfolder(namedAfter, inputFolder_),
           .macPart = part});
      return;
    }
    const std::optional<std::string> subfolder = SubfolderBelowRoot(namedAfter, listRoot_);
    collection_.entries.push_back({.path = path,
                                   .relativeSubfolder = subfolder.value_or(""),
                                   .macPart = part,
                                   .outsideListRoot = !subfolder});
  }

  // What pict::IsPictFile looks at: the preamble of a PICT document and the picture's start.
  static constexpr size_t kPictSniffBytes = 528;

  const std::string inputFolder_;
  const std::string listRoot_;
  const bool macFiles_;
  InputCollection collection_;
  std::unordered_set<std::string> keys_;  // the path, and the part of a Macintosh file
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
    std::string unreadable;
    auto names = ListFolder(folder, unreadable);
    if (!names) {
      list_.PassOver(folder, "cannot read the folder: " + unreadable);
      return;
    }
    // Sorted, so that a run numbers and names its files the same way on every machine.
    std::sort(names->begin(), names->end());
    for (const std::string& name : *names) {
      const std::string path = folder + name;
      if (!IsFolder(path)) {
        list_.Add(path, false);
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

// Each line names a file or a folder; blank lines are passed over, and so are lines naming
// nothing, with their line number. One walk serves every line, so that a folder named twice, or
// inside another one named, is scanned once.
static void ReadListFile(const std::string& listPath, InputList& list) {
  std::string unreadable;
  const auto content = ReadFileBytes(listPath, unreadable);
  if (!content) {
    list.PassOver(listPath, "cannot read the list: " + unreadable);
    return;
  }
  FolderWalk walk(list);
  size_t number = 0;
  for (const std::string& raw : TextLines(*content, TextEncoding::Utf8)) {
    ++number;
    const std::string line(Trim(raw, " "));
    if (line.empty()) continue;
    const PathInfo info = QueryPath(line);
    if (info.kind == PathKind::Missing) {
      list.PassOver(line, std::string(IsSymbolicLink(line) ? "a symbolic link that leads nowhere"
                                                           : "no such file or folder") +
                              " (line " + std::to_string(number) + " of " + listPath + ")");
    } else if (info.kind == PathKind::Folder) {
      walk.Scan(line.back() == '/' ? line : line + "/");
    } else {
      list.Add(line, true);
    }
  }
}

InputCollection CollectInputs(const InputSource& source) {
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
    list.Add(source.file, true);
  return list.Take();
}
