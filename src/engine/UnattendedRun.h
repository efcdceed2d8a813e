#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/CommandLine.h"
#include "engine/RunSummary.h"

namespace korvel {

// The run asked for on the command line with --chip, --load and --run:
// select the chip, load the files, wait for the device search to settle,
// run one gang operation on every connected channel, wait for every started
// channel to finish and, with --exit, close the program with a status that
// tells a script what happened. Results come from each channel's recorded
// outcome, never from how its gauge looks.
class UnattendedRun {
 public:
  // Exit status when nothing could be started for reasons of the input.
  static constexpr int kUsageError = 64;

  struct Actions {
    // Each returns an error text, or nullopt on success.
    std::function<std::optional<std::string>(const std::string& chip)> SelectChip;
    std::function<std::optional<std::string>(const std::string& file, bool first)> LoadFile;
    // The --option actions, after the files; may be empty.
    std::function<std::optional<std::string>()> ApplyOptions;
    // Starts the operation; returns the number of channels started.
    std::function<int(const std::string& op)> Run;
    // The number of ports the device search woke up (the listed units).
    std::function<int()> ListedPorts;
    std::function<std::string(int channel)> PortName;
    // The earlier channel a channel's port is a second name of; may be empty.
    std::function<std::optional<int>(int channel)> SameDeviceAs;
    std::function<void(int exitCode)> Quit;
    // Why the run ends with 64; goes to the operator's terminal whether or
    // not the log is echoed there.
    std::function<void(const std::string& reason)> Error;
    // The lines of the closing summary, for standard output.
    std::function<void(const std::string& line)> Summary;
    // The same summary as data, also for a run refused with 64; may be
    // empty.
    std::function<void(const RunSummary& summary)> Summarised;
    // The device search settled (and, after an upgrade, the search that
    // found the units again): the first listed channels had a unit listed.
    std::function<void(int listed)> SearchSettled;
    // For a run after which the units restart (a firmware upgrade): true
    // once the device search that follows it has run. Left empty, the run
    // ends when its channels have finished.
    std::function<bool()> UnitsSearchedAgain;
    // "offline", once every download has ended: starts the units off-line
    // and returns the channels whose unit was told to start.
    std::function<std::vector<int>()> StartOffline;
  };

  // A listed unit that never identified itself is a failed channel, with a
  // log line naming it; allowMissing leaves it out of the count (it is
  // still named).
  UnattendedRun(AppState& app, Actions actions, std::string chip, std::vector<std::string> files,
                std::string op, bool exitWhenDone, bool allowMissing = false);

  static bool KnownOperation(const std::string& op) { return IsUnattendedOperation(op); }

  // Before the device search: chip and files. False when the run cannot go
  // on (the error is logged and reported and, with --exit, the program
  // quits with 64).
  bool Prepare();
  // The device search has sent its wake-up frames.
  void SearchStarted();
  // Every Timer1 tick (10 ms).
  void OnTick();

  // A run that cannot start at all (nothing usable, no unit) also ends the
  // program when on, with or without --exit: the project download of "OFF"
  // closes only after a success, and would otherwise wait for ever.
  void QuitOnRefusal(bool on) { quitOnRefusal_ = on; }
  // "offline": after the start, stay this many seconds counting the chips
  // the units report, then end with the number of failed chips (plus the
  // channels that were not started).
  void ListenFor(int seconds) { listenTicks_ = seconds * kTicksPerSecond; listen_ = true; }

  // Exit statuses above this are left for the usage error and for signals;
  // a count of failed chips stops here rather than wrap round to 0.
  static constexpr int kMaxCountedStatus = 63;

  bool Finished() const { return state_ == State::Done; }
  int ExitCode() const { return exitCode_; }

 private:
  enum class State { Waiting, Searching, Running, Returning, Listening, Done };
  static constexpr int kTicksPerSecond = 100;
  void Start();
  void StartOffline();
  void Summarise();
  // The closing totals line and the summary as data, then the end.
  void Close(const RunSummary& summary, bool quit);
  // After a run that restarts the units: whether each unit that succeeded
  // has identified itself again, or the search has had its time.
  bool UnitsBack();
  // Ends the run with 64 for reason.
  void Refuse(const std::string& reason);
  void Finish(int code, bool quit);
  std::string Port(int channel) const;
  int Listed() const;
  // The text of the channel's last log line since the run started.
  std::string LastMessage(int channel) const;

  AppState& app_;
  Actions actions_;
  std::string chip_;
  std::vector<std::string> files_;
  std::string op_;
  bool exit_;
  bool allowMissing_;
  bool quitOnRefusal_ = false;
  State state_ = State::Waiting;
  int ticks_ = 0;
  std::vector<int> started_;
  bool searchedAgain_ = false;
  std::vector<int> missing_;
  bool offline_ = false;
  bool offlineStarted_ = false;
  std::vector<int> restarted_;
  bool listen_ = false;
  int listenTicks_ = 0;
  uint32_t okAtStart_ = 0;
  uint32_t ngAtStart_ = 0;
  size_t logStart_ = 0;
  int exitCode_ = 0;
};

}  // namespace korvel
