// batch/report.h: the run's report (--REPORT): one JSON object per input, in input order, each
// appended as its input settles, so that a run ended at any moment leaves a file of whole
// records, one a line (JSON Lines).
#pragma once

#include <string>
#include <vector>

#include "pipeline/convert_file.h"
#include "platform/append_file.h"

// How an input ended.
enum class InputStatus { Converted, Failed, Skipped };

// One input's record. The texts are those of its lines on standard error.
struct ReportEntry {
  std::string input;
  // One picture of several inside the input (a 'PICT' resource of a resource fork) names itself
  // here; empty for the input's only picture.
  std::string resource;
  InputStatus status = InputStatus::Failed;
  std::vector<std::string> outputs;   // the files written for it
  std::string reason;                 // why it failed or was skipped
  std::vector<std::string> warnings;  // what was wrong with a file that converted
  // What its conversion found (decoder, picture size, notes, time); none for an input that was
  // never converted.
  const FileResult* result = nullptr;
};

class RunReport {
 public:
  // A report that records nothing, for a run without --REPORT.
  RunReport() = default;

  // Opens the report at path, appending to what is there (a resumed run keeps the record of the
  // earlier one; each record names the moment its run started). False, with the reason in
  // message, when it cannot be opened or is no regular file.
  bool Open(const std::string& path, std::string& message);

  // Appends the entry's record. False when it could not be written (a full disk), with message
  // the line that says so ("cannot write the report: REASON; it ends before INPUT"): the
  // conversion goes on, and the report ends there, since a record missing in its middle would
  // make the rest of it lie; later records are dropped without a word.
  bool Record(const ReportEntry& entry, std::string& message);

 private:
  AppendFile file_;
  bool broken_ = false;
  std::string started_;  // "2026-12-09T03:41:43Z": when the report was opened
};

// The record of entry as one line of JSON; runStarted names the run. Invalid UTF-8 in a path
// becomes U+FFFD.
std::string ReportLine(const ReportEntry& entry, const std::string& runStarted);
