#include "macfile/mac_file.h"

#include "macfile/bytes.h"
#include "macfile/limits.h"
#include "platform/files.h"

namespace macfile {

namespace {

// The whole file at path when its first bytes show a wrapper; nothing otherwise, with the
// reason in message, or with message empty when the file is simply no wrapper.
std::optional<std::string> ReadWrapper(const std::string& path, Wrapper& wrapper,
                                       std::string& message) {
  const PathInfo info = QueryPath(path);
  std::string why;
  const std::optional<std::string> start = ReadFileStart(path, kRecognitionBytes, why);
  if (info.kind != PathKind::File || !start) {
    message = "cannot read it: " + (why.empty() ? std::string("not a file") : why);
    return std::nullopt;
  }
  wrapper = RecogniseWrapper(ToBytes(*start), uint64_t(info.size));
  if (wrapper == Wrapper::None) return std::nullopt;
  if (uint64_t(info.size) > kMaxFileBytes) {
    message = std::string(WrapperName(wrapper)) + ": " + std::to_string(info.size) +
              " bytes, more than the reader allows (" + std::to_string(kMaxFileBytes) + ")";
    return std::nullopt;
  }
  if (uint64_t(info.size) <= start->size()) return start;
  std::optional<std::string> whole = ReadFileStart(path, kMaxFileBytes, why);
  if (!whole) message = "cannot read it: " + why;
  return whole;
}

// The file at path taken out of its wrapper; nothing, with the reason, otherwise.
std::optional<MacFile> Unwrap(const std::string& path, std::string& message) {
  Wrapper wrapper = Wrapper::None;
  std::string why;
  const std::optional<std::string> file = ReadWrapper(path, wrapper, why);
  if (!file) {
    message = why.empty() ? "not a Macintosh file in a wrapper the reader knows" : why;
    return std::nullopt;
  }
  return UnwrapMacFile(ToBytes(*file), message);
}

}  // namespace

MacFileListing ListMacFile(std::span<const uint8_t> file) {
  MacFileListing listing;
  listing.wrapper = RecogniseWrapper(file, file.size());
  if (listing.wrapper == Wrapper::None) return listing;
  const std::optional<MacFile> unwrapped = UnwrapMacFile(file, listing.refusal);
  if (!unwrapped) return listing;
  listing.name = unwrapped->name;
  listing.type = unwrapped->type;
  listing.dataForkSize = unwrapped->dataFork.size();
  std::optional<std::vector<PictResource>> picts =
      ReadPictResources(ToBytes(unwrapped->resourceFork), listing.refusal);
  if (picts) listing.picts = std::move(*picts);
  return listing;
}

MacFileListing ListMacFile(const std::string& path) {
  MacFileListing listing;
  const std::optional<std::string> file = ReadWrapper(path, listing.wrapper, listing.refusal);
  return file ? ListMacFile(ToBytes(*file)) : listing;
}

std::optional<std::string> ReadPictResource(const std::string& path, int id, std::string& message) {
  const std::optional<MacFile> file = Unwrap(path, message);
  if (!file) return std::nullopt;
  const ByteView fork = ToBytes(file->resourceFork);
  const std::optional<std::vector<PictResource>> picts = ReadPictResources(fork, message);
  if (!picts) return std::nullopt;
  for (const PictResource& resource : *picts) {
    if (resource.id != id) continue;
    if (resource.compressed) {
      message = "'PICT' " + std::to_string(id) +
                " is compressed (System 7 resource compression), which the reader does not expand";
      return std::nullopt;
    }
    return ToString(ResourceData(fork, resource));
  }
  message = "no 'PICT' resource with id " + std::to_string(id);
  return std::nullopt;
}

std::optional<std::string> ReadDataFork(const std::string& path, std::string& message) {
  std::optional<MacFile> file = Unwrap(path, message);
  if (!file) return std::nullopt;
  return std::move(file->dataFork);
}

std::optional<std::string> SidecarDataForkPath(std::string_view path) {
  const size_t slash = path.rfind('/');
  const std::string_view folder = path.substr(0, slash + 1);  // empty when there is no "/"
  const std::string_view name = path.substr(slash + 1);
  // netatalk keeps "name"'s header file as ".AppleDouble/name", and the folder's own as
  // ".AppleDouble/.Parent".
  constexpr std::string_view kNetatalk = ".AppleDouble/";
  if (folder.ends_with(kNetatalk) &&
      (folder.size() == kNetatalk.size() || folder[folder.size() - kNetatalk.size() - 1] == '/')) {
    if (name.empty() || name == ".Parent") return std::nullopt;
    return std::string(folder.substr(0, folder.size() - kNetatalk.size())) + std::string(name);
  }
  if (!name.starts_with("._") || name.size() == 2) return std::nullopt;
  std::string dataFork = std::string(folder) + std::string(name.substr(2));
  // A zip file from macOS mirrors its tree under "__MACOSX/" at its top: the first such folder
  // of the path goes.
  constexpr std::string_view kZip = "__MACOSX/";
  for (size_t at = dataFork.find(kZip); at != std::string::npos; at = dataFork.find(kZip, at + 1))
    if (at == 0 || dataFork[at - 1] == '/') return dataFork.erase(at, kZip.size());
  return dataFork;
}

}  // namespace macfile
