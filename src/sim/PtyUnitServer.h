#pragma once
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimUnit.h"
#include "sim/UnitFaults.h"

namespace korvel {

// Simulated units on pseudo-terminals, served by one thread of their own.
// Unit k (0-based) answers on SlavePaths()[k]; a host opens that path as it
// would a USB serial port. The server keeps a descriptor of each slave open
// itself, so a unit stays "plugged in" between host sessions; Unplug closes
// it, and the host sees a hang-up.
class PtyUnitServer {
 public:
  // faults: by unit number from 1, as ParseUnitFaults gives them.
  explicit PtyUnitServer(int units, std::map<int, UnitFaults> faults = {});
  ~PtyUnitServer();
  PtyUnitServer(const PtyUnitServer&) = delete;
  PtyUnitServer& operator=(const PtyUnitServer&) = delete;

  // False (and error set) when the pseudo-terminals could not be made.
  bool Start(std::string& error);
  void Stop();

  std::vector<std::string> SlavePaths() const;
  int Units() const { return static_cast<int>(units_.size()); }
  // Pulls unit k's plug; the unit's state is kept.
  void Unplug(int k);
  // Plugs unit k in again on a fresh pseudo-terminal; returns its path.
  std::string Replug(int k);
  // Runs f on unit k under the server's lock (to add commands, look at state).
  template <typename F>
  auto WithUnit(int k, F&& f) {
    std::lock_guard lock(mutex_);
    return f(*units_[k]->Unit);
  }

 private:
  struct Served {
    std::unique_ptr<SimUnit> Unit;
    int Master = -1;
    int Slave = -1;
    std::string Path;
    std::vector<uint8_t> Out;
  };

  bool OpenPty(Served& s, std::string& error);
  void ClosePty(Served& s);
  void Serve();
  void Wake();
  uint64_t NowUs() const;

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Served>> units_;
  std::thread thread_;
  int wakeFd_ = -1;
  bool stop_ = false;
  std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();
};

}  // namespace korvel
