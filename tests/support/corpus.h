// tests/support/corpus.h: the PICT corpus for the tests that need real files. It is looked for
// where $QUILLMERE_CORPUS says, else beside the checkout (../shared/corpus). Without it those
// tests skip with the reason, unless $QUILLMERE_CORPUS is set: then a missing corpus fails them,
// so that a run that is meant to have it (CI) cannot pass by skipping.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Why the corpus tests cannot run here; empty when the corpus is there.
std::string MissingCorpusReason();

// True when $QUILLMERE_CORPUS is set, that is when a missing corpus is a failure.
bool IsCorpusRequired();

// Path of a corpus file, e.g. Corpus("pict-synthetic/im-rgb-3x2.pct").
std::string Corpus(const std::string& relative);

// Ends the test (or its SetUp) when the corpus is not there: skipped with the reason, or failed
// when the corpus is required.
#define REQUIRE_CORPUS()                                     \
  do {                                                       \
    const std::string missingCorpus = MissingCorpusReason(); \
    if (missingCorpus.empty()) break;                        \
    if (IsCorpusRequired()) FAIL() << missingCorpus;         \
    GTEST_SKIP() << missingCorpus;                           \
  } while (false)
