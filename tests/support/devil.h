// tests/support/devil.h: DevIL and ILU initialised once for a test program that saves with them.
#pragma once

#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

// Runs ilInit and iluInit before the first test. Register it once per test program, at
// namespace scope: ::testing::AddGlobalTestEnvironment(new DevilEnvironment).
struct DevilEnvironment : ::testing::Environment {
  void SetUp() override {
    ilInit();
    iluInit();
  }
};
