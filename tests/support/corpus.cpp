#include "tests/support/corpus.h"

#include <cstdlib>
#include <filesystem>

// $QUILLMERE_CORPUS; null when it is unset or empty.
static const char* ConfiguredCorpus() {
  const char* configured = std::getenv("QUILLMERE_CORPUS");
  return configured && *configured ? configured : nullptr;
}

static std::string CorpusFolder() { return ConfiguredCorpus() ? ConfiguredCorpus() : CORPUS_DIR; }

bool IsCorpusRequired() { return ConfiguredCorpus() != nullptr; }

std::string MissingCorpusReason() {
  const std::string folder = CorpusFolder();
  std::error_code error;
  if (std::filesystem::is_directory(folder + "/pict-synthetic", error) &&
      std::filesystem::is_directory(folder + "/pict-real", error))
    return {};
  return "no PICT corpus at " + folder + " (set QUILLMERE_CORPUS to the folder that holds " +
         "pict-synthetic/ and pict-real/)";
}

std::string Corpus(const std::string& relative) { return CorpusFolder() + "/" + relative; }
