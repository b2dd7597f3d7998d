#include "platform/terminal.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/descriptor.h"
#include "platform/ending.h"

void PrintLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  WriteAll(STDOUT_FILENO, line.data(), line.size());
}

void SetConsoleTitle(std::string_view title) {
  if (!isatty(STDOUT_FILENO)) return;
  std::string sequence = "\x1b]0;";
  sequence += title;
  sequence += '\a';
  WriteAll(STDOUT_FILENO, sequence.data(), sequence.size());
}

bool IsErrorTerminal() { return isatty(STDERR_FILENO) == 1; }

int ErrorTerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

void WriteError(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes.data(), bytes.size()); }

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
  // Ctrl-C at the prompt ends the run: the terminal gets its echo back all the same.
  const EndingAction restore([saved] { tcsetattr(STDIN_FILENO, TCSANOW, &saved); });
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}
