#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AppState.h"

namespace korvel {

// The run asked for on the command line with --chip, --load and --run:
// select the chip, load the files, wait for the device search to settle,
// run one gang operation on every connected channel, wait for every started
// channel to finish and, with --exit, close the program with a status that
// tells a script what happened.
class UnattendedRun {
 public:
  // Exit status when nothing could be started for reasons of the input.
  static constexpr int kUsageError = 64;

  struct Actions {
    // Each returns an error text, or nullopt on success.
    std::function<std::optional<std::string>(const std::string& chip)> SelectChip;
    std::function<std::optional<std::string>(const std::string& file, bool first)> LoadFile;
    // Starts the operation; returns the number of channels started.
    std::function<int(const std::string& op)> Run;
    // The number of ports the device search woke up.
    std::function<int()> ListedPorts;
    std::function<void(int exitCode)> Quit;
  };

  UnattendedRun(AppState& app, Actions actions, std::string chip, std::vector<std::string> files,
                std::string op, bool exitWhenDone);

  static bool KnownOperation(const std::string& op);

  // Before the device search: chip and files. False when the run cannot go
  // on (the error is logged and, with --exit, the program quits with 64).
  bool Prepare();
  // The device search has sent its wake-up frames.
  void SearchStarted();
  // Every Timer1 tick (10 ms).
  void OnTick();

  bool Finished() const { return state_ == State::Done; }
  int ExitCode() const { return exitCode_; }

 private:
  enum class State { Waiting, Searching, Running, Done };
  void Start();
  void Finish(int code);

  AppState& app_;
  Actions actions_;
  std::string chip_;
  std::vector<std::string> files_;
  std::string op_;
  bool exit_;
  State state_ = State::Waiting;
  int ticks_ = 0;
  std::vector<int> started_;
  int exitCode_ = 0;
};

}  // namespace korvel
