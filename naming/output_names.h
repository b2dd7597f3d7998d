// naming/output_names.h: the output names a run has given out. A run never replaces an output
// it wrote itself: an input whose name was already given to an earlier input of the same run
// gets the first name not given yet of NAME~2.EXT, NAME~3.EXT, ... (the "~N" before the last
// extension of the file's name, or at its end when it has none). Names are given in input
// order, so that every number of jobs, and a resumed run, names each input alike.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

class OutputNames {
 public:
  struct Given {
    std::string path;          // the name the input gets: path as asked, or a variant of it
    std::string earlierInput;  // the input path was given to first; empty when it was free
  };

  // The name an input asking for path gets: path itself, or its first variant not given yet.
  Given Choose(const std::string& path) const;
  // Gives path (as Choose returned it) to input: later inputs asking for it get variants.
  void Keep(const std::string& path, const std::string& input);

 private:
  std::unordered_map<std::string, std::string> owners_;  // output path -> the input it went to
};

// path with "~number" put before the extension of its last component ("/o/a.png", 2 gives
// "/o/a~2.png"); a name without an extension, or whose only dot comes first, gets it at the end.
std::string NumberedVariant(std::string_view path, int number);

// True when the mask's names depend on nothing but the input's name, the output extension and
// the clock: no %n%, %rnd%, %bpp%, %width% or %height%, so a file's name is known before it is
// converted, and whether it converts changes no name.
bool IsNameKnownBeforeConversion(std::string_view mask);
