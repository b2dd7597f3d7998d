#include "platform/temporary_file.h"

#include <cerrno>
#include <random>

#include "platform/clock.h"
#include "platform/files.h"

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
                           std::string& message) {
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
  message = "cannot create a file in " + place + ": " + ErrorText(error);
  return false;
}

void TemporaryFile::Keep() {
  removal_.Disarm();
  path_.clear();
}
