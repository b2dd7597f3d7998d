// The account a run gives of its inputs: the warning line of a damaged picture converted in part,
// --strict, and the report (--report), which lists every input once with the reasons and
// warnings standard error gives, the same for one job and for three.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/files.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

// A folder of good, damaged, undecodable and converter-only files; b.pct is the Odd picture cut
// in the middle of its pixels.
std::string MakeMixedFolder(const ScratchFolder& scratch) {
  const std::string in = scratch / "in/";
  fs::create_directories(in);
  const std::pair<TestPicture, const char*> kFiles[] = {
      {TestPicture::Gradient, "a.pct"}, {TestPicture::Odd, "b.pct"},
      {TestPicture::Garbage, "c.pct"},  {TestPicture::ConverterOnly, "d.pct"},
      {TestPicture::Odd, "e.pct"},      {TestPicture::ReaderOnly, "f.pct"}};
  for (const auto& [picture, name] : kFiles) EXPECT_TRUE(WriteTestPicture(picture, in + name));
  const std::string whole = *ReadFileBytes(in + "b.pct");
  EXPECT_TRUE(WriteFileBytes(in + "b.pct", whole.substr(0, whole.size() / 2)));
  return in;
}

// text with every occurrence of from taken out.
std::string Without(std::string text, const std::string& from) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos;) text.erase(at, from.size());
  return text;
}

// Every line of the report as JSON; a line that does not parse fails the test.
std::vector<Json> ReadReport(const std::string& path) {
  std::vector<Json> records;
  for (const std::string& line : Lines(ReadFileBytes(path).value_or(""))) {
    Json record = Json::parse(line, nullptr, false);
    EXPECT_FALSE(record.is_discarded()) << line;
    records.push_back(std::move(record));
  }
  return records;
}

TEST(Report, ListsEveryInputOnceWithTheLinesOfStandardErrorForOneJobAndThree) {
  ScratchFolder scratch;
  const std::string in = MakeMixedFolder(scratch);
  // What each input comes to: its status, the reader that decoded it, whether it has damage.
  const std::map<std::string, std::tuple<std::string, std::string, bool>> kExpected = {
      {"a.pct", {"converted", "our decoder", false}},
      {"b.pct", {"converted", "our decoder", true}},
      {"c.pct", {"failed", "", false}},
      {"d.pct", {"converted", "convert", false}},
      {"e.pct", {"converted", "our decoder", false}},
      {"f.pct", {"converted", "FreeImage's reader", false}}};
  std::string reports[2];
  for (int jobs : {1, 3}) {
    const std::string out = scratch / ("out" + std::to_string(jobs) + "/");
    const std::string report = scratch / ("report" + std::to_string(jobs) + ".jsonl");
    fs::create_directories(out);
    const RunResult run = RunMarrowick({"-i", in, "-o", out, "-c", "png", "-q",
                                        "--report=" + report, "--jobs=" + std::to_string(jobs)});
    const std::vector<Json> records = ReadReport(report);
    ASSERT_EQ(records.size(), kExpected.size()) << jobs;
    // The lines of standard error are exactly the reasons and warnings the report gives.
    std::vector<std::string> told;
    auto name = kExpected.begin();
    for (const Json& record : records) {
      const std::string input = record["input"];
      EXPECT_EQ(input, in + name->first) << jobs;  // in input order, each once
      const auto& [status, reader, damaged] = name->second;
      EXPECT_EQ(record["status"], status) << input;
      EXPECT_EQ(record["reader"], reader.empty() ? Json() : Json(reader)) << input;
      EXPECT_EQ(record["notes"]["damage"].is_object(), damaged) << input;
      if (status == "converted") {
        EXPECT_EQ(record["outputs"].size(), 1u) << input;
        EXPECT_TRUE(fs::exists(record["outputs"][0].get<std::string>())) << input;
        EXPECT_GT(record["width"].get<int>(), 0) << input;
        EXPECT_EQ(record["dpi"]["x"], 72.0) << input;
      } else {
        told.push_back("marrowickcmd: " + input + ": " + record["reason"].get<std::string>());
      }
      for (const Json& warning : record["warnings"])
        told.push_back("marrowickcmd: " + input + ": " + warning.get<std::string>());
      ++name;
    }
    EXPECT_EQ(Lines(run.errors), told) << jobs;
    // The damaged picture's warning says where it stops.
    EXPECT_NE(run.errors.find("b.pct: damaged at byte "), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(": drawn up to there ("), std::string::npos) << run.errors;
    // The same records for any number of jobs, but for the time each file took and the run.
    std::string same;
    for (Json record : records) {
      record.erase("seconds");
      record.erase("run");
      same += record.dump() + "\n";
    }
    reports[jobs == 1 ? 0 : 1] = Without(same, out);
  }
  EXPECT_EQ(reports[0], reports[1]);
}

TEST(Report, StrictFailsDamagedPicturesAndTheReportIsAppendedToOrStopsTheRun) {
  ScratchFolder scratch;
  const std::string in = MakeMixedFolder(scratch);
  const std::string report = scratch / "report.jsonl";
  fs::create_directories(scratch / "folder.jsonl");
  struct Case {
    const char* what;
    std::vector<std::string> options;
    const char* summary;
    size_t written;      // files in the output folder
    size_t reportLines;  // in report.jsonl afterwards
  } kCases[] = {
      {"warning", {"--report=" + report}, "Files converted: 5 of 6", 5, 6},
      {"strict, appended", {"--strict", "--report=" + report}, "Files converted: 4 of 6", 4, 12},
      {"no report",
       {"--report=" + (scratch / "folder.jsonl")},
       "Error: Invalid report file",
       0,
       12},
  };
  for (const Case& c : kCases) {
    const std::string out = scratch / (std::string("out ") + c.what + "/");
    fs::create_directories(out);
    std::vector<std::string> arguments = {"-i", in, "-o", out, "-c", "png", "--jobs=2"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const RunResult run = RunMarrowick(arguments);
    EXPECT_NE(run.output.find(c.summary), std::string::npos) << c.what << run.output;
    EXPECT_EQ(CountEntries(out), static_cast<int>(c.written)) << c.what;
    const std::vector<Json> records = ReadReport(report);
    EXPECT_EQ(records.size(), c.reportLines) << c.what;
    const std::string damaged = "marrowickcmd: " + in + "b.pct: damaged at byte ";
    if (c.written == 0) {
      EXPECT_NE(run.errors.find("cannot open the report " + (scratch / "folder.jsonl")),
                std::string::npos)
          << run.errors;
    } else if (c.written == 4) {
      // With --strict the damage is the reason b.pct failed, in its line and in its record.
      EXPECT_EQ(records[7]["status"], "failed");
      EXPECT_EQ(damaged + records[7]["reason"].get<std::string>().substr(16), Lines(run.errors)[0]);
      EXPECT_FALSE(fs::exists(out + "b.png"));
    } else {
      EXPECT_EQ(records[1]["status"], "converted");
      EXPECT_EQ(Lines(run.errors)[0].rfind(damaged, 0), 0u) << run.errors;
    }
  }
}

}  // namespace
