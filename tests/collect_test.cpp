// Input collection: folder trees, list files, the extension and size filters, duplicates.
#include "batch/collect.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "tests/support/mac_wrappers.h"
#include "tests/support/run_program.h"

namespace {

class Collect : public ::testing::Test {
 protected:
  // Collects the source's files into entries_; returns how many came in.
  size_t CollectInputs(const InputSource& source) {
    InputCollection collection = ::CollectInputs(source);
    entries_ = std::move(collection.entries);
    passedOver_ = std::move(collection.passedOver);
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
  // "path below the scratch folder: reason" of each input passed over.
  std::vector<std::string> PassedOverLines() const {
    std::vector<std::string> lines;
    for (const PassedOver& input : passedOver_)
      lines.push_back(Below(input.path) + ": " + input.reason);
    return lines;
  }
  std::string Below(const std::string& path) const {
    return path.starts_with(scratch_.path()) ? path.substr(scratch_.path().size()) : path;
  }
  ScratchFolder scratch_;
  std::vector<InputEntry> entries_;
  std::vector<PassedOver> passedOver_;
};

TEST_F(Collect, FolderAdmitsNonEmptyPictFilesOnly) {
  for (const char* name : {"a.PIC", "b.pict", "c.pct", "d.jpg", "f.pic.bak", "noext"})
    MakeFile(name);
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
  const std::string list = "\xEF\xBB\xBF" + (scratch_ / "a.pic") + "\r\n" + "  " +
                           (scratch_ / "a.pic") + "  \n" +       // duplicate once trimmed
                           "   \n\n" +                           // blank lines
                           "\t" + (scratch_ / "b.pct") + "\r" +  // a tab is not trimmed
                           (scratch_ / "missing.pic") + "\n" + (scratch_ / "dir") +
                           "\n" +                 // a folder: its whole tree
                           (scratch_ / "b.pct");  // last line, no line end
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

// Every input a run passes over says why; a file that is no input by its name says nothing.
TEST_F(Collect, InputsPassedOverSayWhy) {
  MakeFile("good.pic");
  MakeFile("empty.pic", "");
  MakeFile("notes.txt", "");
  MakeFile("photo.jpg");
  std::filesystem::create_symlink(scratch_ / "nowhere.pct", scratch_ / "gone.pct");
  std::filesystem::create_symlink(scratch_ / "nowhere.jpg", scratch_ / "gone.jpg");
  ASSERT_EQ(mkfifo((scratch_ / "pipe.pict").c_str(), 0600), 0);
  // A folder that cannot be listed (not for root, whom permissions do not stop).
  const bool asRoot = geteuid() == 0;
  MakeFile("locked/inside.pic");
  std::filesystem::permissions(scratch_ / "locked", std::filesystem::perms::none);
  EXPECT_EQ(CollectInputs({.folder = scratch_.path()}), asRoot ? 2u : 1u);
  std::vector<std::string> expected = {"empty.pic: the file is empty",
                                       "gone.pct: a symbolic link that leads nowhere"};
  if (!asRoot) expected.push_back("locked/: cannot read the folder: Permission denied");
  expected.push_back("pipe.pict: not a regular file (a FIFO, socket or device)");
  EXPECT_EQ(PassedOverLines(), expected);
  std::filesystem::permissions(scratch_ / "locked", std::filesystem::perms::owner_all);

  // A list names its inputs: each one it names that is not converted says why, with its line.
  const std::string list = scratch_ / "list.txt";
  MakeFile("list.txt", (scratch_ / "good.pic") + "\n" + (scratch_ / "missing.pic") + "\n\n" +
                           (scratch_ / "gone.pct") + "\n" + (scratch_ / "photo.jpg") + "\n" +
                           (scratch_ / "empty.pic") + "\n");
  EXPECT_EQ(CollectInputs({.file = list}), 1u);
  EXPECT_EQ(PassedOverLines(),
            (std::vector<std::string>{
                "missing.pic: no such file or folder (line 2 of " + list + ")",
                "gone.pct: a symbolic link that leads nowhere (line 4 of " + list + ")",
                "photo.jpg: not a PICT file by its name (.pic, .pict, .pct; --mac-files reads "
                "files by their content)",
                "empty.pic: the file is empty"}));
}

// "path below the scratch folder", then the part of a Macintosh file, the path it is named
// after and its subfolder when they are not the file's own.
std::string Describe(const InputEntry& entry, const std::string& scratch) {
  std::string text = entry.path.substr(scratch.size());
  if (entry.macPart) {
    text += entry.macPart->isResource ? " PICT " + std::to_string(entry.macPart->resourceId)
                                      : std::string(" data fork");
    if (entry.macPart->namedAfter != entry.path)
      text += " as " + entry.macPart->namedAfter.substr(scratch.size());
  }
  if (!entry.relativeSubfolder.empty()) text += " in " + entry.relativeSubfolder;
  return text;
}

// With --mac-files a file comes in by its content: a wrapper with the 'PICT' resources (and the
// 'PICT' data fork) it holds, a sidecar with its data fork's name and place, a PICT without an
// extension; a damaged wrapper says why, and nothing else is opened that would block.
// Without it the same folder gives what it always gave.
TEST_F(Collect, MacFilesComeInByTheirContent) {
  const MacForks forks = SampleMacFile();
  MakeFile("Sample.bin", MacBinary(forks, 2));
  MakeFile("Picture 1", forks.dataFork);
  MakeFile("readme", "Nothing to see here.\n");
  MakeFile("food.pct", forks.dataFork);
  MakeFile("._food.pct", AppleDouble(forks));
  MakeFile("sub/x", forks.dataFork);
  MakeFile("__MACOSX/sub/._x", AppleDouble(forks));
  MakeFile("net/.AppleDouble/y", AppleDouble(forks));  // netatalk's sidecar of net/y
  const std::string binHex = BinHex(forks);
  MakeFile("broken.hqx", binHex.substr(0, binHex.size() / 2));
  MakeFile("photo.jpg", std::string(100, 'j'));
  ASSERT_EQ(mkfifo((scratch_ / "fifo").c_str(), 0600), 0);

  EXPECT_EQ(CollectInputs({.folder = scratch_.path(), .macFiles = true}), 16u);
  std::vector<std::string> found;
  for (const InputEntry& entry : entries_) found.push_back(Describe(entry, scratch_.path()));
  EXPECT_EQ(found, (std::vector<std::string>{
                       "._food.pct PICT -5 as food.pct", "._food.pct PICT 128 as food.pct",
                       "._food.pct PICT 300 as food.pct", "Picture 1", "Sample.bin data fork",
                       "Sample.bin PICT -5", "Sample.bin PICT 128", "Sample.bin PICT 300",
                       "__MACOSX/sub/._x PICT -5 as sub/x in sub/",
                       "__MACOSX/sub/._x PICT 128 as sub/x in sub/",
                       "__MACOSX/sub/._x PICT 300 as sub/x in sub/", "food.pct",
                       "net/.AppleDouble/y PICT -5 as net/y in net/",
                       "net/.AppleDouble/y PICT 128 as net/y in net/",
                       "net/.AppleDouble/y PICT 300 as net/y in net/", "sub/x in sub/"}));
  EXPECT_EQ(entries_[1].macPart->resourceName, "Caf\xC3\xA9 \xE2\x84\xA2");
  EXPECT_EQ(PassedOverLines(), (std::vector<std::string>{
                                   "broken.hqx: BinHex 4.0: the data end inside the resource fork",
                                   "fifo: not a regular file (a FIFO, socket or device)"}));

  EXPECT_EQ(CollectInputs({.folder = scratch_.path()}), 2u);
  EXPECT_EQ(Paths(), (std::vector<std::string>{scratch_ / "._food.pct", scratch_ / "food.pct"}));
  EXPECT_EQ(PassedOverLines(), std::vector<std::string>{});
}

TEST(InputKind, ExtensionNeedsADotInsideTheLastComponent) {
  const std::pair<const char*, bool> kCases[] = {
      {"/pics/photo.pic", true}, {"/pics/.hidden", false},   {"/photos.2019", true},
      {"/photos.2019/", false},  {"/pics/a b.x y", false},   {"pics", false},
      {"list.txt", true},        {"C:\\pics\\image", false}, {"C:\\p.d\\image", false}};
  for (const auto& [path, expected] : kCases) {
    std::string extension;
    EXPECT_EQ(HasExtension(path, extension), expected) << path;
  }
}

}  // namespace
