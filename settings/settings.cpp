#include "settings/settings.h"

#include <random>

#include "platform/clock.h"
#include "platform/files.h"

void SetDefaultSettings(bool commandLine) {
  gSettings = ConversionSettings{};
  gSettings.resize.keepAspectRatio = !commandLine;
  gSettings.naming.customTimestamp = static_cast<int32_t>(LocalNowSeconds());
}

void ResetJob() {
  gJob = JobRecord{};
  gJob.programFolder = ProgramFolder();
  gJob.randomNumber = DrawRandomNumber();
}

int32_t DrawRandomNumber() {
  static std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<int32_t>(1, 99999)(generator);
}
