#include "pipeline/writers.h"

#include <cerrno>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/write_access.h"

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
  // rename(2) would replace a protected file too; only DevIL's writer ever did.
  if (format.writer != Writer::Devil && IsReadOnlyFile(outputPath)) {
    failure = "cannot replace " + outputPath + ": it is read-only";
    return false;
  }
  TemporaryFile file;
  std::string message;
  if (!file.Create(std::string(FolderPart(outputPath)), format.extension, failure)) return false;
  if (!WriteFileBytes(file.path(), bytes, message) ||
      !RenameFile(file.path(), outputPath, message)) {
    failure = "cannot write " + outputPath + ": " + message;
    return false;
  }
  file.Keep();
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
