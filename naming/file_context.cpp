#include "naming/file_context.h"

#include <random>

// A uniform random integer from 1 to 99999.
static int32_t DrawRandomNumber() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<int32_t>(1, 99999)(generator);
}

FileNumbers FirstFileNumbers() { return {DrawRandomNumber(), 1}; }

FileNumbers NextFileNumbers(const FileNumbers& numbers) {
  return {DrawRandomNumber(), numbers.counter + 1};
}
