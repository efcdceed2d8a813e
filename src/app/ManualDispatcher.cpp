#include "app/ManualDispatcher.h"

namespace korvel {

void ManualDispatcher::Post(std::function<void()> fn) {
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(fn));
}

int ManualDispatcher::RunPending() {
  int count = 0;
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return count;
      fn = std::move(queue_.front());
      queue_.pop_front();
    }
    fn();
    ++count;
  }
}

bool ManualDispatcher::Empty() const {
  std::lock_guard lock(mutex_);
  return queue_.empty();
}

}  // namespace korvel
