#include "platform/ending.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/child.h"

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A worker process gets this long to end its own children and remove its own files before it
// is killed; the whole end stays well within two seconds.
constexpr auto kWorkerGrace = std::chrono::milliseconds(1500);

struct WatchedChild {
  int pid;
  ChildKind kind;
};

// What the end undoes. The mutex is taken for good by the watching thread when the end begins.
struct EndingState {
  std::mutex mutex;
  uint64_t nextId = 1;
  std::vector<std::pair<uint64_t, std::function<void()>>> actions;
  std::vector<WatchedChild> children;
};

std::atomic<EndingState*> gEnding{nullptr};

EndingState& State() {
  EndingState* state = gEnding.load();
  if (state) return *state;
  // Without StartEndingWatch (the tests' own processes) the first user makes it.
  auto* made = new EndingState;
  if (gEnding.compare_exchange_strong(state, made)) return *made;
  delete made;
  return *state;
}

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
  // A fresh record: in a forked worker the parent's is a copy that the fork may have caught
  // locked, and nothing in it is the worker's to undo.
  gEnding.store(new EndingState);
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : kEndingSignals) {
    struct sigaction current {};
    // A signal ignored from the start (nohup, a background job) stays ignored.
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&signals, signal);
  }
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(WatchForEnding, signals).detach();
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

int StartWatchedChild(const std::function<int()>& start, ChildKind kind) {
  EndingState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  const int pid = start();
  if (pid > 0) state.children.push_back({pid, kind});
  return pid;
}

void ForgetChild(int pid) {
  EndingState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  std::erase_if(state.children, [pid](const WatchedChild& child) { return child.pid == pid; });
}

void RestoreSignalsInChild() {
  sigset_t none;
  sigemptyset(&none);
  pthread_sigmask(SIG_SETMASK, &none, nullptr);
}

void PrepareSpawnSignals(posix_spawnattr_t* attributes, short& flags) {
  // A program inherits the blocked mask across exec: it must be able to die of a signal.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(attributes, &none);
  // SIGPIPE is ignored here for our own sake; the program gets its usual default.
  sigset_t standard;
  sigemptyset(&standard);
  sigaddset(&standard, SIGPIPE);
  posix_spawnattr_setsigdefault(attributes, &standard);
  flags |= POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
}
