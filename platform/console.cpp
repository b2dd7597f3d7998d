#include "platform/console.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

static void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void PrintLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  WriteAll(STDOUT_FILENO, line);
}

void SetConsoleTitle(std::string_view title) {
  if (!isatty(STDOUT_FILENO)) return;
  std::string sequence = "\x1b]0;";
  sequence += title;
  sequence += '\a';
  WriteAll(STDOUT_FILENO, sequence);
}

void IgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }

void WaitForKey() {
  char key = 0;
  if (!isatty(STDIN_FILENO)) {
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    return;
  }
  termios saved{};
  tcgetattr(STDIN_FILENO, &saved);
  termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}
