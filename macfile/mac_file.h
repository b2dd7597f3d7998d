// macfile/mac_file.h: what the program asks of a file that may hold a Macintosh file in a
// wrapper, by its path. Input collection asks whether it is a wrapper and which 'PICT'
// resources it holds, and keeps none of its bytes; the conversion of one picture asks for the
// bytes of one resource, or of the data fork, again by the path. And where the data fork of an
// AppleDouble sidecar is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "macfile/resource_map.h"
#include "macfile/wrapper.h"

namespace macfile {

// A wrapper's name, type and forks as input collection needs them, without their bytes.
struct MacFileListing {
  // None: the file is no wrapper, or could not be read (refusal says why then).
  Wrapper wrapper = Wrapper::None;
  std::string name, type;  // as MacFile has them
  uint64_t dataForkSize = 0;
  std::vector<PictResource> picts;  // the 'PICT' resources in id order
  // Why a recognised wrapper cannot be read (a bad CRC, a fork past the end, a damaged map);
  // empty when it can. A damaged resource map leaves name, type and the data fork's size
  // as the wrapper gave them, and no resources.
  std::string refusal;
};

// The listing of a file's bytes.
MacFileListing ListMacFile(std::span<const uint8_t> file);

// The listing of the file at path. Reads its first kRecognitionBytes, and the whole file only
// when they show a wrapper; a wrapper larger than kMaxFileBytes is refused unread.
MacFileListing ListMacFile(const std::string& path);

// The data of the 'PICT' resource with this id in the wrapper at path, as the listing showed it.
// Nothing, with the reason in message, when the file cannot be read, is no wrapper, is
// damaged, holds no 'PICT' resource of that id, or holds a compressed one.
std::optional<std::string> ReadPictResource(const std::string& path, int id, std::string& message);

// The data fork of the wrapper at path: the picture itself when the wrapper says its type is
// 'PICT'. Nothing, with the reason in message, when the file cannot be read, is no wrapper or
// is damaged.
std::optional<std::string> ReadDataFork(const std::string& path, std::string& message);

// The path of the data fork an AppleDouble sidecar belongs to, by the layouts that keep them:
// "dir/._name" beside its data fork (macOS on foreign volumes, tar, unar), "dir/.AppleDouble/name"
// (netatalk) and "top/__MACOSX/dir/._name" (zip files from macOS, whose __MACOSX/ mirrors the
// tree beside it) all give "dir/name" ("top/dir/name"). Nothing when the path is no sidecar's
// (netatalk's ".Parent", which belongs to its folder, included). Only the text is looked at.
std::optional<std::string> SidecarDataForkPath(std::string_view path);

}  // namespace macfile
