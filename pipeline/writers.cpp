#include "pipeline/writers.h"

#include <cerrno>
#include <random>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/write_access.h"

std::string UniqueLetterName(std::string_view prefix, std::string_view suffix) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, kLetters.size() - 1);
  std::string name(prefix);
  for (const char digit : std::to_string(LocalNowSeconds()))
    if (digit >= '0' && digit <= '9') name += kLetters[static_cast<size_t>(digit - '0')];
  for (int i = 0; i < 5; ++i) name += kLetters[pick(generator)];
  name += suffix;
  return name;
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) RemoveFile(path_);
}

bool TemporaryFile::Create(const std::string& folder, std::string_view extension,
                           std::string& failure) {
  const std::string place = folder.empty() ? TemporaryFolder() : folder;
  const std::string suffix = "." + std::string(extension);
  // Two names drawn in the same second differ in their five random letters; a few tries make
  // a clash with a file already there practically impossible.
  int error = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string candidate = place + UniqueLetterName("marrowick", suffix);
    const bool made = removal_.Arm([&] { return (error = CreateNewFile(candidate)) == 0; },
                                   [candidate] { RemoveFile(candidate); });
    if (made) {
      path_ = candidate;
      return true;
    }
    if (error != EEXIST) break;
  }
  failure = "cannot create a file in " + place + ": " + ErrorText(error);
  return false;
}

void TemporaryFile::Keep() {
  removal_.Disarm();
  path_.clear();
}

bool WriteOutputFile(const std::string& bytes, const std::string& outputPath,
                     const OutputFormat& format, std::string& failure) {
  TemporaryFile file;
  std::string message;
  if (!file.Create(std::string(FolderPart(outputPath)), format.extension, failure)) return false;
  if (!WriteFileBytes(file.path(), bytes, message)) {
    failure = "cannot write " + outputPath + ": " + message;
    return false;
  }
  return PlaceOutputFile(file, outputPath, format, failure);
}

bool PlaceOutputFile(TemporaryFile& draft, const std::string& outputPath,
                     const OutputFormat& format, std::string& failure) {
  // rename(2) would replace a protected file too; only DevIL's writer ever did.
  if (format.writer != Writer::Devil && IsReadOnlyFile(outputPath)) {
    failure = "cannot replace " + outputPath + ": it is read-only";
    return false;
  }
  std::string message;
  if (!RenameFile(draft.path(), outputPath, message)) {
    failure = "cannot write " + outputPath + ": " + message;
    return false;
  }
  draft.Keep();
  return true;
}

std::optional<std::string> EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture,
                                               int flags) {
  MemoryStream memory(FreeImage_OpenMemory());
  if (!memory || !FreeImage_SaveToMemory(format, picture, memory.get(), flags)) return {};
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!FreeImage_AcquireMemory(memory.get(), &data, &size) || size == 0) return {};
  return std::string(reinterpret_cast<const char*>(data), size);
}

uint32_t ReadLe32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
  return value;
}

uint16_t ReadLe16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

void WriteLe32(std::string& bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void WriteLe16(std::string& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}
