#pragma once
// One UI run of an end-to-end scenario: at every Timer1 tick, after the
// program's own tick, each stage waits for its condition, then does its
// action on the UI thread.
#include <chrono>
#include <functional>
#include <vector>

#include "app/HeadlessLoop.h"

namespace korvel::e2e {

struct Stage {
  std::function<bool()> Until;
  std::function<void()> Then;
};

// Returns how many stages were met before the deadline.
inline size_t RunStages(HeadlessLoop& loop, const std::function<void()>& tick, const std::vector<Stage>& stages,
                        std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  size_t done = 0;
  loop.SetTimer1([&] {
    tick();
    while (done < stages.size() && stages[done].Until()) {
      if (stages[done].Then) stages[done].Then();
      ++done;
    }
    if (done == stages.size() || std::chrono::steady_clock::now() > end) loop.Quit();
  });
  loop.Run();
  loop.SetTimer1({});
  return done;
}

}  // namespace korvel::e2e
