// BinHex 4.0: a text line that names the format, then between two colons the file in 64 of the
// printable characters, six bits each, with runs of a byte shortened to the byte, 0x90 and a
// count. The decoded stream is a header (name, type, creator, Finder flags, the two forks'
// lengths), the data fork and the resource fork, each followed by its CRC.
#include <algorithm>
#include <array>
#include <string_view>

#include "macfile/formats.h"
#include "macfile/limits.h"
#include "platform/text.h"

namespace macfile {

namespace {

constexpr std::string_view kFirstLine = "(This file must be converted with BinHex 4.0)";
constexpr std::string_view kAlphabet =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
constexpr uint8_t kRunMarker = 0x90;

bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }
bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || IsLineEnd(c); }

// Where the first line begins: at the start or after a line end, with nothing but blanks after
// it on its line. Only the recognition bytes are searched, so that the file's start and the
// whole file give the same answer.
std::optional<size_t> FirstLineAt(ByteView file) {
  const ByteView bytes = file.first(std::min<size_t>(file.size(), kRecognitionBytes));
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  for (size_t at = text.find(kFirstLine); at != std::string_view::npos;
       at = text.find(kFirstLine, at + 1)) {
    if (at > 0 && !IsLineEnd(bytes[at - 1])) continue;
    size_t end = at + kFirstLine.size();
    while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
    if (end == bytes.size() || IsLineEnd(bytes[end])) return at;
  }
  return std::nullopt;
}

// The decoded stream, produced as far as it is asked for: a few bytes beyond (a run of up to
// 255) and never the rest of a long text, so a file costs what its header announces.
class Decoding {
 public:
  Decoding(ByteView text, size_t at) : text_(text), at_(at) {
    values_.fill(-1);
    for (size_t i = 0; i < kAlphabet.size(); ++i) values_[uint8_t(kAlphabet[i])] = int8_t(i);
  }

  // Decodes until out holds size bytes, the closing colon or the end of the text; false, with
  // the reason, on a character outside the alphabet or a run with no byte before it.
  bool Fill(std::string& out, uint64_t size, std::string& message) {
    while (out.size() < size && !ended_) {
      if (at_ == text_.size()) {
        ended_ = true;
        break;
      }
      const uint8_t c = text_[at_++];
      if (IsBlank(c)) continue;
      if (c == ':') {
        ended_ = true;
        break;
      }
      if (values_[c] < 0) {
        message = "BinHex 4.0: a character that is no BinHex (byte " + std::to_string(c) +
                  " on line " + std::to_string(LineOf(at_ - 1)) + ")";
        return false;
      }
      bits_ = (bits_ << 6 | uint32_t(values_[c])) & 0xFFFF;
      bitCount_ += 6;
      if (bitCount_ < 8) continue;
      bitCount_ -= 8;
      if (!Expand(uint8_t(bits_ >> bitCount_), out)) {
        message = "BinHex 4.0: a run that repeats no byte";
        return false;
      }
    }
    return true;
  }

 private:
  // Undoes the run-length step; false for a run with no byte before it to repeat.
  bool Expand(uint8_t byte, std::string& out) {
    if (!inRun_ && byte == kRunMarker) {
      inRun_ = true;
      return true;
    }
    if (inRun_ && byte != 0) {
      inRun_ = false;
      if (last_ < 0) return false;
      out.append(byte - 1u, char(last_));
      return true;
    }
    // A byte of its own, or the marker itself when its count is 0.
    if (inRun_) byte = kRunMarker;
    inRun_ = false;
    out.push_back(char(byte));
    last_ = byte;
    return true;
  }

  size_t LineOf(size_t at) const {
    size_t line = 1;
    for (size_t i = 0; i < at; ++i)
      if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 == at || text_[i + 1] != '\n'))) ++line;
    return line;
  }

  ByteView text_;
  size_t at_;
  std::array<int8_t, 256> values_;
  uint32_t bits_ = 0;
  int bitCount_ = 0;
  bool inRun_ = false, ended_ = false;
  int last_ = -1;
};

// The stream's header after the name: version, type, creator, flags, the two lengths, CRC.
constexpr size_t kHeaderAfterName = 1 + 4 + 4 + 2 + 4 + 4 + 2;

bool CheckCrc(const std::string& stream, size_t from, size_t size, std::string_view part,
              std::string& message) {
  const ByteView bytes = ToBytes(stream);
  if (Crc16(bytes.subspan(from, size)) == U16At(bytes, from + size)) return true;
  message = "BinHex 4.0: the " + std::string(part) + " fails its CRC";
  return false;
}

}  // namespace

bool IsBinHex(ByteView start) { return FirstLineAt(start).has_value(); }

std::optional<MacFile> UnwrapBinHex(ByteView file, std::string& message) {
  const std::optional<size_t> line = FirstLineAt(file);
  if (!line) {
    message = "BinHex 4.0: no line \"" + std::string(kFirstLine) + "\"";
    return std::nullopt;
  }
  size_t at = *line + kFirstLine.size();
  while (at < file.size() && IsBlank(file[at])) ++at;
  if (at == file.size() || file[at] != ':') {
    message = "BinHex 4.0: no colon begins the data after the first line";
    return std::nullopt;
  }
  Decoding decoding(file, at + 1);
  std::string stream;
  const auto fill = [&](uint64_t size, std::string_view part) {
    if (!decoding.Fill(stream, size, message)) return false;
    if (stream.size() >= size) return true;
    message = "BinHex 4.0: the data end inside the " + std::string(part);
    return false;
  };
  if (!fill(1, "header")) return std::nullopt;
  const size_t nameLength = uint8_t(stream[0]);
  if (nameLength < 1 || nameLength > 63) {
    message =
        "BinHex 4.0: a name of " + std::to_string(nameLength) + " bytes (1 to 63 are allowed)";
    return std::nullopt;
  }
  const size_t headerSize = 1 + nameLength + kHeaderAfterName;
  if (!fill(headerSize, "header") || !CheckCrc(stream, 0, headerSize - 2, "header", message))
    return std::nullopt;
  const ByteView header = ToBytes(stream).first(headerSize);
  const size_t fields = 1 + nameLength + 1;
  const uint32_t dataSize = U32At(header, fields + 10), resourceSize = U32At(header, fields + 14);
  if (!IsForkWithinCap(Wrapper::BinHex, "data", dataSize, message) ||
      !IsForkWithinCap(Wrapper::BinHex, "resource", resourceSize, message))
    return std::nullopt;

  MacFile result;
  result.wrapper = Wrapper::BinHex;
  result.name = MacRomanToUtf8(ToString(header.subspan(1, nameLength)));
  result.type = FourBytes(header, fields);
  result.creator = FourBytes(header, fields + 4);
  const size_t dataAt = headerSize, resourceAt = dataAt + dataSize + 2;
  if (!fill(resourceAt, "data fork") || !CheckCrc(stream, dataAt, dataSize, "data fork", message) ||
      !fill(resourceAt + resourceSize + 2, "resource fork") ||
      !CheckCrc(stream, resourceAt, resourceSize, "resource fork", message))
    return std::nullopt;
  result.dataFork = stream.substr(dataAt, dataSize);
  result.resourceFork = stream.substr(resourceAt, resourceSize);
  return result;
}

}  // namespace macfile
