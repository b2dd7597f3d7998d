#include "settings/settings.h"

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
}
