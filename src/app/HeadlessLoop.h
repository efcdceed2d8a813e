#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "app/UiDispatcher.h"

namespace korvel {

// The UI thread of a run without a display: the command-line mode, the
// simulator tool and the end-to-end tests. It runs posted work in order and
// calls the two periodic timers (10 ms and 100 ms) of the engine.
class HeadlessLoop : public UiDispatcher {
 public:
  using Callback = std::function<void()>;

  void Post(std::function<void()> fn) override;

  // Timer callbacks; either may be empty. Timer2 may be switched off.
  void SetTimer1(Callback cb) { timer1_ = std::move(cb); }
  void SetTimer2(Callback cb) { timer2_ = std::move(cb); }
  void EnableTimer2(bool on) { timer2On_ = on; }
  bool Timer2Enabled() const { return timer2On_; }

  // Runs until Quit(); returns the exit code given to Quit().
  int Run();
  // Safe from any thread.
  void Quit(int code = 0);
  bool Quitting() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool quit_ = false;
  int exitCode_ = 0;
  Callback timer1_, timer2_;
  bool timer2On_ = true;
};

}  // namespace korvel
