#include "tests/support/mac_wrappers.h"

#include <algorithm>
#include <cassert>
#include <map>
#include <utility>

#include "tests/support/pict_writer.h"

void PutU16(std::string& bytes, uint32_t value) {
  bytes += char(value >> 8 & 0xFF);
  bytes += char(value & 0xFF);
}

void PutU32(std::string& bytes, uint32_t value) {
  PutU16(bytes, value >> 16);
  PutU16(bytes, value & 0xFFFF);
}

static uint32_t U32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | uint8_t(bytes.at(at + i));
  return value;
}

static uint16_t U16(const std::string& bytes, size_t at) {
  return uint16_t(uint8_t(bytes.at(at)) << 8 | uint8_t(bytes.at(at + 1)));
}

// The polynomial's bits shifted in one at a time, as XMODEM's description gives it.
uint16_t XmodemCrc(std::string_view bytes) {
  uint32_t crc = 0;
  for (const char c : bytes)
    for (int bit = 7; bit >= 0; --bit) {
      const bool top = crc & 0x8000;
      crc = (crc << 1 | (uint8_t(c) >> bit & 1)) & 0xFFFF;
      if (top) crc ^= 0x1021;
    }
  // Sixteen zero bits more flush the register.
  for (int bit = 0; bit < 16; ++bit) {
    const bool top = crc & 0x8000;
    crc = crc << 1 & 0xFFFF;
    if (top) crc ^= 0x1021;
  }
  return uint16_t(crc);
}

ResourceForkWriter& ResourceForkWriter::Add(std::string_view type, int id, std::string data,
                                            std::optional<std::string> name) {
  assert(type.size() == 4 && "a resource type has four bytes");
  entries_.push_back({std::string(type), id, std::move(data), std::move(name)});
  return *this;
}

std::string ResourceForkWriter::Bytes() const {
  constexpr size_t kDataOffset = 256;
  // Types in the order they first appear, each with its resources in the order they came.
  std::vector<std::string> types;
  std::map<std::string, std::vector<const Entry*>> byType;
  for (const Entry& entry : entries_) {
    if (!byType.count(entry.type)) types.push_back(entry.type);
    byType[entry.type].push_back(&entry);
  }
  std::string data, names, typeList, references;
  PutU16(typeList, uint32_t(types.size() - 1));  // 0xFFFF for none
  const size_t referencesAt = 2 + 8 * types.size();
  for (const std::string& type : types) {
    const std::vector<const Entry*>& list = byType[type];
    typeList += type;
    PutU16(typeList, uint32_t(list.size() - 1));
    PutU16(typeList, uint32_t(referencesAt + references.size()));
    for (const Entry* entry : list) {
      PutU16(references, uint32_t(entry->id));
      if (entry->name) {
        PutU16(references, uint32_t(names.size()));
        names += char(entry->name->size());
        names += *entry->name;
      } else {
        PutU16(references, 0xFFFF);
      }
      references += '\0';  // attributes
      const uint32_t at = uint32_t(data.size());
      references += {char(at >> 16), char(at >> 8), char(at)};
      PutU32(references, 0);
      PutU32(data, uint32_t(entry->data.size()));
      data += entry->data;
    }
  }
  const size_t typeListAt = 28, nameListAt = typeListAt + typeList.size() + references.size();
  const size_t mapOffset = kDataOffset + data.size();
  const size_t mapLength = nameListAt + names.size();
  std::string header;
  for (const size_t value : {kDataOffset, mapOffset, data.size(), mapLength})
    PutU32(header, uint32_t(value));
  std::string fork = header + std::string(kDataOffset - header.size(), '\0') + data;
  fork += zeroCopy_ ? std::string(16, '\0') : header;
  fork += std::string(8, '\0');  // the handle, the file's number and the attributes
  PutU16(fork, uint32_t(typeListAt));
  PutU16(fork, uint32_t(nameListAt));
  return fork + typeList + references + names;
}

ForkLayout LayoutOf(const std::string& fork) {
  ForkLayout layout{U32(fork, 0), U32(fork, 4), U32(fork, 8), U32(fork, 12), 0, 0};
  layout.typeList = layout.mapOffset + U16(fork, layout.mapOffset + 24);
  layout.nameList = layout.mapOffset + U16(fork, layout.mapOffset + 26);
  return layout;
}

static std::string Padded(std::string bytes) {
  bytes.resize((bytes.size() + 127) / 128 * 128, '\0');
  return bytes;
}

// Finder type and creator in four bytes each ("" as zeros).
static std::string Code(const std::string& code) {
  std::string bytes = code;
  bytes.resize(4, '\0');
  return bytes;
}

std::string MacBinary(const MacForks& forks, int version) {
  std::string header(128, '\0');
  header[1] = char(forks.name.size());
  header.replace(2, forks.name.size(), forks.name);
  header.replace(65, 4, Code(forks.type));
  header.replace(69, 4, Code(forks.creator));
  std::string lengths;
  PutU32(lengths, uint32_t(forks.dataFork.size()));
  PutU32(lengths, uint32_t(forks.resourceFork.size()));
  std::string dates;
  PutU32(dates, 0xA5B3C1D0);  // 1991
  PutU32(dates, 0xA5B3C1D0);
  header.replace(83, 8, lengths);
  header.replace(91, 8, dates);
  if (version >= 2) {
    if (version == 3) header.replace(102, 4, "mBIN");
    header[122] = char(version == 3 ? 130 : 129);
    header[123] = char(129);
    std::string crc;
    PutU16(crc, XmodemCrc(std::string_view(header).substr(0, 124)));
    header.replace(124, 2, crc);
  }
  return header + Padded(forks.dataFork) + Padded(forks.resourceFork);
}

// The header and entry table of AppleSingle and AppleDouble, then the entries' bytes.
static std::string AppleFile(uint32_t magic, int version, std::string_view filler,
                             const std::vector<std::pair<uint32_t, std::string>>& entries) {
  std::string file;
  PutU32(file, magic);
  PutU32(file, version == 1 ? 0x00010000 : 0x00020000);
  file += filler;
  PutU16(file, uint32_t(entries.size()));
  size_t at = file.size() + 12 * entries.size();
  for (const auto& [id, bytes] : entries) {
    PutU32(file, id);
    PutU32(file, uint32_t(at));
    PutU32(file, uint32_t(bytes.size()));
    at += bytes.size();
  }
  for (const auto& entry : entries) file += entry.second;
  return file;
}

static std::string FinderInfo(const MacForks& forks) {
  return Code(forks.type) + Code(forks.creator) + std::string(24, '\0');
}

std::string AppleSingle(const MacForks& forks, int version) {
  return AppleFile(
      0x00051600, version, version == 1 ? "Macintosh       " : std::string(16, '\0'),
      {{3, forks.name}, {9, FinderInfo(forks)}, {1, forks.dataFork}, {2, forks.resourceFork}});
}

std::string AppleDouble(const MacForks& forks) {
  return AppleFile(0x00051607, 2, "Mac OS X        ",
                   {{9, FinderInfo(forks)}, {2, forks.resourceFork}});
}

// Runs of three or more bytes become the byte, 0x90 and the count; 0x90 itself is 0x90 0.
static std::string ShortenRuns(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    size_t run = 1;
    while (i + run < bytes.size() && bytes[i + run] == bytes[i] && run < 255) ++run;
    const char byte = bytes[i];
    out += byte;
    if (uint8_t(byte) == 0x90) out += '\0';
    if (run >= 3) {
      out += {char(0x90), char(run)};
    } else {
      run = 1;
    }
    i += run;
  }
  return out;
}

std::string BinHexStream(const MacForks& forks) {
  std::string header;
  header += char(forks.name.size());
  header += forks.name;
  header += '\0';  // version
  header += Code(forks.type) + Code(forks.creator);
  PutU16(header, 0);  // Finder flags
  PutU32(header, uint32_t(forks.dataFork.size()));
  PutU32(header, uint32_t(forks.resourceFork.size()));
  std::string stream;
  for (const std::string* part : {&std::as_const(header), &forks.dataFork, &forks.resourceFork}) {
    stream += *part;
    PutU16(stream, XmodemCrc(*part));
  }
  return stream;
}

std::string BinHexText(std::string_view stream, std::string_view lineEnd, std::string_view before,
                       bool shortenRuns) {
  constexpr std::string_view kAlphabet =
      "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
  std::string text = ":";
  uint32_t bits = 0;
  int count = 0;
  for (const char c : shortenRuns ? ShortenRuns(stream) : std::string(stream)) {
    bits = (bits << 8 | uint8_t(c)) & 0xFFFF;
    for (count += 8; count >= 6;) text += kAlphabet[bits >> (count -= 6) & 63];
  }
  if (count > 0) text += kAlphabet[bits << (6 - count) & 63];
  text += ':';
  std::string out = std::string(before) + "(This file must be converted with BinHex 4.0)";
  out += lineEnd;
  for (size_t at = 0; at < text.size(); at += 64) out += text.substr(at, 64) + std::string(lineEnd);
  return out;
}

std::string BinHex(const MacForks& forks, std::string_view lineEnd, std::string_view before) {
  return BinHexText(BinHexStream(forks), lineEnd, before);
}

// A small picture of its own size, as a resource holds it (no preamble) or as a file.
static std::string Picture(int width, int height, bool preamble) {
  PictWriter picture;
  if (!preamble) picture.NoPreamble();
  picture.Frame(0, 0, width, height).Op(0x31).RectData({1, 1, width - 1, height - 1}).End();
  const std::vector<uint8_t> bytes = picture.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

MacForks SampleMacFile() {
  MacForks forks;
  forks.name = "Sample \xA5 House";  // a bullet in Mac OS Roman
  forks.dataFork = Picture(9, 7, true);
  forks.resourceFork = ResourceForkWriter()
                           .Add("snd ", 1, std::string(40, '\x80'), "Boing")
                           .Add("PICT", 300, Picture(12, 5, false), "Room")
                           .Add("PICT", -5, Picture(3, 4, false))
                           .Add("ICN#", 128, std::string(256, '\x0F'))
                           .Add("PICT", 128, Picture(6, 6, false), "Caf\x8E \xAA")
                           .Bytes();
  return forks;
}

std::vector<WrappedFile> EveryWrapper(const MacForks& forks) {
  using macfile::Wrapper;
  return {
      {"BinHex, LF", Wrapper::BinHex, BinHex(forks)},
      {"BinHex, CR LF", Wrapper::BinHex, BinHex(forks, "\r\n")},
      {"BinHex, CR, after mail headers", Wrapper::BinHex,
       BinHex(forks, "\r", "From: someone\rSubject: pictures\r\r")},
      {"MacBinary I", Wrapper::MacBinary1, MacBinary(forks, 1)},
      {"MacBinary II", Wrapper::MacBinary2, MacBinary(forks, 2)},
      {"MacBinary III", Wrapper::MacBinary3, MacBinary(forks, 3)},
      {"AppleSingle 1", Wrapper::AppleSingle, AppleSingle(forks, 1)},
      {"AppleSingle 2", Wrapper::AppleSingle, AppleSingle(forks, 2)},
      {"AppleDouble", Wrapper::AppleDouble, AppleDouble(forks)},
      {"resource fork", Wrapper::ResourceFork, forks.resourceFork},
  };
}
