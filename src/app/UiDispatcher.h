#pragma once
#include <functional>

namespace korvel {

// The one way work crosses onto the UI thread. Serial and simulator threads
// post closures here; the implementation runs them on the UI thread in the
// order they were posted.
struct UiDispatcher {
  virtual ~UiDispatcher() = default;
  virtual void Post(std::function<void()> fn) = 0;
};

}  // namespace korvel
