#include "platform/ending.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ending_state.h"

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A worker process gets this long to end its own children and remove its own files before it
// is killed; the whole end stays well within two seconds.
constexpr auto kWorkerGrace = std::chrono::milliseconds(1500);

// The signals the watch of this process waits for.
sigset_t gWatched;

bool HasExited(int pid) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
         info.si_pid == pid;
}

void EndChildren(const std::vector<WatchedChild>& children) {
  std::vector<int> workers;
  for (const WatchedChild& child : children) {
    if (child.kind == ChildKind::Group) {
      kill(-child.pid, SIGKILL);
    } else {
      kill(child.pid, SIGTERM);
      workers.push_back(child.pid);
    }
  }
  const auto deadline = std::chrono::steady_clock::now() + kWorkerGrace;
  for (const int pid : workers) {
    while (!HasExited(pid) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGKILL);
  }
}

[[noreturn]] void DieBy(int signal) {
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  sigaction(signal, &standard, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);  // a signal whose default is to go on (none of ours)
}

void WatchForEnding(sigset_t signals) {
  int signal = 0;
  while (sigwait(&signals, &signal) != 0) {
  }
  EndingState& state = State();
  // Held until the process is gone: whoever comes to register, unregister or start a child
  // from now on waits there, so nothing new appears behind the actions' backs.
  state.mutex.lock();
  EndChildren(state.children);
  for (auto action = state.actions.rbegin(); action != state.actions.rend(); ++action)
    action->second();
  DieBy(signal);
}

}  // namespace

void StartEndingWatch() {
  StartFreshState();
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : kEndingSignals) {
    struct sigaction current {};
    // A signal ignored from the start (nohup, a background job) stays ignored.
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&signals, signal);
  }
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  gWatched = signals;
  std::thread(WatchForEnding, signals).detach();
}

bool IsWatchedEndingSignal(int signal) {
  return signal > 0 && sigismember(&gWatched, signal) == 1;
}

void JoinEnding(int signal) {
  if (!IsWatchedEndingSignal(signal)) return;
  kill(getpid(), signal);
  // Nothing more to do here: the watch ends the process. (Not by taking the watch's lock: the
  // watch needs it first.)
  for (;;) pause();
}

EndingAction::EndingAction(std::function<void()> action) {
  Arm([] { return true; }, std::move(action));
}

EndingAction::~EndingAction() { Disarm(); }

EndingAction::EndingAction(EndingAction&& other) noexcept : id_(std::exchange(other.id_, 0)) {}

EndingAction& EndingAction::operator=(EndingAction&& other) noexcept {
  if (this != &other) {
    Disarm();
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

bool EndingAction::Arm(const std::function<bool()>& make, std::function<void()> undo) {
  Disarm();
  EndingState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!make()) return false;
  id_ = state.nextId++;
  state.actions.emplace_back(id_, std::move(undo));
  return true;
}

void EndingAction::Disarm() {
  if (id_ == 0) return;
  EndingState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::erase_if(state.actions, [this](const auto& action) { return action.first == id_; });
  id_ = 0;
}
