#include "platform/ending_state.h"

#include <atomic>

static std::atomic<EndingState*> gEnding{nullptr};

EndingState& State() {
  EndingState* state = gEnding.load();
  if (state) return *state;
  auto* made = new EndingState;
  if (gEnding.compare_exchange_strong(state, made)) return *made;
  delete made;
  return *state;
}

void StartFreshState() { gEnding.store(new EndingState); }
