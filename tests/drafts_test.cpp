// Drafts and private folders of runs ended by SIGKILL: an output's draft has no name to leave
// behind, and what a dead run did leave (a hidden draft, its private temporary folder) the next
// run removes, while a live run's stays.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/files.h"
#include "platform/run_owner.h"
#include "platform/temporary_file.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace fs = std::filesystem;

namespace {

// The owner tag of a process that has ended: a child that reports its tag and exits.
std::string TagOfAnEndedProcess() {
  int ends[2];
  if (pipe(ends) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    const std::string tag = RunOwnerTag();
    (void)!write(ends[1], tag.data(), tag.size());
    _exit(0);
  }
  close(ends[1]);
  std::string tag(256, '\0');
  const ssize_t size = read(ends[0], tag.data(), tag.size());
  close(ends[0]);
  waitpid(child, nullptr, 0);
  tag.resize(size > 0 ? static_cast<size_t>(size) : 0);
  return tag;
}

// The tag with one of its five "_"-separated parts replaced.
std::string WithPart(const std::string& tag, int part, const std::string& value) {
  size_t start = 0;
  for (int i = 0; i < part; ++i) start = tag.find('_', start) + 1;
  const size_t end = tag.find('_', start);
  return tag.substr(0, start) + value + (end == std::string::npos ? "" : tag.substr(end));
}

TEST(RunOwner, OnlyAnOwnerThatIsCertainlyGoneCountsAsGone) {
  const std::string own = RunOwnerTag();
  const std::string ended = TagOfAnEndedProcess();
  ASSERT_FALSE(ended.empty());
  const std::pair<std::string, bool> kCases[] = {
      {own, false},
      {ended, true},
      {WithPart(own, 0, "elsewhere"), false},  // another machine's run is for it to judge
      {WithPart(ended, 0, "elsewhere"), false},
      {WithPart(own, 1, "0badb007"), true},  // a run of an earlier boot
      {WithPart(ended, 2, "1"), false},      // another pid namespace
      {WithPart(own, 4, "1"), true},         // its process id now names a later process
      {"no tag at all", false},
      {"", false},
      {WithPart(own, 3, "x"), false},
  };
  for (const auto& [tag, gone] : kCases) EXPECT_EQ(IsRunOwnerGone(tag), gone) << tag;
}

class Drafts : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& folder : {in_, out_, temp_}) fs::create_directories(folder);
  }
  std::vector<std::string> Names(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  ScratchFolder scratch_;
  std::string in_ = scratch_ / "in/";
  std::string out_ = scratch_ / "out/";
  std::string temp_ = scratch_ / "tmp/";
};

TEST_F(Drafts, ASigkilledRunLeavesOnlyWholeOutputsAndTheNextRunRemovesOnlyWhatDeadRunsLeft) {
  // Files our decoder reads, and two only the converter reads, whose converter is slow enough
  // for the run to be killed while it holds drafts in hand.
  for (const char* name : {"a.pct", "b.pct", "c.pct", "f.pct", "g.pct"})
    ASSERT_TRUE(WriteTestPicture(TestPicture::Gradient, in_ + name));
  ASSERT_TRUE(WriteConverterOnlyPicture(in_ + "d.pct", 63, 4));
  ASSERT_TRUE(WriteConverterOnlyPicture(in_ + "e.pct", 64, 4));
  const std::string fake = scratch_ / "fake/";
  const std::string pids = scratch_ / "converters.pid";
  fs::create_directories(fake);
  std::ofstream(fake + "convert") << "#!/bin/sh\necho $$ >> '" << pids
                                  << "'\n/bin/sleep 1\nexec /usr/bin/convert \"$@\"\n";
  fs::permissions(fake + "convert", fs::perms::owner_all);
  RunOptions options;
  options.tempFolder = temp_;
  options.extraPath = fake;
  OrphanCatcher orphans;
  for (const char* jobs : {"--jobs=1", "--jobs=2"}) {
    StartedRun run({"-i", in_, "-o", out_, "-c", "png", "-q", jobs}, options);
    // The converter has started: the run is in the middle of its files.
    for (int i = 0; i < 1000 && !fs::exists(pids); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(pids)) << jobs;
    kill(run.pid(), SIGKILL);
    EXPECT_EQ(run.Finish().signal, SIGKILL) << jobs;
    EXPECT_TRUE(orphans.AwaitEndOfAll(pids)) << jobs;
    fs::remove(pids);
    // Every name in the output folder is a whole output, or the hidden draft of one that was
    // replacing an earlier output when the kill came between its link and its rename (the next
    // run removes it: checked below).
    for (const std::string& name : Names(out_)) {
      if (name.starts_with(".marrowick-draft~")) continue;
      EXPECT_TRUE(name.ends_with(".png") && !name.starts_with(".")) << jobs << " " << name;
      FIBITMAP* picture = LoadAny(out_ + name);
      EXPECT_TRUE(picture) << jobs << " " << name;
      if (picture) FreeImage_Unload(picture);
    }
  }
  // The killed runs' private folders are left in TMPDIR (nothing could remove them then).
  const std::vector<std::string> left = Names(temp_);
  EXPECT_FALSE(left.empty());
  for (const std::string& name : left) EXPECT_TRUE(name.starts_with("quillmere~")) << name;

  // Beside them, what other runs left: a dead one's and a live one's (this test's own tag, as
  // a run under another runtime folder would have), and another machine's.
  const std::string dead = TagOfAnEndedProcess();
  const std::string live = RunOwnerTag();
  const std::string foreign = WithPart(dead, 0, "elsewhere");
  for (const std::string& tag : {dead, live, foreign}) {
    ASSERT_TRUE(WriteFileBytes(out_ + ".marrowick-draft~" + tag + "~abcde.png", "half"));
    fs::create_directories(temp_ + "quillmere~" + tag + "~Ab12Cd");
  }
  const RunResult next = RunMarrowick({"-i", in_, "-o", out_, "-c", "png", "-q"}, options);
  EXPECT_EQ(next.output, "");
  std::vector<std::string> written = {".marrowick-draft~" + live + "~abcde.png",
                                      ".marrowick-draft~" + foreign + "~abcde.png"};
  for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png", "f.png", "g.png"})
    written.push_back(name);
  std::sort(written.begin(), written.end());
  EXPECT_EQ(Names(out_), written);
  std::vector<std::string> stays = {"quillmere~" + live + "~Ab12Cd",
                                    "quillmere~" + foreign + "~Ab12Cd"};
  std::sort(stays.begin(), stays.end());
  EXPECT_EQ(Names(temp_), stays);
}

}  // namespace
