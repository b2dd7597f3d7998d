// Input collection: folder trees, list files, the extension and size filters, duplicates.
#include "batch/collect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "tests/support/run_program.h"

namespace {

class Collect : public ::testing::Test {
 protected:
  // Collects the source's files into entries_; returns how many came in.
  size_t CollectInputs(const InputSource& source) {
    entries_ = ::CollectInputs(source);
    return entries_.size();
  }
  void MakeFile(const std::string& relative, const std::string& content = "PICT") {
    std::filesystem::create_directories(std::filesystem::path(scratch_ / relative).parent_path());
    ASSERT_TRUE(WriteFileBytes(scratch_ / relative, content));
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const InputEntry& entry : entries_) paths.push_back(entry.path);
    return paths;
  }
  ScratchFolder scratch_;
  std::vector<InputEntry> entries_;
};

TEST_F(Collect, FolderAdmitsNonEmptyPictFilesOnly) {
  for (const char* name : {"a.PIC", "b.pict", "c.pct", "d.jpg", "f.pic.bak", "noext"}) MakeFile(name);
  MakeFile("e.pic", "");
  EXPECT_EQ(CollectInputs({.folder = scratch_.path()}), 3u);
  EXPECT_EQ(Paths(), (std::vector<std::string>{scratch_ / "a.PIC", scratch_ / "b.pict",
                                                scratch_ / "c.pct"}));
}

TEST_F(Collect, TreesAreScannedToAnyDepthWithTheirSubfolders) {
  MakeFile("top.pic");
  MakeFile("x/y/deep.pct");
  MakeFile("x/mid.pict");
  EXPECT_EQ(CollectInputs({.folder = scratch_.path()}), 3u);
  std::vector<std::pair<std::string, std::string>> found;
  for (const InputEntry& entry : entries_)
    found.emplace_back(entry.path.substr(scratch_.path().size()), entry.relativeSubfolder);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                       {"top.pic", ""}, {"x/mid.pict", "x/"}, {"x/y/deep.pct", "x/y/"}}));
}

TEST_F(Collect, RelativeSubfolderRemovesOnlyTheLeadingInputFolder) {
  EXPECT_EQ(RelativeSubfolder("/in/x/in/a.pic", "/in/"), "x/in/");
  EXPECT_EQ(RelativeSubfolder("/in/a.pic", "/in/"), "");
  EXPECT_EQ(RelativeSubfolder("/in/a.pic", ""), "");
  EXPECT_EQ(RelativeSubfolder("/other/a.pic", "/in/"), "");
}

TEST_F(Collect, ListFileSkipsBlankMissingAndDuplicateLines) {
  MakeFile("a.pic");
  MakeFile("b.pct");
  MakeFile("dir/c.pic");
  MakeFile("dir/sub/d.pic");
  const std::string list = "\xEF\xBB\xBF" + (scratch_ / "a.pic") + "\r\n" +
                           "  " + (scratch_ / "a.pic") + "  \n" +  // duplicate once trimmed
                           "   \n\n" +                              // blank lines
                           "\t" + (scratch_ / "b.pct") + "\r" +    // a tab is not trimmed
                           (scratch_ / "missing.pic") + "\n" +
                           (scratch_ / "dir") + "\n" +             // a folder: its whole tree
                           (scratch_ / "b.pct");                    // last line, no line end
  MakeFile("list.LST", list);
  EXPECT_EQ(CollectInputs({.file = scratch_ / "list.LST"}), 4u);
  for (const InputEntry& entry : entries_)
    EXPECT_EQ(entry.relativeSubfolder, "") << entry.path;  // list input has no subfolders
}

TEST_F(Collect, SameFileUnderTwoSpellingsIsTwoEntries) {
  MakeFile("a.pic");
  const std::string list = (scratch_ / "a.pic") + "\n" + scratch_.path() + "./a.pic\n";
  MakeFile("list.txt", list);
  EXPECT_EQ(CollectInputs({.file = scratch_ / "list.txt"}), 2u);
}

TEST_F(Collect, ListFileWalksEachFolderOnceWhateverLinesLeadToIt) {
  MakeFile("dir/a.pic");
  MakeFile("dir/sub/b.pic");
  std::filesystem::create_directory_symlink("dir", scratch_ / "link");
  const std::pair<std::vector<std::string>, std::vector<std::string>> kCases[] = {
      {{"dir", "dir/", "./dir"}, {"dir/a.pic", "dir/sub/b.pic"}},
      {{"dir", "dir/sub"}, {"dir/a.pic", "dir/sub/b.pic"}},
      {{"dir/sub", "dir"}, {"dir/sub/b.pic", "dir/a.pic"}},
      {{"link", "dir"}, {"link/a.pic", "link/sub/b.pic"}},
      {{"dir", "link/sub"}, {"dir/a.pic", "dir/sub/b.pic"}},
  };
  for (const auto& [lines, admitted] : kCases) {
    std::string list;
    for (const std::string& line : lines) list += scratch_ / line + "\n";
    MakeFile("list.txt", list);
    CollectInputs({.file = scratch_ / "list.txt"});
    std::vector<std::string> found;
    for (const std::string& path : Paths()) found.push_back(path.substr(scratch_.path().size()));
    EXPECT_EQ(found, admitted) << list;
  }
}

TEST_F(Collect, SingleFileIsAdmittedByItsExtension) {
  MakeFile("photo.pict");
  MakeFile("photo.csv");
  EXPECT_EQ(CollectInputs({.file = scratch_ / "photo.pict"}), 1u);
  EXPECT_EQ(CollectInputs({.file = scratch_ / "photo.csv"}), 0u);
}

TEST(InputKind, ExtensionNeedsADotInsideTheLastComponent) {
  const std::pair<const char*, bool> kCases[] = {
      {"/pics/photo.pic", true},   {"/pics/.hidden", false},   {"/photos.2019", true},
      {"/photos.2019/", false},    {"/pics/a b.x y", false},   {"pics", false},
      {"list.txt", true},          {"C:\\pics\\image", false}, {"C:\\p.d\\image", false}};
  for (const auto& [path, expected] : kCases) {
    std::string extension;
    EXPECT_EQ(HasExtension(path, extension), expected) << path;
  }
}

}  // namespace
