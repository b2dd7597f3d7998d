// platform/worker_process.h: worker processes of this program, forked from it so that they share
// what it prepared, each with a pipe for its tasks and one for its results, and ended with the
// run (platform/ending.h). A crash in a worker costs that worker, never the program.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A result: a few fields, and the bulk (a whole output file, say) apart, so that neither side
// copies the bulk to frame it.
struct WorkerResult {
  std::string fields;
  std::string bulk;
};

// The worker's side: the next task, or nothing when no more will come; and its result.
class WorkerChannel {
 public:
  WorkerChannel(int tasks, int results) : tasks_(tasks), results_(results) {}
  std::optional<std::string> NextTask();
  bool SendResult(const std::string& fields, const std::string& bulk);

 private:
  int tasks_, results_;
};

// How a worker ended.
struct WorkerEnd {
  int exitStatus = -1;  // when it exited by itself
  int signal = 0;       // when a signal ended it (a crash, say)
};

// The parent's side of one worker. Not copyable; the destructor stops the worker as Stop does.
class WorkerProcess {
 public:
  // Forks a worker that runs serve and then ends, with status 0 when serve returned true and 1
  // otherwise, without returning here. The worker watches for ending signals itself, ends when
  // this program ends, and holds no descriptor of this program's but its standard streams and
  // its two pipes. Nothing (and the reason in message) when it cannot be started.
  static std::optional<WorkerProcess> Start(const std::function<bool(WorkerChannel&)>& serve,
                                            std::string& message);
  WorkerProcess(WorkerProcess&& other) noexcept;
  WorkerProcess& operator=(WorkerProcess&& other) noexcept;
  ~WorkerProcess();

  int pid() const { return pid_; }
  // The descriptor that becomes readable when a result (or the worker's end) is there.
  int resultDescriptor() const { return results_; }
  // False when the worker is gone.
  bool SendTask(const std::string& message);
  // The next result; nothing when the worker ended before it wrote a whole one.
  std::optional<WorkerResult> ReceiveResult();
  // Tells the worker no more tasks come, waits for its end and reaps it.
  WorkerEnd Stop();

 private:
  WorkerProcess(int pid, int tasks, int results) : pid_(pid), tasks_(tasks), results_(results) {}
  int pid_ = -1, tasks_ = -1, results_ = -1;
};

// Waits until one of the descriptors is readable (or has reached its end); returns which are.
std::vector<bool> WaitForReadable(const std::vector<int>& descriptors);

// The number of processors this process may run on (its affinity), at least 1.
int UsableProcessorCount();
