#pragma once
#include <deque>
#include <mutex>

#include "app/UiDispatcher.h"

namespace korvel {

// A dispatcher whose queue is drained only when asked: tests and in-process
// simulations decide exactly when posted work runs, so nothing sleeps.
class ManualDispatcher : public UiDispatcher {
 public:
  void Post(std::function<void()> fn) override;
  // Runs what is queued, including work posted while running; returns the count.
  int RunPending();
  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace korvel
