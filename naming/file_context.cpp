#include "naming/file_context.h"

#include <random>
#include <string_view>

// A uniform random integer from 1 to 99999.
static int32_t DrawRandomNumber() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<int32_t>(1, 99999)(generator);
}

FileNumbers FirstFileNumbers() { return {DrawRandomNumber(), 1}; }

FileNumbers NextFileNumbers(const FileNumbers& numbers) {
  return {DrawRandomNumber(), numbers.counter + 1};
}

std::string PartLabel(const FileContext& file) {
  if (!file.macPart) return {};
  if (!file.macPart->isResource) return "data fork";
  return "PICT " + std::to_string(file.macPart->resourceId);
}

std::string InputLabel(const FileContext& file) {
  return file.macPart ? file.inputPath + " (" + PartLabel(file) + ")" : file.inputPath;
}

const std::string& NamedAfter(const FileContext& file) {
  return file.macPart ? file.macPart->namedAfter : file.inputPath;
}

// A resource name is any 255 bytes a Mac user typed: "/" would make a folder of it and "\" one
// on shares, control characters spoil listings, and a name of dots alone would be a folder's.
static std::string SafeResourceName(std::string_view name) {
  constexpr size_t kMaxBytes = 64;
  std::string safe;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    safe += byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' ? '_' : c;
  }
  if (safe.size() > kMaxBytes) {
    size_t end = kMaxBytes;
    // Never in the middle of a letter of UTF-8: back to the start of the one cut.
    while (end > 0 && (static_cast<unsigned char>(safe[end]) & 0xC0) == 0x80) --end;
    safe.resize(end);
  }
  const size_t first = safe.find_first_not_of(" .");
  if (first == std::string::npos) return {};
  return safe.substr(first, safe.find_last_not_of(" .") - first + 1);
}

std::string ResourceText(const FileContext& file) {
  if (!file.macPart || !file.macPart->isResource) return {};
  std::string text = "PICT-" + std::to_string(file.macPart->resourceId);
  const std::string name = SafeResourceName(file.macPart->resourceName);
  if (!name.empty()) text += " " + name;
  return text;
}
