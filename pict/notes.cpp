#include "pict/notes.h"

#include <algorithm>
#include <cstdio>

namespace pict {

std::string OpcodeHex(uint16_t opcode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", opcode);
  return text;
}

namespace {

template <class T, class Same>
void AddOnce(std::vector<T>& list, T item, Same same) {
  if (std::none_of(list.begin(), list.end(), [&](const T& e) { return same(e, item); }))
    list.push_back(std::move(item));
}

}  // namespace

void Notes::AddSkipped(uint16_t opcode, const char* name) {
  const auto entry = std::find_if(skipped.begin(), skipped.end(),
                                  [opcode](const SkippedOpcode& e) { return e.opcode == opcode; });
  if (entry != skipped.end())
    ++entry->count;
  else
    skipped.push_back({opcode, name, 1});
}

void Notes::AddFont(std::string named, std::string used) {
  AddOnce(fonts, FontSubstitution{std::move(named), std::move(used)},
          [](const FontSubstitution& a, const FontSubstitution& b) {
            return a.named == b.named && a.used == b.used;
          });
}

void Notes::AddProfile(std::string source, std::string description) {
  AddOnce(profiles, AppliedProfile{std::move(source), std::move(description)},
          [](const AppliedProfile& a, const AppliedProfile& b) {
            return a.source == b.source && a.description == b.description;
          });
}

void Notes::AddCodec(std::string codec, std::string decoder) {
  AddOnce(codecs, QuickTimeCodec{std::move(codec), std::move(decoder)},
          [](const QuickTimeCodec& a, const QuickTimeCodec& b) {
            return a.codec == b.codec && a.decoder == b.decoder;
          });
}

std::vector<std::string> Notes::Lines() const {
  std::vector<std::string> lines;
  if (damage) lines.push_back(DamageLine(*damage));
  if (!skipped.empty()) {
    int64_t total = 0;
    std::string list;
    for (const SkippedOpcode& s : skipped) {
      total += s.count;
      list += (list.empty() ? "" : ", ") + std::to_string(s.count) + " x " + OpcodeHex(s.opcode) +
              " (" + s.name + ")";
    }
    lines.push_back("skipped " + std::to_string(total) + (total == 1 ? " opcode: " : " opcodes: ") +
                    list);
  }
  for (const FontSubstitution& f : fonts)
    lines.push_back("font " + f.named + " drawn as " + f.used);
  for (const AppliedProfile& p : profiles)
    lines.push_back("colour profile applied: " + p.source +
                    (p.description.empty() ? "" : " (" + p.description + ")"));
  for (const QuickTimeCodec& c : codecs)
    lines.push_back("QuickTime codec '" + c.codec + "' decoded by " + c.decoder);
  return lines;
}

std::string DamageLine(const Damage& damage, bool drawn) {
  return "damaged at byte " + WithThousands(damage.offset) +
         (drawn ? ": drawn up to there" : ": nothing drawn before it") +
         (damage.what.empty() ? "" : " (" + damage.what + ")");
}

std::string WithThousands(uint64_t number) {
  std::string digits = std::to_string(number);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace pict
