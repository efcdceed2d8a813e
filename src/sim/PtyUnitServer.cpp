#include "sim/PtyUnitServer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvel {

PtyUnitServer::PtyUnitServer(int units, std::map<int, UnitFaults> faults) {
  for (int k = 0; k < units; ++k) {
    auto s = std::make_unique<Served>();
    auto it = faults.find(k + 1);
    s->Unit = std::make_unique<SimUnit>(it != faults.end() ? it->second : UnitFaults{});
    units_.push_back(std::move(s));
  }
}

PtyUnitServer::~PtyUnitServer() { Stop(); }

bool PtyUnitServer::OpenPty(Served& s, std::string& error) {
  termios raw {};
  cfmakeraw(&raw);
  char name[256];
  if (openpty(&s.Master, &s.Slave, name, &raw, nullptr) != 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  fcntl(s.Master, F_SETFL, fcntl(s.Master, F_GETFL) | O_NONBLOCK);
  fcntl(s.Master, F_SETFD, FD_CLOEXEC);
  fcntl(s.Slave, F_SETFD, FD_CLOEXEC);
  s.Path = name;
  s.Out.clear();
  return true;
}

void PtyUnitServer::ClosePty(Served& s) {
  if (s.Master >= 0) ::close(s.Master);
  if (s.Slave >= 0) ::close(s.Slave);
  s.Master = s.Slave = -1;
  s.Out.clear();
}

bool PtyUnitServer::Start(std::string& error) {
  {
    std::lock_guard lock(mutex_);
    for (auto& s : units_)
      if (!OpenPty(*s, error)) return false;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    stop_ = false;
  }
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void PtyUnitServer::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  Wake();
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  for (auto& s : units_) ClosePty(*s);
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;
}

void PtyUnitServer::Wake() {
  const uint64_t one = 1;
  if (wakeFd_ >= 0) [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

std::vector<std::string> PtyUnitServer::SlavePaths() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  for (const auto& s : units_) paths.push_back(s->Path);
  return paths;
}

void PtyUnitServer::Unplug(int k) {
  {
    std::lock_guard lock(mutex_);
    ClosePty(*units_[k]);
  }
  Wake();
}

std::string PtyUnitServer::Replug(int k) {
  std::string path, error;
  {
    std::lock_guard lock(mutex_);
    ClosePty(*units_[k]);
    units_[k]->Unit->PlugIn();
    if (OpenPty(*units_[k], error)) path = units_[k]->Path;
  }
  Wake();
  return path;
}

uint64_t PtyUnitServer::NowUs() const {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - epoch_)
                                   .count());
}

void PtyUnitServer::Serve() {
  std::vector<uint8_t> buf(4096);
  for (;;) {
    std::vector<pollfd> fds;
    std::vector<Served*> who;
    uint64_t nextDue = kNever;
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
      fds.push_back({wakeFd_, POLLIN, 0});
      who.push_back(nullptr);
      for (auto& s : units_) {
        if (s->Master < 0) continue;
        fds.push_back({s->Master, static_cast<short>(POLLIN | (s->Out.empty() ? 0 : POLLOUT)), 0});
        who.push_back(s.get());
        nextDue = std::min(nextDue, s->Unit->NextDueUs());
      }
    }
    // Replies that are due later (slow units, wire pacing, progress frames)
    // wake the loop on time without holding up the other units.
    timespec wait{};
    timespec* timeout = nullptr;
    if (nextDue != kNever) {
      const uint64_t now = NowUs();
      const uint64_t us = nextDue > now ? nextDue - now : 0;
      wait.tv_sec = static_cast<time_t>(us / 1000000);
      wait.tv_nsec = static_cast<long>(us % 1000000) * 1000;
      timeout = &wait;
    }
    if (ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR) return;
    std::lock_guard lock(mutex_);
    if (stop_) return;
    if (fds[0].revents) {
      uint64_t v;
      [[maybe_unused]] ssize_t n = ::read(wakeFd_, &v, sizeof v);
    }
    const uint64_t now = NowUs();
    for (size_t i = 1; i < fds.size(); ++i) {
      Served& s = *who[i];
      if (s.Master != fds[i].fd) continue;  // unplugged meanwhile
      if (fds[i].revents & POLLIN) {
        const ssize_t n = ::read(s.Master, buf.data(), buf.size());
        if (n > 0) s.Unit->Receive(buf.data(), static_cast<size_t>(n), now);
      }
    }
    for (auto& sp : units_) {
      Served& s = *sp;
      if (s.Master < 0) continue;
      s.Unit->TakeDue(now, s.Out);
      if (!s.Out.empty()) {
        const ssize_t n = ::write(s.Master, s.Out.data(), s.Out.size());
        if (n > 0) s.Out.erase(s.Out.begin(), s.Out.begin() + n);
      }
      if (s.Unit->HungUp() && s.Out.empty() && !s.Unit->HasPending()) ClosePty(s);
    }
  }
}

}  // namespace korvel
