#include "batch/driver.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch/collect.h"
#include "batch/file_conversion.h"
#include "batch/worker.h"
#include "console/messages.h"
#include "naming/output_names.h"
#include "naming/output_path.h"
#include "naming/tokens.h"
#include "pipeline/convert_file.h"
#include "platform/ending.h"
#include "platform/files.h"
#include "platform/temporary_file.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "platform/worker_process.h"
#include "settings/formats.h"
#include "settings/option_rows.h"
#include "settings/settings.h"

namespace {

// Prints "label value" lines in debug mode only.
class Echo {
 public:
  explicit Echo(bool debug) : debug_(debug) {}
  void operator()(std::string_view label, std::string_view value) const {
    if (debug_) PrintLine(std::string(label) + std::string(value));
  }

 private:
  bool debug_;
};

// Folders given on the command line: ".." refused, relative ones resolved against the
// program's folder, "/" appended, existence required. Nothing when a check fails (message
// set).
std::optional<std::string> NormaliseFolder(std::string path, const std::string& programFolder,
                                           std::string_view incorrect, std::string_view invalid,
                                           std::string& message) {
  if (path.substr(0, 2) == "..") {
    message = incorrect;
    return std::nullopt;
  }
  if (path.empty() || path[0] != '/') {
    if (path.substr(0, 2) == "./") path.erase(0, 2);
    path = programFolder + path;
  }
  if (path.back() != '/') path += '/';
  if (!IsFolder(path)) {
    message = invalid;
    return std::nullopt;
  }
  return path;
}

// The first failure of a row's check, or nothing. The font is the one value only the pipeline
// can check.
std::optional<std::string> CheckRow(const OptionRow& row, const ConversionSettings& settings,
                                    const JobRecord& job) {
  const bool passes = row.check.kind == CheckKind::FontLoads
                          ? CanLoadRunFont(settings.watermark.text)
                          : PassesCheck(row, settings, job);
  if (passes) return std::nullopt;
  return std::string(row.check.error);
}

// Tells on standard error what an output format that is none of them may have meant: "tif is not
// an output format; did you mean tiff?", or the list of them.
void TellOutputFormats(const std::string& conversion) {
  std::vector<std::string_view> extensions;
  for (const OutputFormat& format : kOutputFormats) extensions.push_back(format.extension);
  const std::vector<std::string_view> nearest = NearestWords(conversion, extensions);
  const bool suggested = !nearest.empty();
  const std::vector<std::string_view>& named = suggested ? nearest : extensions;
  std::string line = ProgramName() + ": " + conversion + " is not an output format; " +
                     (suggested ? "did you mean " : "they are ");
  for (size_t i = 0; i < named.size(); ++i)
    line += std::string(i == 0                  ? ""
                        : i + 1 == named.size() ? " or "
                                                : ", ") +
            std::string(named[i]);
  WriteError(line + (suggested ? "?\n" : "\n"));
}

// Checks the output format and every option the run uses, in the rows' order, echoing each
// row's line before its check; a check of a whole group (the format's, a watermark's) follows
// the group's last line. Returns the first failure's message, or nothing.
std::optional<std::string> CheckSettings(const Echo& echo, const ConversionSettings& settings,
                                         const JobRecord& job) {
  if (!IsOutputExtension(job.conversion)) {
    TellOutputFormats(job.conversion);
    return "Error: Invalid conversion type";
  }
  std::vector<const OptionRow*> groupChecks;
  const EchoLine* group = nullptr;
  auto checkGroup = [&]() -> std::optional<std::string> {
    for (const OptionRow* row : groupChecks)
      if (auto failure = CheckRow(*row, settings, job)) return failure;
    groupChecks.clear();
    return std::nullopt;
  };
  for (const OptionRow& row : OptionRows()) {
    if (!IsShown(row, settings, job, job.conversion)) continue;
    if (group && (group->when != row.echo.when || group->step != row.echo.step))
      if (auto failure = checkGroup()) return failure;
    group = &row.echo;
    if (!row.echo.label.empty()) echo(row.echo.label, EchoText(row, settings, job));
    if (row.check.afterGroup) {
      groupChecks.push_back(&row);
    } else if (auto failure = CheckRow(row, settings, job)) {
      return failure;
    }
  }
  return checkGroup();
}

// Checks the input and output and settles the input kind in the job record: a file's path moves
// to inputFile, a folder is normalised, and so is the output folder. Returns the first
// failure's message, or nothing.
std::optional<std::string> CheckInputAndOutput(const Echo& echo, JobRecord& job) {
  std::string message;
  echo("Input: ", job.input);
  std::string extension;
  if (HasExtension(job.input, extension)) {
    job.inputFile = job.input;
    job.input.clear();
    const auto size = FileSize(job.inputFile);
    if (!size || *size <= 0) return "Error: Invalid input file";
  } else {
    const auto folder =
        NormaliseFolder(job.input, job.programFolder, "Error: Incorrect input folder",
                        "Error: Invalid input folder", message);
    if (!folder) return message;
    job.input = *folder;
  }

  if (job.output.empty())
    job.output = job.input.empty() ? std::string(FolderPart(job.inputFile)) : job.input;
  echo("Output: ", job.output);
  const auto output =
      NormaliseFolder(job.output, job.programFolder, "Error: Incorrect output folder",
                      "Error: Invalid output folder", message);
  if (!output) return message;
  job.output = *output;

  if (!job.listRoot.empty()) {
    if (!job.input.empty()) return "Error: List root without a list file";
    const std::optional<std::string> root = ResolvedFolder(job.listRoot);
    if (!root) return "Error: Invalid list root";
    job.listRoot = *root;
  }

  if (job.conversion.empty()) job.conversion = kOutputFormats[0].extension;
  echo("Conversion: ", job.conversion);
  return std::nullopt;
}

// Removes the stale drafts of every output folder of the inputs that exists.
void RemoveStaleDraftsBeside(const Run& run, const std::vector<InputEntry>& inputs) {
  std::set<std::string> folders;
  for (const InputEntry& entry : inputs)
    folders.insert(OutputFolderFor(entry.relativeSubfolder, run.outputFolder, run.settings.naming));
  for (const std::string& folder : folders)
    if (IsFolder(folder)) RemoveStaleDrafts(folder);
}

}  // namespace

RunOutcome RunBatch(const ConversionSettings& settings, JobRecord job, bool quiet) {
  const Echo echo(job.debug);
  auto status = [quiet](std::string_view line) {
    if (!quiet) PrintLine(line);
  };

  status(msg::kPreparing);
  Run run;
  auto stop = [](const std::string& failure) {
    PrintLine(failure);
    return RunOutcome::Stopped;
  };
  if (auto failure = CheckInputAndOutput(echo, job)) return stop(*failure);
  if (auto failure = CheckSettings(echo, settings, job)) return stop(*failure);
  // Numbers count the files written: those of a resumed run would not match the first run's.
  if (job.skipExisting && TextUsesFileNumbers(settings.naming.filenameMask))
    return stop("Error: --skip-existing with a numbered filename mask");
  // Opened before anything is converted, so that a report that cannot be had stops the run
  // while nothing has changed.
  RunReport report;
  std::string unopened;
  if (!job.report.empty() && !report.Open(job.report, unopened)) {
    WriteError(ProgramName() + ": cannot open the report " + job.report + ": " + unopened + "\n");
    return stop("Error: Invalid report file");
  }

  run.settings = settings;
  run.outputFolder = job.output;
  run.extension = job.conversion;
  run.format = FindOutputFormat(job.conversion);
  run.targetBpp = settings.output.bpp[*OutputFormatIndex(job.conversion)];
  run.converterDeadlineMs = job.converterDeadlineMs;
  run.debug = job.debug;
  run.skipExisting = job.skipExisting;

  status(msg::kImporting);
  InputCollection collection =
      CollectInputs({job.input, job.inputFile, job.macFiles, job.listRoot});
  std::vector<InputEntry>& inputs = collection.entries;
  // Each input passed over says why, and fails the run's exit status; the count of the summary
  // stays that of the pictures admitted, which "Import complete" announced.
  // The report lists them first, as failures with that reason.
  for (const PassedOver& input : collection.passedOver) {
    WriteError(ProgramName() + ": " + input.path + ": " + input.reason + "\n");
    ReportEntry entry;
    entry.input = input.path;
    entry.reason = input.reason;
    std::string unwritten;
    if (!report.Record(entry, unwritten)) WriteError(ProgramName() + ": " + unwritten + "\n");
  }
  const bool allMet = collection.passedOver.empty();
  if (settings.naming.keepSubfolders)
    for (const InputEntry& entry : inputs)
      if (entry.outsideListRoot)
        WriteError(ProgramName() + ": " + entry.path + ": not below the list root " + job.listRoot +
                   ": its output goes to the output folder itself\n");
  const auto imported = static_cast<int32_t>(inputs.size());
  status(SubstitutePlaceholders(msg::kImportComplete, std::to_string(imported)));
  if (imported == 0) {
    PrintLine(msg::kConversionStopped);
    PrintLine(msg::kEmptyInput);
    return RunOutcome::Stopped;
  }

  if (run.skipExisting && IsNameKnownBeforeConversion(settings.naming.filenameMask))
    FindUpToDateOutputs(run, inputs);

  status(msg::kConverting);
  // The converter's TGA and the writers' intermediates live here, never among the user's
  // files; a run ended by a signal removes it too.
  // What runs ended by SIGKILL left: their private folders, and their drafts where this run
  // writes. A live run's, even under another runtime folder, stays.
  RemoveStalePrivateFolders();
  RemoveStaleDraftsBeside(run, inputs);
  const auto tempFolder = MakePrivateTempFolder();
  ConversionCounts counts;
  if (tempFolder) {
    const EndingAction removal([folder = *tempFolder] { RemoveFolderTree(folder); });
    run.tempFolder = *tempFolder;
    const bool showProgress = !quiet && IsErrorTerminal();
    const int jobs = job.jobs.value_or(std::min(UsableProcessorCount(), kMaxJobs));
    RaiseOpenFileLimit();
    counts = ConvertAll(run, inputs, jobs, showProgress, report);
    RemoveFolderTree(*tempFolder);
  } else {
    WriteError(ProgramName() + ": cannot make a private folder in " + TemporaryFolder() + "\n");
  }

  if (run.skipExisting)
    WriteError(ProgramName() + ": skipped " + std::to_string(counts.skipped) + " of " +
               std::to_string(imported) +
               " files: their outputs exist, are not empty and are not older than them\n");
  // Skipped files count as neither converted nor failed.
  const int32_t considered = imported - counts.skipped;
  if (counts.written > 0 || (tempFolder && considered == 0)) {
    status(msg::kConversionComplete);
    status(SubstitutePlaceholders(msg::kFilesConverted, std::to_string(counts.written),
                                  std::to_string(considered)));
  } else {
    PrintLine(msg::kConversionStopped);
  }
  return tempFolder && counts.written == considered && allMet ? RunOutcome::AllConverted
                                                              : RunOutcome::SomeFailed;
}
