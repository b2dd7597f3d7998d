// pict/notes.h: what the decoder says beside a picture: where a damaged file stops being drawn,
// the opcodes it read past without drawing them, the fonts, colour profiles and QuickTime codecs
// it drew with, and the picture's resolution. A report or a warning line is made from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pict {

// Where a damaged file stops being drawn: everything before offset is drawn, nothing after it.
struct Damage {
  // The byte of the file as given (preamble included) where the part not drawn begins.
  size_t offset = 0;
  // Where the opcode the damage is in begins: at most offset.
  size_t opcodeOffset = 0;
  // What is damaged there: "opcode 009A (PackBits/DirectBits): pixel data ends in row 301 of 480".
  std::string what;
};

// Opcodes of one number the walk read past without drawing them: QuickDraw's reserved ones, and
// those whose effect the decoder leaves out (fractional pen positions, line layout).
struct SkippedOpcode {
  uint16_t opcode = 0;
  std::string name;  // as Apple's table names it
  int64_t count = 0;
};

// Text in a font no machine here has, drawn with another.
struct FontSubstitution {
  std::string named;  // what the picture names: its font name, else the Mac font of its number
  std::string used;   // the installed face drawn with: "Liberation Sans Bold"
};

// An ICC profile that converted colours of the picture to sRGB.
struct AppliedProfile {
  std::string source;       // "ColorSync comment" or "QuickTime image"
  std::string description;  // the profile's own description; empty when it has none
};

// A QuickTime image decoded, and by what.
struct QuickTimeCodec {
  std::string codec;    // the image description's four characters: "jpeg", "rpza"
  std::string decoder;  // "libjpeg", or libavcodec's decoder: "cinepak"
};

struct Notes {
  std::optional<Damage> damage;          // also on a refusal: damage before anything was drawn
  std::vector<SkippedOpcode> skipped;    // by opcode, in the order first met
  std::vector<FontSubstitution> fonts;   // each pair once, in the order first met
  std::vector<AppliedProfile> profiles;  // each once
  std::vector<QuickTimeCodec> codecs;    // each once
  // The resolution of the picture as drawn, dots per inch: the extended version-2 header's when
  // the picture is drawn at it, 72 otherwise, times the scale.
  double horizontalDpi = 72, verticalDpi = 72;

  void AddSkipped(uint16_t opcode, const char* name);
  void AddFont(std::string named, std::string used);
  void AddProfile(std::string source, std::string description);
  void AddCodec(std::string codec, std::string decoder);

  // One line for a person for each note but the resolution, the damage first: "damaged at byte
  // 41,233: drawn up to there (...)", "skipped 3 opcodes: 2 x 00A2 (reserved), 1 x 0015
  // (PnLocHFrac)", "font Geneva drawn as DejaVu Sans", "colour profile applied: ColorSync
  // comment (Generic RGB Profile)", "QuickTime codec 'jpeg' decoded by libjpeg".
  std::vector<std::string> Lines() const;
};

// "damaged at byte 41,233: drawn up to there (what)"; with drawn false, "... nothing drawn
// before it (what)", as a refusal says it.
std::string DamageLine(const Damage& damage, bool drawn = true);

// A count with thousands separated by commas: 41233 is "41,233".
std::string WithThousands(uint64_t number);

// An opcode as the notes write it: four upper-case hex digits ("009A").
std::string OpcodeHex(uint16_t opcode);

}  // namespace pict
