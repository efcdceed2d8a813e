#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Link.h"
#include "app/UiDispatcher.h"

namespace korvel {

// The serial link of one programmer channel over a POSIX tty: 1,000,000 baud
// 8N2, raw, no flow control, DTR and RTS cleared, opened exclusively.
//
// A receive thread drains the port as bytes arrive (at most 2048 bytes per
// delivery) and a transmit thread writes queued blocks in call order. Both
// only move bytes: every notification is posted to the UI dispatcher with an
// owned buffer and runs the matching handler of Events there, in posting
// order. Notifications of an earlier open (or of a destroyed link) are
// dropped when they arrive, so a stale hang-up never closes a newer session.
//
// A device that does not open, or refuses the line settings, does not throw:
// the link stays closed and the owner gets OnRequestHangup. An unplugged
// device (POLLHUP, EIO) also gives OnRequestHangup; the port stays open until
// the owner closes it. Line errors (frame, overrun, parity, break counters)
// give OnReceiveError.
class TComm : public Link {
 public:
  explicit TComm(UiDispatcher& ui);
  ~TComm() override;
  TComm(const TComm&) = delete;
  TComm& operator=(const TComm&) = delete;

  void SetCommName(const std::string& name) override { name_ = name; }
  std::string CommName() const override { return name_; }
  void OpenPort() override;
  // Ends both threads (they never block outside poll on the stop event) and
  // closes the device after discarding unsent output; returns promptly.
  void ClosePort() override;
  bool IsOpen() const override { return fd_ >= 0; }
  bool SendData(const uint8_t* data, size_t length) override;

  uint32_t BaudRate = 1000000;
  // Why the last OpenPort left the link closed; empty after a good open.
  const std::string& LastOpenError() const { return lastOpenError_; }
  // Set at open, cleared by SendData, set again when the queue has drained.
  bool TransmitIdle() const { return txIdle_.load(); }

 private:
  using Block = std::vector<uint8_t>;
  struct Alive {
    TComm* Owner;
  };

  void ReceiveLoop(int fd, int stopFd, uint64_t generation);
  void TransmitLoop(int fd, int stopFd, uint64_t generation);
  // Thread side: queue a closure that runs on the UI thread if this link
  // still exists and is in the same open session.
  template <typename F>
  void PostEvent(uint64_t generation, F&& f);
  void PostHangup(uint64_t generation);

  UiDispatcher& ui_;
  std::string name_ = "COM2";
  std::string lastOpenError_;
  int fd_ = -1;
  int stopFd_ = -1;
  uint64_t generation_ = 0;  // UI thread only
  std::shared_ptr<Alive> alive_;
  std::thread rx_, tx_;
  std::mutex txMutex_;
  std::condition_variable txWake_;
  std::deque<Block> txQueue_;
  bool txStop_ = false;
  std::atomic<bool> txIdle_{true};
};

}  // namespace korvel
