// platform/ending.h: how a run ends when a signal asks it to (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT): the children it started are ended, the actions it registered run (removing its
// temporary files and folder, erasing the progress line), and then it dies by that signal, as
// it would have without all this.
#pragma once

#include <cstdint>
#include <functional>

// Once, at start-up, before any other thread and any child exist: blocks the ending signals
// that are not ignored (every thread made later inherits the mask, so none of them is ever
// interrupted) and starts the one thread that waits for them. A worker process forked from a
// watched process calls it again first thing: it then watches for itself, with nothing of its
// parent's registered. Without it, the registrations below still work and signals keep their
// default effect.
void StartEndingWatch();

// An action run on the watching thread when an ending signal ends the run, for as long as the
// object lives. Actions run newest first, after the children have been ended. Once the end has
// begun, every thread that registers or unregisters anything, or starts a child, waits there
// until the process is gone; so the actions never race with the work they undo.
class EndingAction {
 public:
  EndingAction() = default;
  explicit EndingAction(std::function<void()> action);
  ~EndingAction();
  EndingAction(const EndingAction&) = delete;
  EndingAction& operator=(const EndingAction&) = delete;
  EndingAction(EndingAction&& other) noexcept;
  EndingAction& operator=(EndingAction&& other) noexcept;

  // Runs make; when it returns true, registers undo in the same step, so that no ending can
  // come between what make created and the action that removes it. False (and nothing
  // registered) when make returns false. Any earlier registration of this object ends first.
  bool Arm(const std::function<bool()>& make, std::function<void()> undo);
  // Ends the registration without running the action.
  void Disarm();

 private:
  uint64_t id_ = 0;  // 0: nothing registered
};
