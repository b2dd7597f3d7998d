#include "settings/settings.h"

#include "platform/clock.h"
#include "platform/files.h"

ConversionSettings DefaultSettings(bool commandLine) {
  ConversionSettings settings;
  settings.resize.keepAspectRatio = !commandLine;
  settings.naming.customTimestamp = static_cast<int32_t>(LocalNowSeconds());
  return settings;
}

JobRecord NewJobRecord() {
  JobRecord job;
  job.programFolder = ProgramFolder();
  return job;
}
