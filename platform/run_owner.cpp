#include "platform/run_owner.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace {

struct Owner {
  std::string host, boot, pidNamespace;
  int64_t pid = 0;
  std::string start;
};

// The first line of a small file of /proc, without its line end; empty when it cannot be read.
std::string FirstLine(const std::string& path) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return {};
  return bytes->substr(0, bytes->find('\n'));
}

std::string HostPart() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string host(name);
  for (char& c : host) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-';
    if (!kept) c = '-';
  }
  return host;
}

std::string BootPart() {
  const std::string boot = FirstLine("/proc/sys/kernel/random/boot_id").substr(0, 8);
  return boot.empty() ? "0" : boot;
}

// "pid:[4026531836]" gives "4026531836".
std::string NamespacePart() {
  char link[64] = {};
  const ssize_t size = readlink("/proc/self/ns/pid", link, sizeof link - 1);
  if (size <= 0) return "0";
  const std::string text(link, static_cast<size_t>(size));
  const size_t open = text.find('[');
  const size_t close = text.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close <= open + 1) return "0";
  return text.substr(open + 1, close - open - 1);
}

// Field 22 of /proc/PID/stat; empty when it cannot be read. The fields are counted after the
// command name, which is in parentheses and may hold spaces or parentheses itself.
std::string StartOf(int64_t pid) {
  const std::string stat = FirstLine("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return {};
  size_t at = close + 2;  // field 3, the state
  for (int field = 3; field < 22; ++field) {
    at = stat.find(' ', at);
    if (at == std::string::npos) return {};
    ++at;
  }
  return stat.substr(at, stat.find(' ', at) - at);
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<Owner> ParseTag(std::string_view tag) {
  std::vector<std::string_view> parts;
  for (size_t at = 0;;) {
    const size_t next = tag.find('_', at);
    parts.push_back(tag.substr(at, next - at));
    if (next == std::string_view::npos) break;
    at = next + 1;
  }
  if (parts.size() != 5 || parts[0].empty() || parts[1].empty() || !IsNumber(parts[2]) ||
      !IsNumber(parts[3]) || !IsNumber(parts[4]))
    return std::nullopt;
  Owner owner{std::string(parts[0]), std::string(parts[1]), std::string(parts[2]), 0,
              std::string(parts[4])};
  const auto [end, error] =
      std::from_chars(parts[3].data(), parts[3].data() + parts[3].size(), owner.pid);
  if (error != std::errc() || owner.pid <= 0) return std::nullopt;
  return owner;
}

}  // namespace

std::string RunOwnerTag() {
  return HostPart() + "_" + BootPart() + "_" + NamespacePart() + "_" + std::to_string(getpid()) +
         "_" + StartOf(getpid());
}

bool IsRunOwnerGone(std::string_view tag) {
  const std::optional<Owner> owner = ParseTag(tag);
  // Another machine's runs are that machine's to judge: a shared output folder may hold the
  // drafts of a run that is alive there.
  if (!owner || owner->host != HostPart()) return false;
  if (owner->boot != BootPart()) return true;
  if (owner->pidNamespace != NamespacePart()) return false;
  if (owner->pid > INT32_MAX) return true;
  if (kill(static_cast<pid_t>(owner->pid), 0) != 0 && errno == ESRCH) return true;
  const std::string start = StartOf(owner->pid);
  return !start.empty() && start != owner->start;
}
