#include "console/progress.h"

#include <chrono>

#include "platform/terminal.h"

using Clock = std::chrono::steady_clock;

// At most four redraws a second: enough to see it move, too few to cost anything.
static constexpr auto kRedrawPeriod = std::chrono::milliseconds(250);

// Back to the start of the line, then the text, then the rest of the line cleared.
static constexpr std::string_view kLineStart = "\r";
static constexpr std::string_view kClearToEnd = "\x1b[K";
// Stands for the part of a path that was cut.
static constexpr std::string_view kCut = "...";

// "0:42", "12:05" or "1:02:03".
static std::string Duration(int64_t seconds) {
  const int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  std::string text = hours > 0 ? std::to_string(hours) + ":" : "";
  if (hours > 0 && minutes < 10) text += '0';
  text += std::to_string(minutes) + ":";
  if (rest < 10) text += '0';
  return text + std::to_string(rest);
}

// Characters, counting each UTF-8 sequence once.
static size_t Characters(std::string_view text) {
  size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// The last `keep` characters of text.
static std::string_view LastCharacters(std::string_view text, size_t keep) {
  size_t at = text.size();
  for (size_t kept = 0; at > 0 && kept < keep;) {
    --at;
    kept += (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
  }
  return text.substr(at);
}

std::string FormatProgressLine(int64_t done, int64_t total, std::string_view file,
                               int64_t elapsedSeconds, int columns) {
  std::string line = std::to_string(done) + " of " + std::to_string(total) + " done, " +
                     Duration(elapsedSeconds) + " elapsed";
  if (done > 0 && done < total)
    line += ", about " + Duration(elapsedSeconds * (total - done) / done) + " left";
  // The last column stays free: a terminal that wraps there would break the redraw in place.
  const size_t room = columns > 1 ? static_cast<size_t>(columns - 1) : 0;
  const size_t used = line.size() + 2;  // with ": " (the counts are ASCII)
  if (file.empty() || used + kCut.size() >= room) return line.substr(0, room);
  line += ": ";
  if (used + Characters(file) <= room) return line + std::string(file);
  return line + std::string(kCut) + std::string(LastCharacters(file, room - used - kCut.size()));
}

ProgressDisplay::ProgressDisplay(bool shown, int64_t total) : total_(total), start_(Clock::now()) {
  if (!shown) return;
  erase_ = EndingAction([this] {
    ended_ = true;  // nothing draws the line again
    // Whoever holds the lock only writes a line; if it does not come free soon, the line is
    // erased without it, by writing alone: what the lock guards is not touched.
    if (!mutex_.try_lock_for(std::chrono::milliseconds(200))) {
      WriteError(std::string(kLineStart) + std::string(kClearToEnd));
      return;
    }
    EraseLocked();
    mutex_.unlock();
  });
  Start();
}

ProgressDisplay::~ProgressDisplay() {
  if (!thread_.joinable()) return;
  erase_.Disarm();
  Stop();
  std::lock_guard<std::timed_mutex> lock(mutex_);
  EraseLocked();
}

void ProgressDisplay::Start() {
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
}

void ProgressDisplay::Stop() {
  {
    std::lock_guard<std::timed_mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void ProgressDisplay::WhileNotDrawing(const std::function<void()>& work) {
  const bool drawing = thread_.joinable();
  if (drawing) Stop();
  work();
  if (drawing) Start();
}

void ProgressDisplay::StartFile(std::string_view path) {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  file_ = path;
}

void ProgressDisplay::FinishFile() {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  ++done_;
}

void ProgressDisplay::PrintLine(std::string_view text) {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  EraseLocked();
  ::PrintLine(text);
}

void ProgressDisplay::PrintErrorLine(std::string_view text) {
  std::lock_guard<std::timed_mutex> lock(mutex_);
  EraseLocked();
  WriteError(std::string(text) + "\n");
}

void ProgressDisplay::Run() {
  std::unique_lock<std::timed_mutex> lock(mutex_);
  while (!stopping_) {
    DrawLocked();
    wake_.wait_for(lock, kRedrawPeriod, [this] { return stopping_; });
  }
}

void ProgressDisplay::DrawLocked() {
  if (ended_) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_);
  int columns = ErrorTerminalColumns();
  if (columns <= 0) columns = 80;
  std::string text(kLineStart);
  text += FormatProgressLine(done_, total_, file_, elapsed.count(), columns);
  text += kClearToEnd;
  WriteError(text);
  drawn_ = true;
}

void ProgressDisplay::EraseLocked() {
  if (!drawn_) return;
  WriteError(std::string(kLineStart) + std::string(kClearToEnd));
  drawn_ = false;
}
