// quillmere_docs: writes the man page, docs/options.md and the bash completion of marrowickcmd
// from the option rows, the keyword tables, the output format rows and the filename-mask
// tokens, so that none of them can fall behind the program.
//   quillmere_docs MAN_PAGE MARKDOWN COMPLETION   writes the three files
//   quillmere_docs --version                      prints the program's version ("2.2")
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "console/messages.h"
#include "naming/tokens.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/keywords.h"
#include "settings/option_rows.h"
#include "settings/settings.h"
#include "tools/document.h"

namespace {

constexpr std::string_view kProgram = "marrowickcmd";

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::string Literal(std::string_view text) { return "`" + std::string(text) + "`"; }

std::string LongName(const OptionRow& row) { return ToLower(row.name); }

// The value's name after "=": the row's own, else one by the kind; empty for a flag.
std::string ValueName(const OptionRow& row) {
  if (!row.valueName.empty()) return std::string(row.valueName);
  switch (row.kind) {
    case OptionKind::Path:
      return "PATH";
    case OptionKind::Extension:
      return "FORMAT";
    case OptionKind::Keyword:
      return "KEYWORD";
    case OptionKind::Integer:
      return "N";
    case OptionKind::Decimal:
      return "X";
    case OptionKind::Text:
      return "TEXT";
    case OptionKind::MaskText:
      return "MASK";
    case OptionKind::Flag:
      return {};
  }
  return {};
}

// The keywords an option takes, upper case: a compression option's are its format's own.
std::vector<std::string> Keywords(const OptionRow& row) {
  std::vector<std::string> keywords;
  if (row.table == kCompressionTable) {
    for (const std::string_view keyword : FindOutputFormat(row.format)->compressions)
      keywords.push_back(ToUpper(keyword));
  } else {
    for (const Keyword& keyword : KeywordTable(row.table)) keywords.emplace_back(keyword.text);
  }
  return keywords;
}

// "`-i` *INPUT*, `--input=`*INPUT*", "`--width=`*N*", "`-q`, `--quiet`".
std::string Term(const OptionRow& row) {
  const std::string value = ValueName(row);
  std::string term;
  if (!row.shortName.empty()) {
    term = Literal(ToLower(row.shortName));
    if (!value.empty()) term += " *" + value + "*";
    term += ", ";
  }
  if (value.empty()) return term + Literal(LongName(row));
  return term + Literal(LongName(row) + "=") + "*" + value + "*";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The records of a command-line run before any option: the defaults the documentation shows.
const ConversionSettings kDefaultSettings = DefaultSettings(true);
const JobRecord kDefaultJob = NewJobRecord();

// The default as the fresh records hold it; empty when there is nothing to say.
std::string DefaultOf(const OptionRow& row) {
  if (!row.defaultText.empty()) return std::string(row.defaultText);
  // A flag is off until given, and a text that switches its step on has no default to speak of.
  if (row.kind == OptionKind::Flag || (row.kind == OptionKind::Text && row.step != StepFlag::None))
    return {};
  const std::string text = FieldText(row, kDefaultSettings, kDefaultJob);
  if (text.empty()) return {};
  return Literal(row.kind == OptionKind::Keyword ? ToUpper(text) : text);
}

std::string Details(const OptionRow& row) {
  std::string text(row.help);
  if (row.kind == OptionKind::Keyword) {
    std::vector<std::string> keywords;
    for (const std::string& keyword : Keywords(row)) keywords.push_back(Literal(keyword));
    text += " Values: " + Join(keywords, ", ") + ".";
  }
  if (!row.unit.empty()) text += " In " + std::string(row.unit) + ".";
  if (row.check.kind == CheckKind::Within)
    text +=
        " From " + Literal(Number(row.check.low)) + " to " + Literal(Number(row.check.high)) + ".";
  if (row.check.kind == CheckKind::NotZero) text += " Must not be 0.";
  if (const std::string value = DefaultOf(row); !value.empty()) text += " Default: " + value + ".";
  return text;
}

void Add(Document& page, BlockKind kind, std::string text, std::string term = {}) {
  page.blocks.push_back({kind, std::move(text), std::move(term)});
}

void AddDescription(Document& page) {
  Add(page, BlockKind::Section, "Synopsis");
  Add(page, BlockKind::Paragraph,
      "`marrowickcmd -i` *INPUT* [`-o` *FOLDER*] [`-c` *FORMAT*] [*OPTION*...]");
  Add(page, BlockKind::Paragraph, "`marrowickcmd --help` | `--version`");
  Add(page, BlockKind::Section, "Description");
  Add(page, BlockKind::Paragraph,
      "`marrowickcmd` converts Macintosh PICT pictures (`.pic`, `.pict` and `.pct`, in any "
      "letter case) into one of 23 picture formats: one file, the files and folders a list file "
      "names, or a whole folder tree at a time. On the way each picture can be turned, resized, "
      "flipped, changed in colour, framed and watermarked, and each output file is named by a "
      "filename mask.");
  Add(page, BlockKind::Paragraph,
      "It reads PICT itself: bitmaps, pixmaps, QuickDraw's drawing and text, and QuickTime "
      "pictures. A file it cannot read is handed to ImageMagick's `convert`, then to FreeImage's "
      "PICT reader. A file that fails gets one line on standard error with its reason, and the "
      "run goes on with the next.");
  Add(page, BlockKind::Paragraph,
      "Options are read from left to right; a later one overwrites an earlier one. A long option "
      "takes its value after `=` (`--width=800`; `--width 800` is an error), while `-i`, `-o` "
      "and `-c` take the next argument. Option names and keywords may be written in any letter "
      "case. Numbers are decimal, hexadecimal after `$` or binary after `%`, and are read up to "
      "the first character that is no digit (`800px` is 800, `abc` is 0); only `--gamma` takes "
      "a decimal point. A value in double quotes may hold spaces. Unknown options are ignored, "
      "and so is an unknown keyword, which counts as the option's first keyword.");
  Add(page, BlockKind::Paragraph,
      "Before any file is touched, the input, the output folder and the values the run uses are "
      "checked in a fixed order; the first that fails ends the run with one line such as "
      "`Error: Invalid brightness value`.");
  Add(page, BlockKind::Paragraph,
      "Colours are six hexadecimal digits *RRGGBB*, in either letter case and without `#`: "
      "`FF8000` is orange. A text of any other length, such as `red` or `#FF8000`, gives black. "
      "Opacities run from 0 (transparent) to 255 (opaque): 128 is about half.");
}

void AddOptions(Document& page) {
  Add(page, BlockKind::Section, "Options");
  Add(page, BlockKind::Paragraph,
      "`-h`, `-?`, `--help` prints a short usage text and `-v`, `--version` the version; both "
      "count only as the first argument.");
  for (const OptionSection& section : OptionSections()) {
    Add(page, BlockKind::Subsection, std::string(section.title));
    if (!section.intro.empty()) Add(page, BlockKind::Paragraph, std::string(section.intro));
    for (const OptionRow& row : section.rows)
      if (!row.name.empty()) Add(page, BlockKind::Item, Details(row), Term(row));
  }
}

void AddFormats(Document& page) {
  Add(page, BlockKind::Section, "Output formats");
  Add(page, BlockKind::Paragraph,
      "Each format takes the bit depths listed. With its depth option at 0, the default, a "
      "picture gets the first of them at or above its own depth, else the largest: a 24-bit "
      "picture becomes a 24-bit PNG but a 96-bit EXR. A picture that cannot be written in its "
      "format and depth fails on its own; an existing output file is never destroyed by a "
      "failed save. JPEG 2000 (`j2k`, `jp2`) needs pictures of at least 32 pixels each way.");
  for (const OutputFormat& format : kOutputFormats) {
    std::vector<std::string> depths, options;
    for (const int depth : format.depths) depths.push_back(std::to_string(depth));
    for (const OptionRow& row : OptionRows())
      if (row.format == format.extension) options.push_back(Literal(LongName(row)));
    std::string text = "Depths " + Join(depths, ", ") + "; options " + Join(options, ", ") + ".";
    if (format.writer == Writer::JxrEncoder) text += " Written losslessly by jxrlib's `JxrEncApp`.";
    if (format.writer == Writer::Devil) text += " Written by DevIL.";
    if (format.mipmaps) text += " The file holds the full chain of mipmaps.";
    if (format.squareLimit > 0)
      text += " A picture wider or taller than " + std::to_string(format.squareLimit) +
              " pixels becomes exactly " + std::to_string(format.squareLimit) + " x " +
              std::to_string(format.squareLimit) +
              "; icons must be square and 16 to 256 pixels, so a smaller picture that is not "
              "fails.";
    Add(page, BlockKind::Item, text, Literal(format.extension));
  }
  Add(page, BlockKind::Paragraph,
      "The five compression options share one list of keywords: a keyword of another format is "
      "taken at its number in that list (`--png-compression=RLE` is `ZLIB1`).");
}

void AddFoldersAndFiles(Document& page) {
  Add(page, BlockKind::Section, "Folders and files");
  Add(page, BlockKind::Paragraph,
      "`-i` names a file when its last part has an extension (`photo.pic`, `list.txt`), else a "
      "folder; end a folder whose name holds a dot with `/`. A folder is converted with its "
      "whole tree, and the output folder gets the same subfolders unless `--no-subfolders` is "
      "given. A list file (`.txt` or `.lst`, UTF-8) names one file or folder a line; blank "
      "lines and names that do not exist are passed over.");
  Add(page, BlockKind::Paragraph,
      "A relative input or output *folder* is taken from the program's own folder, not from the "
      "current directory: for an installed program that is the folder it was installed to, "
      "such as `/usr/bin/`. Give folders as absolute paths. A leading `./` is dropped, and a "
      "folder that begins with `..` is refused.");
  Add(page, BlockKind::Paragraph,
      "Input *files*, the lines of a list file, profiles and watermark pictures are found from "
      "the current directory, as any program finds files.");
  Add(page, BlockKind::Paragraph,
      "Without `-o` the pictures go to the folder of the input; for a file named without a "
      "folder (`-i photo.pic`) that is the program's folder, so give `-o`. The output folder "
      "must exist; it is never created. Output files of the same name are replaced.");
}

void AddMasksAndProfiles(Document& page) {
  Add(page, BlockKind::Section, "Filename masks");
  Add(page, BlockKind::Paragraph,
      "`--filename-mask` names each output file; `--wm-text` may hold the same tokens. Tokens "
      "may be written in any letter case; the rest of a mask is lower-cased. The default mask "
      "is `%filename%.%ext%`.");
  for (const FilenameToken& token : kFilenameTokens)
    Add(page, BlockKind::Item,
        ToUpper(token.help.substr(0, 1)) + std::string(token.help.substr(1)) + ".",
        Literal(token.text));

  Add(page, BlockKind::Section, "Profiles");
  std::vector<std::string> commandLineOnly;
  for (const OptionRow& row : OptionRows())
    if (row.place == OptionPlace::CommandLineOnly) commandLineOnly.push_back(Literal(row.name));
  Add(page, BlockKind::Paragraph,
      "A profile (`--profile`) is a text file, UTF-8 when it begins with a byte-order mark and "
      "Latin-1 otherwise. Only its first `[CLI]` group is read (any letter case), one option a "
      "line as `--KEY=VALUE` with the long option name as key; a flag stands alone. Lines "
      "beginning with `;` are comments, spaces around keys and values are dropped, and an empty "
      "value counts as 0. Text values keep their double quotes, except the filename mask's. "
      "These keys are ignored there: " +
          Join(commandLineOnly, ", ") +
          "; the frame's opacity is `--WM-SOLID-OPACITY` in a profile.");
  Add(page, BlockKind::Example, "A profile for small JPEG files:",
      "[CLI]\n--JPG-QUALITY=80\n--WIDTH=50\n--HEIGHT=50\n--WIDTH-UNIT=PERCENT\n"
      "--HEIGHT-UNIT=PERCENT\n--RESIZE-ALGORITHM=LANCZOS");
}

void AddEnvironment(Document& page) {
  Add(page, BlockKind::Section, "Standard output and error");
  Add(page, BlockKind::Paragraph,
      "Standard output carries the banner and the status lines (not with `-q`), every "
      "`Error:` line, the debug lines (`-d`) and the summary, for example "
      "`Files converted: 3 of 4`. Standard error carries the progress line when it is a "
      "terminal, one line for each file that fails, and the line of a run that another run's "
      "lock stopped.");
  Add(page, BlockKind::Section, "Exit status");
  Add(page, BlockKind::Paragraph,
      "0 whatever happened, unless `--exit-status` is given; read the printed lines instead. "
      "With `--exit-status`:");
  Add(page, BlockKind::Item, "every file converted.", "0");
  Add(page, BlockKind::Item, "some file failed.", "1");
  Add(page, BlockKind::Item,
      "the run stopped on an error: the command line, a folder, a value, or no input file.", "2");
  Add(page, BlockKind::Item, "another run held the lock (see FILES).", "3");
  Add(page, BlockKind::Section, "Environment");
  Add(page, BlockKind::Item,
      "Where each run makes its private temporary folder, removed when the run ends "
      "(default `/tmp`).",
      "`TMPDIR`");
  Add(page, BlockKind::Item, "The folder of the lock file (see FILES).", "`XDG_RUNTIME_DIR`");
  Add(page, BlockKind::Item, "Where ImageMagick's `convert` and jxrlib's `JxrEncApp` are found.",
      "`PATH`");
  Add(page, BlockKind::Section, "Files");
  Add(page, BlockKind::Item,
      "The lock that lets one run go at a time, held while the run lasts. Without "
      "`XDG_RUNTIME_DIR` it lives in a folder of the user's own under the temporary folder, "
      "`$TMPDIR/quillmere-`*UID*`/`.",
      "`$XDG_RUNTIME_DIR/" + TitleText(kProductName, kVersionNumber) + ".lock`");
}

void AddExamples(Document& page) {
  Add(page, BlockKind::Section, "Examples");
  Add(page, BlockKind::Example, "Convert a folder tree into PNG files:",
      "marrowickcmd -i /home/me/pictures/ -o /home/me/converted/ -c png");
  Add(page, BlockKind::Example, "One file into a JPEG of quality 80, in the current folder:",
      "marrowickcmd -i photo.pict -o \"$PWD\" -c jpg --jpg-quality=80");
  Add(page, BlockKind::Example, "Half the size, keeping the proportions:",
      "marrowickcmd -i /home/me/pictures/ -o /tmp/small/ --width=50 --height=50 \\\n"
      "    --width-unit=percent --height-unit=percent --keep-aspect-ratio");
  Add(page, BlockKind::Example, "A white text in the bottom right corner, smoothed:",
      "marrowickcmd -i /home/me/pictures/ -o /tmp/marked/ -c png \\\n"
      "    --wm-text=\"(c) 2026 Me\" --wm-font-size=18 --wm-text-antialiasing");
  Add(page, BlockKind::Example, "Name the files by their size, and see every setting:",
      "marrowickcmd -i /home/me/pictures/ -o /tmp/out/ -d \\\n"
      "    --filename-mask=\"%filename%_%width%x%height%.%ext%\"");
  Add(page, BlockKind::Example, "In a script, stop when something failed:",
      "marrowickcmd -q --exit-status -i /srv/in/ -o /srv/out/ -c tiff || exit 1");
  Add(page, BlockKind::Section, "See also");
  Add(page, BlockKind::Paragraph, "*convert*(1), *JxrEncApp*(1)");
}

Document Manual() {
  Document page{std::string(kProgram),
                "converts Macintosh PICT pictures into other formats",
                TitleText(kProductName, kVersionNumber),
                {}};
  AddDescription(page);
  AddOptions(page);
  AddFormats(page);
  AddFoldersAndFiles(page);
  AddMasksAndProfiles(page);
  AddEnvironment(page);
  AddExamples(page);
  return page;
}

// The bash completion: option names, the keywords of each keyword option, the formats after
// -c, files after -i and the options naming files, folders after -o.
std::string Completion() {
  std::vector<std::string> names;
  std::string cases;
  for (const OptionRow& row : OptionRows()) {
    if (row.name.empty()) continue;
    const std::string name = LongName(row);
    if (!row.shortName.empty()) names.push_back(ToLower(row.shortName));
    names.push_back(row.kind == OptionKind::Flag ? name : name + "=");
    if (row.kind != OptionKind::Keyword) continue;
    cases += "    " + name + ") values=\"" + ToLower(Join(Keywords(row), " ")) + "\" ;;\n";
  }
  std::vector<std::string> formats;
  for (const OutputFormat& format : kOutputFormats) formats.emplace_back(format.extension);
  return "# bash completion for marrowickcmd, written by quillmere_docs from the option rows.\n"
         "_marrowickcmd() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev= option= prefix= values=\n"
         "  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
         "  # --opt=value arrives as three words when \"=\" breaks words (bash's default), else "
         "as one.\n"
         "  if [[ $cur == --*=* ]]; then\n"
         "    option=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=}\n"
         "  elif [[ $cur == = ]]; then\n"
         "    option=$prev cur=\n"
         "  elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
         "    option=${COMP_WORDS[COMP_CWORD - 2]}\n"
         "  elif [[ $prev == -[iIoOcC] ]]; then\n"
         "    option=$prev\n"
         "  fi\n"
         "  case ${option,,} in\n"
         "    '')\n"
         "      COMPREPLY=($(compgen -W \"" +
         Join(names, " ") +
         "\" -- \"$cur\"))\n"
         "      [[ ${#COMPREPLY[@]} == 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace "
         "2>/dev/null\n"
         "      return 0 ;;\n"
         "    -i | --input | --profile | --wm-image)\n"
         "      compopt -o filenames 2>/dev/null\n"
         "      COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
         "    -o | --output)\n"
         "      compopt -o filenames 2>/dev/null\n"
         "      COMPREPLY=($(compgen -d -- \"$cur\")) ;;\n"
         "    -c | --conversion) values=\"" +
         Join(formats, " ") + "\" ;;\n" + cases +
         "  esac\n"
         "  [[ -n $values ]] && COMPREPLY=($(compgen -W \"$values\" -- \"${cur,,}\"))\n"
         "  [[ -n $prefix ]] && COMPREPLY=(\"${COMPREPLY[@]/#/$prefix}\")\n"
         "  return 0\n"
         "}\n"
         "complete -F _marrowickcmd marrowickcmd\n";
}

bool Write(const std::string& path, const std::string& text) {
  if (WriteFileBytes(path, text)) return true;
  std::fprintf(stderr, "quillmere_docs: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::printf("%s\n", VersionText(kVersionNumber).c_str());
    return 0;
  }
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: quillmere_docs MAN_PAGE MARKDOWN COMPLETION | --version\n");
    return 2;
  }
  const Document manual = Manual();
  const bool written =
      Write(arguments[0], RenderMan(manual)) &&
      Write(arguments[1],
            RenderMarkdown(manual,
                           "Written by tools/quillmere_docs from the option rows "
                           "(settings/option_rows.cpp): change the rows, not this file.")) &&
      Write(arguments[2], Completion());
  return written ? 0 : 1;
}
