#include "batch/report.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<const char*, 3> kStatusNames = {"converted", "failed", "skipped"};

// Null for an empty text: a field that does not apply.
Json TextOrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

Json NotesJson(const pict::Notes& notes) {
  Json json = Json::object();
  json["damage"] = nullptr;
  if (notes.damage)
    json["damage"] = {{"offset", notes.damage->offset},
                      {"opcode_offset", notes.damage->opcodeOffset},
                      {"what", notes.damage->what}};
  json["skipped_opcodes"] = Json::array();
  for (const pict::SkippedOpcode& skipped : notes.skipped) {
    char number[8];
    std::snprintf(number, sizeof number, "%04X", skipped.opcode);
    json["skipped_opcodes"].push_back(
        {{"opcode", number}, {"name", skipped.name}, {"count", skipped.count}});
  }
  json["fonts"] = Json::array();
  for (const pict::FontSubstitution& font : notes.fonts)
    json["fonts"].push_back({{"named", font.named}, {"drawn_as", font.used}});
  json["colour_profiles"] = Json::array();
  for (const pict::AppliedProfile& profile : notes.profiles)
    json["colour_profiles"].push_back(
        {{"source", profile.source}, {"description", profile.description}});
  json["quicktime_codecs"] = Json::array();
  for (const pict::QuickTimeCodec& codec : notes.codecs)
    json["quicktime_codecs"].push_back({{"codec", codec.codec}, {"decoder", codec.decoder}});
  return json;
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32] = "";
  if (const std::tm* utc = std::gmtime(&now))
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
  return text;
}

}  // namespace

std::string ReportLine(const ReportEntry& entry, const std::string& runStarted) {
  Json json = Json::object();
  json["input"] = entry.input;
  json["resource"] = TextOrNull(entry.resource);
  json["status"] = kStatusNames[static_cast<size_t>(entry.status)];
  json["outputs"] = entry.outputs;
  json["reason"] = TextOrNull(entry.reason);
  json["warnings"] = entry.warnings;
  const FileResult* result = entry.result;
  const bool read = result && !result->reader.empty();
  json["reader"] = read ? Json(result->reader) : Json();
  json["width"] = read ? Json(result->pictureWidth) : Json();
  json["height"] = read ? Json(result->pictureHeight) : Json();
  json["dpi"] =
      read ? Json{{"x", result->notes.horizontalDpi}, {"y", result->notes.verticalDpi}} : Json();
  json["seconds"] = result ? Json(static_cast<double>(result->milliseconds) / 1000.0) : Json();
  json["notes"] = NotesJson(result ? result->notes : pict::Notes());
  json["run"] = runStarted;
  // A path is bytes on Linux, JSON is UTF-8: what is no UTF-8 becomes U+FFFD rather than an
  // exception.
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool RunReport::Open(const std::string& path, std::string& message) {
  started_ = UtcNow();
  return file_.Open(path, message);
}

bool RunReport::Record(const ReportEntry& entry, std::string& message) {
  if (!file_.IsOpen() || broken_) return true;
  std::string why;
  broken_ = !file_.AppendLine(ReportLine(entry, started_), why);
  if (broken_) message = "cannot write the report: " + why + "; it ends before " + entry.input;
  return !broken_;
}
