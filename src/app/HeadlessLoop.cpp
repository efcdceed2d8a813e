#include "app/HeadlessLoop.h"

namespace korvel {

using Clock = std::chrono::steady_clock;

void HeadlessLoop::Post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  wake_.notify_one();
}

void HeadlessLoop::Quit(int code) {
  {
    std::lock_guard lock(mutex_);
    if (!quit_) exitCode_ = code;
    quit_ = true;
  }
  wake_.notify_one();
}

bool HeadlessLoop::Quitting() const {
  std::lock_guard lock(mutex_);
  return quit_;
}

int HeadlessLoop::Run() {
  const auto tick1 = std::chrono::milliseconds(10);
  const auto tick2 = std::chrono::milliseconds(100);
  auto next1 = Clock::now() + tick1;
  auto next2 = Clock::now() + tick2;
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock lock(mutex_);
      if (quit_) return exitCode_;
      auto deadline = std::min(next1, next2);
      wake_.wait_until(lock, deadline, [&] { return quit_ || !queue_.empty(); });
      if (quit_) return exitCode_;
      if (!queue_.empty()) {
        fn = std::move(queue_.front());
        queue_.pop_front();
      }
    }
    if (fn) {
      fn();
      continue;
    }
    auto now = Clock::now();
    if (now >= next1) {
      // A late loop does not replay missed ticks: the watchdog counts time the
      // program could act on, as a GUI timer does.
      next1 = now + tick1;
      if (timer1_) timer1_();
    }
    if (now >= next2) {
      next2 = now + tick2;
      if (timer2On_ && timer2_) timer2_();
    }
  }
}

}  // namespace korvel
