// Whole runs of marrowickcmd on PICT files the tests write: checks and their messages, the debug
// echo, folder trees, list files, the summary lines and what is left on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "tests/support/run_program.h"
#include "tests/support/test_pictures.h"

namespace fs = std::filesystem;

namespace {

constexpr TestPicture kGood1 = TestPicture::Gradient;
constexpr TestPicture kGood2 = TestPicture::RedYellow;
constexpr TestPicture kGood3 = TestPicture::Orange;
constexpr TestPicture kBad = TestPicture::Garbage;

const std::vector<std::string> kBanner = {"Quillmere 2.2", "Copyright (c) 2026 Quillmere",
                                          "https://www.quillmere.example/", " "};

class BatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(in_);
    fs::create_directories(out_);
  }
  void Put(TestPicture picture, const std::string& relative) {
    fs::create_directories(fs::path(in_ + relative).parent_path());
    ASSERT_TRUE(WriteTestPicture(picture, in_ + relative));
  }
  std::vector<std::string> Written() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(out_))
      if (entry.is_regular_file()) files.push_back(entry.path().string().substr(out_.size()));
    std::sort(files.begin(), files.end());
    return files;
  }
  ScratchFolder scratch_;
  std::string in_ = scratch_ / "in/";
  std::string out_ = scratch_ / "out/";
};

TEST_F(BatchRun, EachCheckFailsWithItsMessageAndTouchesNothing) {
  Put(kGood1, "a.pct");
  ASSERT_TRUE(WriteFileBytes(scratch_ / "empty.pic", ""));
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::string in = in_, out = out_;
  const Case kCases[] = {
      {{"-i", scratch_ / "missing.pic"}, "Error: Invalid input file"},
      {{"-i", scratch_ / "empty.pic"}, "Error: Invalid input file"},
      {{"-i", "../in"}, "Error: Incorrect input folder"},
      {{"-i", scratch_ / "nothing"}, "Error: Invalid input folder"},
      {{"-i", in, "-o", "../out"}, "Error: Incorrect output folder"},
      {{"-i", in, "-o", scratch_ / "new"}, "Error: Invalid output folder"},
      {{"-i", in, "-o", out, "-c", "JPG"}, "Error: Invalid conversion type"},
      {{"-i", in, "-o", out, "-c", "jpeg"}, "Error: Invalid conversion type"},
      {{"-i", in, "-o", out, "-c", "png", "--png-bpp=16"}, "Error: Invalid png-bpp value"},
      {{"-i", in, "-o", out, "--bmp-bpp=2"}, "Error: Invalid bmp-bpp value"},
      {{"-i", in, "-o", out, "-c", "jpg", "--jpg-quality=0"}, "Error: Invalid jpg-quality value"},
      {{"-i", in, "-o", out, "-c", "jpg", "--jpg-quality=101"}, "Error: Invalid jpg-quality value"},
      {{"-i", in, "-o", out, "--width=800"}, "Error: Invalid height value"},
      {{"-i", in, "-o", out, "--height=800"}, "Error: Invalid width value"},
      {{"-i", in, "-o", out, "--brightness=101"}, "Error: Invalid brightness value"},
      {{"-i", in, "-o", out, "--contrast=-101"}, "Error: Invalid contrast value"},
      {{"-i", in, "-o", out, "--gamma=10"}, "Error: Invalid gamma value"},
      {{"-i", in, "-o", out, "--gamma=0.009"}, "Error: Invalid gamma value"},
      {{"-i", in, "-o", out, "--wm-image=" + (scratch_ / "none.png")},
       "Error: Invalid watermark image"},
      // The first failing check wins.
      {{"-i", in, "-o", out, "-c", "JPG", "--width=800"}, "Error: Invalid conversion type"},
      {{"-i", in, "-o", out, "-c", "png", "--png-bpp=16", "--brightness=500"},
       "Error: Invalid png-bpp value"},
      {{"-i", in, "-o", out, "--width=5", "--height=5", "--gamma=0"}, "Error: Invalid gamma value"},
      // This build's own options, checked after the classic ones.
      {{"-i", in, "-o", out, "--pict-scale=0"}, "Error: Invalid pict-scale value"},
      {{"-i", in, "-o", out, "--pict-scale=9"}, "Error: Invalid pict-scale value"},
      {{"-i", in, "-o", out, "--jobs=0"}, "Error: Invalid jobs value"},
      {{"-i", in, "-o", out, "--jobs=65"}, "Error: Invalid jobs value"},
      {{"-i", in, "-o", out, "--gamma=0", "--jobs=0"}, "Error: Invalid gamma value"},
      {{"-i", in, "-o", out, "--list-root=" + in}, "Error: List root without a list file"},
      {{"-i", in + "a.pct", "-o", out, "--list-root=" + (scratch_ / "nothing")},
       "Error: Invalid list root"},
  };
  for (const Case& c : kCases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("--quiet");
    const RunResult run = RunMarrowick(arguments);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, c.message + "\n") << c.arguments.back();
    EXPECT_TRUE(Written().empty()) << c.message;
  }
}

// What the command line ignores, and a format that is none, is told on standard error; standard
// output and the run stay as they were.
TEST_F(BatchRun, TheCommandLineTellsWhatItIgnoresAndWhatAFormatMayHaveMeant) {
  Put(kGood1, "a.pct");
  ASSERT_TRUE(WriteFileBytes(scratch_ / "p.ini", "[CLI]\n--JPG-QUALTY=80\n"));
  const std::string program = "marrowickcmd: ";
  const std::pair<std::vector<std::string>, std::string> kCases[] = {
      {{"-c", "tif"}, program + "tif is not an output format; did you mean tiff?\n"},
      {{"-c", "JPG"}, program + "JPG is not an output format; did you mean jpg?\n"},
      {{"--widht=100", "--profile=" + (scratch_ / "p.ini")},
       program + "unknown option --widht ignored; nearest: --width\n" + program + scratch_.path() +
           "p.ini: unknown key --JPG-QUALTY ignored; nearest: --jpg-quality\n"},
  };
  for (const auto& [extra, errors] : kCases) {
    std::vector<std::string> arguments = {"-i", in_, "-o", out_, "-q"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const RunResult run = RunMarrowick(arguments);
    EXPECT_EQ(run.errors, errors) << extra[0];
    EXPECT_EQ(run.output, extra[0] == "-c" ? "Error: Invalid conversion type\n" : "") << extra[0];
  }
  EXPECT_EQ(Written(), std::vector<std::string>{"a.bmp"});
}

TEST_F(BatchRun, BoundaryValuesPassTheChecks) {
  Put(kGood1, "a.pct");
  const std::vector<std::vector<std::string>> kPassing = {
      {"-c", "jpg", "--jpg-quality=1"},       {"-c", "jpg", "--jpg-quality=100"},
      {"--gamma=0.01"},                       {"--gamma=9.99"},
      {"--width=-5", "--height=10"},          {"-c", "bmp", "--png-bpp=16"},
      {"--brightness=-100", "--contrast=100"}};
  for (const auto& extra : kPassing) {
    std::vector<std::string> arguments = {"-i", in_, "-o", out_, "-q"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    EXPECT_EQ(RunMarrowick(arguments).output, "") << extra.back();
  }
}

TEST_F(BatchRun, ThreeOfFourFilesConvertAndTheSummarySaysSo) {
  Put(kGood1, "a.pct");
  Put(kGood2, "b.pct");
  Put(kGood3, "c.pic");
  Put(kBad, "d.pct");
  const RunResult run = RunMarrowick({"-i", in_, "-o", out_, "-c", "png"});
  std::vector<std::string> expected = kBanner;
  for (const char* line : {"Preparing...", "Importing...", "Import complete, new files added: 4",
                           "Converting...", "Conversion complete", "Files converted: 3 of 4"})
    expected.push_back(line);
  EXPECT_EQ(Lines(run.output), expected);
  EXPECT_EQ(Written(), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
  FIBITMAP* picture = LoadAny(out_ + "b.png");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(FreeImage_GetWidth(picture), 320u);
  EXPECT_EQ(FreeImage_GetHeight(picture), 200u);
  FreeImage_Unload(picture);
}

TEST_F(BatchRun, QuietRunsPrintOnlyWhatAlwaysPrints) {
  Put(kBad, "bad.pct");
  EXPECT_EQ(RunMarrowick({"-i", in_, "-o", out_, "-q"}).output, "Conversion stopped\n");
  ASSERT_TRUE(WriteFileBytes(scratch_ / "photo.jpg", "not a pict"));
  EXPECT_EQ(RunMarrowick({"-i", scratch_ / "photo.jpg", "-o", out_, "-q"}).output,
            "Conversion stopped\n"
            "No input file(s) found. Please, add valid file(s) and try again!\n");
  Put(kGood1, "good.pct");
  EXPECT_EQ(RunMarrowick({"-i", in_, "-o", out_, "-q"}).output, "");
}

TEST_F(BatchRun, DebugEchoesEverySettingAndEachFileEvenWhenQuiet) {
  Put(kGood1, "a.pct");
  const RunResult run = RunMarrowick(
      {"-i", in_, "-o", out_, "-c", "jpg", "--jpg-quality=80", "--jpg-chroma=medium",
       "--rotation=90", "--width=50", "--height=50", "--width-unit=percent",
       "--height-unit=percent", "--resize-algorithm=lanczos", "--invert", "--greyscale",
       "--threshold=300", "--fr-solid-top=5", "--fr-solid-top-color=FF0000",
       "--filename-mask=%n%.%ext%", "--file-timestamp=custom", "--file-timestamp-custom=0",
       "--no-subfolders", "-d", "-q"});
  const std::vector<std::string> expected = {
      "Input: " + in_, "Output: " + out_, "Conversion: jpg", "JPG BPP: 0", "JPG Quality: 80",
      "JPG Chroma Subsampling: medium", "JPG Save As: standard", "Image Rotation Type: simple",
      "Image Rotation: 90", "Image Rotation Back Color: 000000", "Width: 50 percent",
      "Height: 50 percent", "Keep Aspect Ratio: 0", "Image Resize Type: allimages",
      "Image Resize Algorithm: lanczos", "Flip Horizontal: 0", "Flip Vertical: 0",
      "Brightness: 0", "Contrast: 0", "Gamma: 1.00", "Invert: 1", "Greyscale: 1",
      "Image Threshold: 300", "Frame: solid", "Frame left: 0", "Frame right: 0", "Frame top: 5",
      "Frame bottom: 0", "Frame left color: 000000", "Frame right color: 000000",
      "Frame top color: FF0000", "Frame bottom color: 000000", "Frame opacity: 255",
      "Watermark: none", "Filename Mask: %n%.%ext%", "File Timestamp: custom",
      "Custom Timestamp: 0", "Keep Subfolders: 0", "Processing: " + in_ + "a.pct",
      "Saving As: " + out_ + "00001.jpg", "OK"};
  EXPECT_EQ(Lines(run.output), expected);
}

TEST_F(BatchRun, DebugEchoShowsEachFormatsOwnKeywords) {
  Put(kGood1, "a.pct");
  const RunResult run = RunMarrowick({"-i", in_, "-o", out_, "-c", "png", "--png-compression=zlib9",
                                      "--png-interlaced", "-d", "-q"});
  const auto lines = Lines(run.output);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 6),
            (std::vector<std::string>{"PNG BPP: 0", "PNG Compression: zlib9", "PNG Interlaced: 1"}));
}

TEST_F(BatchRun, FailedFileShowsNotOkAndUsesUpNoCounterValue) {
  Put(kGood1, "a.pct");
  Put(kBad, "b.pct");
  Put(kGood3, "c.pic");
  const RunResult run = RunMarrowick(
      {"-i", in_, "-o", out_, "-c", "png", "--filename-mask=%n%_%filename%.%ext%", "-d", "-q"});
  const auto lines = Lines(run.output);
  const std::vector<std::string> tail(lines.end() - 9, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{
                      "Processing: " + in_ + "a.pct", "Saving As: " + out_ + "00001_a.png", "OK",
                      "Processing: " + in_ + "b.pct", "Saving As: ", "Not OK",
                      "Processing: " + in_ + "c.pic", "Saving As: " + out_ + "00002_c.png", "OK"}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"00001_a.png", "00002_c.png"}));
}

TEST_F(BatchRun, TreeIsMirroredOrFlattened) {
  Put(kGood1, "top.pct");
  Put(kGood2, "one/mid.pct");
  Put(kGood3, "one/two/deep.pic");
  Put(kBad, "one/two/three/bad.pct");
  EXPECT_EQ(RunMarrowick({"-i", in_, "-o", out_, "-c", "bmp", "-q"}).output, "");
  EXPECT_EQ(Written(), (std::vector<std::string>{"one/mid.bmp", "one/two/deep.bmp", "top.bmp"}));
  // The subfolder of a file is made before it is converted, even when it then fails.
  EXPECT_TRUE(IsFolder(out_ + "one/two/three"));

  fs::remove_all(out_);
  fs::create_directories(out_);
  EXPECT_EQ(RunMarrowick({"-i", in_, "-o", out_, "-c", "bmp", "-q", "--no-subfolders"}).output, "");
  EXPECT_EQ(Written(), (std::vector<std::string>{"deep.bmp", "mid.bmp", "top.bmp"}));
}

TEST_F(BatchRun, FoldersReachedThroughLinksAreWalkedOnce) {
  struct Case {
    std::string label;
    // Each link's path below the scratch folder, and what it points to.
    std::vector<std::pair<std::string, std::string>> links;
    int converted;                     // of as many admitted
    std::vector<std::string> written;  // files and folders, sorted
  };
  const std::vector<std::string> kTree = {"a.png", "sub", "sub/b.png"};
  const Case kCases[] = {
      {"a link to the parent", {{"in/sub/up", ".."}}, 2, kTree},
      {"two links to the parent", {{"in/sub/up", ".."}, {"in/sub/up2", ".."}}, 2, kTree},
      {"two links making a cycle through a folder outside",
       {{"in/sub/there", "../../outside"}, {"outside/back", "../in"}},
       3,
       {"a.png", "sub", "sub/b.png", "sub/there", "sub/there/c.png"}},
      // The real folder keeps its files, although the link's name comes first.
      {"a link to a sibling inside the tree", {{"in/another", "sub"}}, 2, kTree},
      {"two links to a folder outside the tree",
       {{"in/ext", "../outside"}, {"in/sub/ext2", "../../outside"}},
       3,
       {"a.png", "ext", "ext/c.png", "sub", "sub/b.png"}},
      {"a dangling link", {{"in/gone", "../missing"}}, 2, kTree},
      // A link to a file is a file of its own.
      {"a link to a file",
       {{"in/sub/copy.pct", "../a.pct"}},
       3,
       {"a.png", "sub", "sub/b.png", "sub/copy.png"}},
  };
  for (const Case& c : kCases) {
    ScratchFolder scratch;
    const std::string in = scratch / "in/", out = scratch / "out/";
    fs::create_directories(in + "sub");
    fs::create_directories(out);
    fs::create_directories(scratch / "outside");
    ASSERT_TRUE(WriteTestPicture(kGood1, in + "a.pct"));
    ASSERT_TRUE(WriteTestPicture(kGood2, in + "sub/b.pct"));
    ASSERT_TRUE(WriteTestPicture(kGood3, scratch / "outside/c.pic"));
    for (const auto& [link, target] : c.links) fs::create_symlink(target, scratch / link);

    const RunResult run = RunMarrowick({"-i", in, "-o", out, "-c", "png"});
    const std::vector<std::string> lines = Lines(run.output);
    const std::string count = std::to_string(c.converted);
    ASSERT_FALSE(lines.empty()) << c.label;
    EXPECT_EQ(lines.back(), "Files converted: " + count + " of " + count) << c.label;
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(out))
      written.push_back(entry.path().string().substr(out.size()));
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, c.written) << c.label;
  }
}

TEST_F(BatchRun, ListFileAdmitsEachNamedFileOnce) {
  Put(kGood1, "a.pct");
  Put(kGood2, "b.pct");
  Put(kGood3, "sub/c.pic");
  const std::string list = in_ + "a.pct\n" + "  " + in_ + "a.pct  \r\n\n   \n" + in_ +
                           "missing.pct\r" + in_ + "b.pct\n" + in_ + "sub";
  ASSERT_TRUE(WriteFileBytes(scratch_ / "files.LST", list));
  const RunResult run = RunMarrowick({"-i", scratch_ / "files.LST", "-o", out_, "-c", "tga"});
  const auto lines = Lines(run.output);
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[6], "Import complete, new files added: 3");
  EXPECT_EQ(lines.back(), "Files converted: 3 of 3");
  EXPECT_EQ(Written(), (std::vector<std::string>{"a.tga", "b.tga", "c.tga"}));
}

TEST_F(BatchRun, NoInputReplacesAnOutputOfItsOwnRunWhateverTheJobs) {
  Put(kBad, "a.pct");
  Put(kGood1, "a.pic");
  Put(kGood2, "a.pict");
  Put(kGood3, "sub/a.pct");
  struct Case {
    std::string mask;
    std::vector<std::string> written;
    std::vector<std::string> errors;  // what standard error holds, beside the failed file's line
  };
  // A file that fails keeps the name the mask gives it without the picture, so that whether it
  // converts never renames the files after it; a numbered name it never had.
  const Case kCases[] = {
      {"%filename%.%ext%",
       {"a~2.png", "a~3.png"},
       {"a.pic: written as " + out_ + "a~2.png, since " + out_ + "a.png is already the name of " +
            in_ + "a.pct in this run",
        "a.pict: written as " + out_ + "a~3.png, since " + out_ + "a.png is already the name of " +
            in_ + "a.pct in this run",
        "sub/a.pct: written as " + out_ + "a~4.png, since " + out_ +
            "a.png is already the name of " + in_ + "a.pct in this run"}},
      {"%n%.%ext%", {"00001.png", "00002.png", "00003.png"}, {}},
  };
  for (const Case& c : kCases) {
    for (const char* jobs : {"--jobs=1", "--jobs=2"}) {
      fs::remove_all(out_);
      fs::create_directories(out_);
      const RunResult run = RunMarrowick({"-i", in_, "-o", out_, "-c", "png", "-q",
                                          "--no-subfolders", "--filename-mask=" + c.mask, jobs});
      std::vector<std::string> written = c.written;
      if (c.mask.starts_with("%f")) written.push_back("a~4.png");
      EXPECT_EQ(Written(), written) << c.mask << " " << jobs;
      const std::vector<std::string> lines = Lines(run.errors);
      ASSERT_EQ(lines.size(), c.errors.size() + 1) << run.errors;
      for (size_t i = 0; i < c.errors.size(); ++i)
        EXPECT_NE(lines[i + 1].find(c.errors[i]), std::string::npos) << lines[i + 1];
    }
  }
}

TEST_F(BatchRun, NoIntermediateFileIsLeftAnywhere) {
  Put(kGood1, "a.pct");
  Put(kBad, "b.pct");
  Put(TestPicture::Text, "c.pct");  // hangs FreeImage's own reader
  // A user's file named like the intermediate must survive the run.
  ASSERT_TRUE(WriteFileBytes(scratch_ / "a.tga", "mine"));
  const std::string temp = scratch_ / "tmp/";
  fs::create_directories(temp);
  RunOptions options;
  options.workingFolder = scratch_.path();
  options.tempFolder = temp;
  for (const char* format : {"png", "psd", "dds", "jxr"}) {
    const RunResult run = RunMarrowick({"-i", in_, "-o", out_, "-c", format, "-q"}, options);
    EXPECT_EQ(run.output, "") << format;
    EXPECT_EQ(CountEntries(temp), 0) << format;
  }
  EXPECT_EQ(*ReadFileBytes(scratch_ / "a.tga"), "mine");
  EXPECT_EQ(Written(), (std::vector<std::string>{"a.dds", "a.jxr", "a.png", "a.psd"}));
}

TEST_F(BatchRun, OriginalTimestampIsCopiedFromEachSource) {
  Put(kGood1, "a.pct");
  Put(kGood2, "b.pct");
  ASSERT_TRUE(SetModificationTime(in_ + "a.pct", 1'200'000'000));
  ASSERT_TRUE(SetModificationTime(in_ + "b.pct", 1'300'000'000));
  RunMarrowick({"-i", in_, "-o", out_, "-c", "png", "-q", "--file-timestamp=original"});
  EXPECT_EQ(ModificationTime(out_ + "a.png"), 1'200'000'000);
  EXPECT_EQ(ModificationTime(out_ + "b.png"), 1'300'000'000);
  EXPECT_EQ(ModificationTime(in_ + "a.pct"), 1'200'000'000);
}

TEST_F(BatchRun, SingleFileWithoutOutputFolderWritesBesideIt) {
  Put(kGood1, "photo.PICT");
  EXPECT_EQ(RunMarrowick({"-i", in_ + "photo.PICT", "-q", "-c", "gif"}).output, "");
  EXPECT_TRUE(FileSize(in_ + "photo.gif").has_value());
}

TEST_F(BatchRun, NamesLikeOptionsListsOrPrefixesConvertGivenRelativeOrAbsolute) {
  // ImageMagick would take "@x" for a list of files, "-x" for an option, "x[1]" for a frame, "%d"
  // for a numbered sequence and "png:" for a format. Each name holds a picture of another size,
  // so that a mix-up shows, and one that only the converter reads, so that every name reaches
  // it.
  struct File {
    std::string name;
    int width, height;
  };
  const File kFiles[] = {{"@e.pct", 63, 5},
                         {"-e.pct", 64, 6},
                         {"f[1].pct", 65, 7},
                         {"g%d.pct", 66, 8},
                         {"png:h.pct", 63, 9}};
  std::string relative, absolute;
  for (const File& file : kFiles) {
    ASSERT_TRUE(WriteConverterOnlyPicture(in_ + file.name, file.width, file.height)) << file.name;
    relative += file.name + "\n";
    absolute += in_ + file.name + "\n";
  }
  ASSERT_TRUE(WriteFileBytes(scratch_ / "relative.lst", relative));
  ASSERT_TRUE(WriteFileBytes(scratch_ / "absolute.lst", absolute));
  // A converter that notes each input it is handed, then converts it.
  const std::string tools = scratch_ / "tools/", log = scratch_ / "inputs.log";
  fs::create_directories(tools);
  std::ofstream(tools + "convert") << "#!/bin/sh\nfor a; do case $a in pict:*) printf '%s\\n' "
                                      "\"${a#pict:}\" >> '"
                                   << log << "';; esac; done\nexec /usr/bin/convert \"$@\"\n";
  fs::permissions(tools + "convert", fs::perms::owner_all);
  RunOptions options;
  options.workingFolder = in_;
  options.extraPath = tools;

  // Lines of a list file resolve against the current folder; "-i" takes no value beginning
  // with "-", so that name comes only in the lists.
  const std::vector<std::string> kInputs = {scratch_ / "relative.lst",
                                            scratch_ / "absolute.lst",
                                            "@e.pct",
                                            in_ + "@e.pct",
                                            "png:h.pct",
                                            "f[1].pct"};
  for (const std::string& input : kInputs) {
    fs::remove_all(out_);
    fs::create_directories(out_);
    EXPECT_EQ(RunMarrowick({"-i", input, "-o", out_, "-c", "png", "-q"}, options).output, "")
        << input;
    const bool isList = input.ends_with(".lst");
    for (const File& file : kFiles) {
      if (!isList && !input.ends_with(file.name)) continue;
      const std::string name = file.name.substr(0, file.name.size() - 4) + ".png";
      FIBITMAP* picture = LoadAny(out_ + name);
      ASSERT_NE(picture, nullptr) << input << ": " << name;
      EXPECT_EQ(FreeImage_GetWidth(picture), static_cast<unsigned>(file.width)) << input;
      EXPECT_EQ(FreeImage_GetHeight(picture), static_cast<unsigned>(file.height)) << input;
      FreeImage_Unload(picture);
    }
  }
  // Every file reached the converter under its absolute name.
  std::ifstream inputs(log);
  int handed = 0;
  for (std::string line; std::getline(inputs, line); ++handed)
    EXPECT_TRUE(line.starts_with(in_)) << line;
  EXPECT_EQ(handed, 14);
}

}  // namespace

namespace {

// The lines of standard error about file ("<program>: <file>: <reason>").
std::vector<std::string> ErrorLinesFor(const std::string& errors, const std::string& file) {
  std::vector<std::string> lines;
  for (const std::string& line : Lines(errors))
    if (line.starts_with("marrowickcmd") && line.find(": " + file + ": ") != std::string::npos)
      lines.push_back(line);
  return lines;
}

}  // namespace

TEST_F(BatchRun, EveryFailedFileGetsOneLineWithItsReasonOnStandardErrorEvenWhenQuiet) {
  Put(kGood1, "a.pct");
  Put(kBad, "bad.pct");
  Put(kGood2, "sub/c.pct");
  // A file where the subfolder should be: sub/c.pct cannot be written.
  ASSERT_TRUE(WriteFileBytes(out_ + "sub", "in the way"));
  RunOptions slowConverter;
  slowConverter.shortConverterDeadline = true;
  const std::string fake = scratch_ / "fake/";
  fs::create_directories(fake);
  std::ofstream(fake + "convert") << "#!/bin/sh\nexec /bin/sleep 1000\n";
  fs::permissions(fake + "convert", fs::perms::owner_all);
  slowConverter.extraPath = fake;
  struct Case {
    std::vector<std::string> extra;
    RunOptions options;
    std::string badReason;  // what the line of bad.pct says
  };
  const Case kCases[] = {
      {{}, {}, "no decoder could read it (our decoder: "},
      {{"-q"}, {}, "; convert: exit status 1; FreeImage's reader: found no picture)"},
      {{"-q"}, slowConverter, "; convert: stopped after 500 ms; "},
  };
  for (const Case& c : kCases) {
    std::vector<std::string> arguments = {"-i", in_, "-o", out_, "-c", "png"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const RunResult run = RunMarrowick(arguments, c.options);
    EXPECT_EQ(Lines(run.errors).size(), 2u) << run.errors;
    EXPECT_TRUE(ErrorLinesFor(run.errors, in_ + "a.pct").empty()) << run.errors;
    const auto bad = ErrorLinesFor(run.errors, in_ + "bad.pct");
    ASSERT_EQ(bad.size(), 1u) << run.errors;
    EXPECT_NE(bad[0].find(c.badReason), std::string::npos) << bad[0];
    const auto blocked = ErrorLinesFor(run.errors, in_ + "sub/c.pct");
    ASSERT_EQ(blocked.size(), 1u) << run.errors;
    EXPECT_NE(blocked[0].find(out_ + "sub/: Not a directory"), std::string::npos) << blocked[0];
    // Standard output is what it always was.
    EXPECT_TRUE(run.output.ends_with(c.extra.empty() ? "Files converted: 1 of 3\n" : ""));
  }

  // A format that cannot hold the picture says so; a run where every file converts is silent.
  const RunResult icon = RunMarrowick({"-i", in_ + "a.pct", "-o", out_, "-c", "ico", "-q"});
  EXPECT_NE(icon.errors.find(": FreeImage could not write this picture as ico (80 x 60, 24 bits)"),
            std::string::npos)
      << icon.errors;
  EXPECT_EQ(RunMarrowick({"-i", in_ + "a.pct", "-o", out_, "-c", "png"}).errors, "");
}

TEST_F(BatchRun, ExitStatusTellsWhatHappenedOnlyWhenAskedTo) {
  Put(kGood1, "good/a.pct");
  Put(kGood1, "mixed/a.pct");
  Put(kBad, "mixed/bad.pct");
  fs::create_directories(in_ + "empty");
  const std::pair<std::vector<std::string>, int> kCases[] = {
      {{"-i", in_ + "good/", "-o", out_}, 0},
      {{"-i", in_ + "mixed/", "-o", out_}, 1},
      {{"-i", in_ + "empty/", "-o", out_}, 2},                           // no input
      {{"-i", in_ + "good/", "-o", scratch_ / "missing/"}, 2},           // a check
      {{"-i", in_ + "good/", "-o", out_, "--jobs=0"}, 2},                // a check of ours
      {{"-i", in_ + "good/", "-o", out_, "--profile=/nonexistent"}, 2},  // the command line
      {{"-i", in_ + "good/", "-o", out_, "--skip-existing", "--filename-mask=%rnd%.%ext%"}, 2},
  };
  for (const auto& [arguments, exitCode] : kCases) {
    EXPECT_EQ(RunMarrowick(arguments).exitCode, 0) << arguments[1];
    std::vector<std::string> asking = arguments;
    asking.push_back("--exit-status");
    EXPECT_EQ(RunMarrowick(asking).exitCode, exitCode) << arguments[1];
  }
}

TEST_F(BatchRun, SkipExistingPassesOverUpToDateOutputsAndConvertsTheRest) {
  Put(kGood1, "a.pct");
  Put(kGood2, "a.pict");  // named a~2.png: the same name on resuming
  Put(kGood3, "sub/b.pct");
  Put(kGood1, "sub/c.pct");
  Put(kGood2, "sub/d.pct");
  Put(kBad, "e.pct");
  struct Case {
    std::string mask;
    std::vector<std::string> outputs;  // of a, a.pict, b, c, d, in that order
  };
  const Case kCases[] = {
      {"%filename%.%ext%", {"a.png", "a~2.png", "sub/b.png", "sub/c.png", "sub/d.png"}},
      // Names that need the picture: each file is converted to learn it, then not written.
      {"%filename%-%width%.%ext%",
       {"a-80.png", "a-320.png", "sub/b-3.png", "sub/c-80.png", "sub/d-320.png"}},
  };
  for (const Case& c : kCases) {
    for (const char* jobs : {"--jobs=1", "--jobs=2"}) {
      const std::string label = c.mask + " " + jobs;
      fs::remove_all(out_);
      fs::create_directories(out_);
      const std::vector<std::string> arguments = {
          "-i", in_, "-o", out_, "-c", "png", "-q", "--skip-existing", "--filename-mask=" + c.mask,
          jobs};
      RunResult run = RunMarrowick(arguments);
      EXPECT_EQ(Written().size(), 5u) << label;
      EXPECT_NE(run.errors.find("skipped 0 of 6 files"), std::string::npos) << run.errors;
      // One output older than its input, one empty, one gone; the others stay as they are.
      ASSERT_TRUE(SetModificationTime(out_ + c.outputs[2], 1'000'000'000)) << label;
      ASSERT_TRUE(WriteFileBytes(out_ + c.outputs[3], ""));
      ASSERT_TRUE(RemoveFile(out_ + c.outputs[4]));
      ASSERT_TRUE(SetModificationTime(out_ + c.outputs[0], 2'000'000'000));
      ASSERT_TRUE(WriteFileBytes(out_ + c.outputs[1], "kept"));
      ASSERT_TRUE(SetModificationTime(out_ + c.outputs[1], 2'000'000'000));
      run = RunMarrowick(arguments);
      EXPECT_EQ(run.output, "") << label;
      EXPECT_NE(run.errors.find("skipped 2 of 6 files"), std::string::npos) << run.errors;
      EXPECT_EQ(*ReadFileBytes(out_ + c.outputs[1]), "kept") << label;
      EXPECT_EQ(*ModificationTime(out_ + c.outputs[0]), 2'000'000'000) << label;
      for (size_t i = 2; i < 5; ++i)
        EXPECT_GT(*FileSize(out_ + c.outputs[i]), 0) << label << " " << c.outputs[i];
      EXPECT_GT(*ModificationTime(out_ + c.outputs[2]), 1'000'000'000) << label;
      EXPECT_EQ(Written().size(), 5u) << label;
      // Skipped files count as neither converted nor failed; the unreadable one fails again.
      std::vector<std::string> verbose = arguments;
      verbose.erase(verbose.begin() + 6);  // -q
      verbose.push_back("--exit-status");
      run = RunMarrowick(verbose);
      EXPECT_EQ(Lines(run.output).back(), "Conversion stopped") << label;
      EXPECT_NE(run.errors.find("skipped 5 of 6 files"), std::string::npos) << run.errors;
      EXPECT_EQ(run.exitCode, 1) << label;
    }
  }
}
