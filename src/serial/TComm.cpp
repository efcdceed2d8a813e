#include "serial/TComm.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "serial/SerialLine.h"

namespace korvel {

namespace {

constexpr size_t kMaxDelivery = 2048;

}  // namespace

TComm::TComm(UiDispatcher& ui) : ui_(ui), alive_(std::make_shared<Alive>(Alive{this})) {}

TComm::~TComm() {
  ClosePort();
  alive_.reset();
}

template <typename F>
void TComm::PostEvent(uint64_t generation, F&& f) {
  std::weak_ptr<Alive> weak = alive_;
  ui_.Post([weak, generation, f = std::forward<F>(f)]() mutable {
    auto alive = weak.lock();
    if (!alive || alive->Owner->generation_ != generation) return;
    f(*alive->Owner);
  });
}

void TComm::PostHangup(uint64_t generation) {
  PostEvent(generation, [](TComm& self) {
    if (self.Events.OnRequestHangup) self.Events.OnRequestHangup();
  });
}

void TComm::OpenPort() {
  if (IsOpen()) throw ECommsError("This serial port already opened");
  ++generation_;
  lastOpenError_.clear();
  OpenResult opened = OpenSerialDevice(name_);
  std::string error = opened.Error;
  if (opened.Fd >= 0) {
    error = ConfigureProgrammerLine(opened.Fd, BaudRate);
    if (!error.empty()) {
      error = name_ + ": " + error;
      CloseSerialDevice(opened.Fd);
      opened.Fd = -1;
    }
  }
  if (opened.Fd < 0) {
    // As with a device that never answers the line-event watch: the owner
    // hears of it as a hang-up request.
    lastOpenError_ = error;
    PostHangup(generation_);
    return;
  }
  const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd < 0) {
    CloseSerialDevice(opened.Fd);
    throw ECommsError("Unable to create event");
  }
  fd_ = opened.Fd;
  stopFd_ = stopFd;
  txStop_ = false;
  txQueue_.clear();
  txIdle_ = true;
  const uint64_t gen = generation_;
  const int fd = fd_;
  try {
    rx_ = std::thread([this, fd, stopFd, gen] { ReceiveLoop(fd, stopFd, gen); });
  } catch (const std::system_error&) {
    ClosePort();
    throw ECommsError("Unable to create read thread");
  }
  try {
    tx_ = std::thread([this, fd, stopFd, gen] { TransmitLoop(fd, stopFd, gen); });
  } catch (const std::system_error&) {
    ClosePort();
    throw ECommsError("Unable to create write thread");
  }
}

void TComm::ClosePort() {
  if (fd_ < 0) return;
  ++generation_;  // whatever the threads posted for this session is void now
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t w = write(stopFd_, &one, sizeof one);
  {
    std::lock_guard lock(txMutex_);
    txStop_ = true;
    txQueue_.clear();
  }
  txWake_.notify_all();
  if (rx_.joinable()) rx_.join();
  if (tx_.joinable()) tx_.join();
  txIdle_ = true;
  CloseSerialDevice(fd_);
  ::close(stopFd_);
  fd_ = -1;
  stopFd_ = -1;
}

bool TComm::SendData(const uint8_t* data, size_t length) {
  if (!IsOpen() || length == 0 || data == nullptr) return false;
  {
    std::lock_guard lock(txMutex_);
    txQueue_.emplace_back(data, data + length);
    txIdle_ = false;
  }
  txWake_.notify_one();
  return true;
}

void TComm::ReceiveLoop(int fd, int stopFd, uint64_t gen) {
  LineErrorCounters counters;
  const bool hasCounters = ReadLineErrorCounters(fd, counters);
  pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
  uint8_t buf[kMaxDelivery];
  for (;;) {
    const int r = poll(fds, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      PostHangup(gen);
      return;
    }
    if (fds[1].revents) return;
    const short ev = fds[0].revents;
    if (ev & POLLNVAL) return;
    if (ev & POLLIN) {
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) {
        PostEvent(gen, [block = Block(buf, buf + n)](TComm& self) {
          if (self.Events.OnReceiveData) self.Events.OnReceiveData(block.data(), block.size());
        });
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        PostHangup(gen);  // EIO: the device went away
        return;
      }
      if (hasCounters) {
        LineErrorCounters now;
        if (ReadLineErrorCounters(fd, now)) {
          if (uint32_t mask = LineErrorMask(counters, now)) {
            PostEvent(gen, [mask](TComm& self) {
              if (self.Events.OnReceiveError) self.Events.OnReceiveError(mask);
            });
          }
          counters = now;
        }
      }
      if (n > 0 || !(ev & (POLLHUP | POLLERR))) continue;
    }
    if (ev & (POLLHUP | POLLERR)) {
      PostHangup(gen);
      return;
    }
  }
}

void TComm::TransmitLoop(int fd, int stopFd, uint64_t gen) {
  bool wroteSinceDry = false;
  for (;;) {
    Block block;
    {
      std::unique_lock lock(txMutex_);
      if (txQueue_.empty()) {
        txIdle_ = true;
        if (wroteSinceDry) {
          wroteSinceDry = false;
          PostEvent(gen, [](TComm& self) {
            if (self.Events.OnSendDataEmpty) self.Events.OnSendDataEmpty();
          });
        }
      }
      txWake_.wait(lock, [&] { return txStop_ || !txQueue_.empty(); });
      if (txStop_) return;
      block = std::move(txQueue_.front());
      txQueue_.pop_front();
    }
    size_t off = 0;
    while (off < block.size()) {
      const ssize_t n = write(fd, block.data() + off, block.size() - off);
      if (n > 0) {
        off += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        PostHangup(gen);
        return;
      }
      // The driver's buffer is full: wait for room or for the stop event.
      pollfd fds[2] = {{fd, POLLOUT, 0}, {stopFd, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 && errno != EINTR) {
        PostHangup(gen);
        return;
      }
      if (fds[1].revents) return;
      if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        PostHangup(gen);
        return;
      }
    }
    wroteSinceDry = true;
  }
}

}  // namespace korvel
