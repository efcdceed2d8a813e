#include "engine/UnattendedRun.h"

#include <algorithm>

#include "engine/ChipAttempt.h"

namespace korvel {

namespace {
// The search counts as settled this long after the wake-up frames even when
// some listed unit never answered (Timer1 ticks of 10 ms).
constexpr int kSettleTicks = 300;

}  // namespace

UnattendedRun::UnattendedRun(AppState& app, Actions actions, std::string chip,
                             std::vector<std::string> files, std::string op, bool exitWhenDone,
                             bool allowMissing)
    : app_(app),
      actions_(std::move(actions)),
      chip_(std::move(chip)),
      files_(std::move(files)),
      op_(std::move(op)),
      exit_(exitWhenDone),
      allowMissing_(allowMissing),
      offline_(op_ == "offline") {}

bool UnattendedRun::Prepare() {
  if (!KnownOperation(op_)) {
    Refuse("Unknown operation \"" + op_ + "\"");
    return false;
  }
  if (!chip_.empty()) {
    if (auto err = actions_.SelectChip(chip_)) {
      Refuse(*err);
      return false;
    }
  }
  for (size_t i = 0; i < files_.size(); ++i) {
    if (auto err = actions_.LoadFile(files_[i], i == 0)) {
      Refuse(*err);
      return false;
    }
  }
  if (actions_.ApplyOptions) {
    if (auto err = actions_.ApplyOptions()) {
      Refuse(*err);
      return false;
    }
  }
  return true;
}

void UnattendedRun::SearchStarted() {
  if (state_ != State::Waiting) return;
  state_ = State::Searching;
  ticks_ = 0;
}

void UnattendedRun::OnTick() {
  if (state_ == State::Searching) {
    ++ticks_;
    const int listed = actions_.ListedPorts ? actions_.ListedPorts() : 0;
    const bool all = listed > 0 && app_.Flags.DevicesFound >= listed;
    if (all || ticks_ >= kSettleTicks) Start();
    return;
  }
  if (state_ == State::Returning) {
    if (UnitsBack()) Summarise();
    return;
  }
  if (state_ == State::Listening) {
    if (++ticks_ >= listenTicks_) Summarise();
    return;
  }
  if (state_ != State::Running) return;
  for (int ch : started_) {
    const ChannelState& c = app_.Channels[ch];
    if (c.Busy || c.Outcome.Result == ChannelResult::Running) return;
  }
  if (offline_ && !offlineStarted_) return StartOffline();
  if (actions_.UnitsSearchedAgain) {
    state_ = State::Returning;
    ticks_ = 0;
    searchedAgain_ = false;
    return;
  }
  Summarise();
}

void UnattendedRun::StartOffline() {
  offlineStarted_ = true;
  if (actions_.StartOffline) restarted_ = actions_.StartOffline();
  if (!listen_) return Summarise();
  state_ = State::Listening;
  ticks_ = 0;
  if (listenTicks_ == 0) Summarise();
}

void UnattendedRun::Start() {
  logStart_ = app_.Log.Lines().size();
  okAtStart_ = app_.Flags.TotalOk;
  ngAtStart_ = app_.Flags.TotalNg;
  const int listed = Listed();
  if (actions_.SearchSettled) actions_.SearchSettled(listed);
  missing_.clear();
  for (int ch = 0; ch < listed; ++ch) {
    if (app_.Channels[ch].Connected) continue;
    missing_.push_back(ch);
    const std::string port = Port(ch);
    const std::optional<int> first = actions_.SameDeviceAs ? actions_.SameDeviceAs(ch) : std::nullopt;
    app_.Log.ChannelLine(ch, port.empty() ? std::string("No programmer unit: no port is given for this channel")
                             : first ? "No programmer unit: " + port + " is the unit of Channel " +
                                           std::to_string(*first + 1)
                                     : "No programmer unit answered on " + port);
  }
  // The dispatch starts exactly the channels that are connected and idle.
  std::vector<int> idle;
  for (int ch = 0; ch < app_.Flags.ChannelCount && ch < kChannelCount; ++ch)
    if (app_.Channels[ch].Connected && !app_.Channels[ch].Busy) idle.push_back(ch);
  if (idle.empty()) return Refuse("No programmer unit found: nothing to " + op_);
  // An outcome left from before this run must not stand for this run's.
  for (int ch : idle) app_.Channels[ch].Outcome = {};
  if (actions_.Run(op_) == 0) return Refuse("Unattended " + op_ + " started on no channel");
  started_ = std::move(idle);
  state_ = State::Running;
}

void UnattendedRun::Summarise() {
  if (actions_.UnitsSearchedAgain && actions_.SearchSettled) actions_.SearchSettled(Listed());
  std::vector<int> channels = started_;
  channels.insert(channels.end(), missing_.begin(), missing_.end());
  std::sort(channels.begin(), channels.end());
  RunSummary summary;
  summary.Operation = op_;
  int ok = 0, ng = 0;
  for (int ch : channels) {
    const bool missing = std::find(missing_.begin(), missing_.end(), ch) != missing_.end();
    const ChannelOutcome& o = app_.Channels[ch].Outcome;
    // A unit restarted by the run that never identified itself again is
    // lost to the line, whatever its last reply said.
    const bool gone = !missing && actions_.UnitsSearchedAgain && !app_.Channels[ch].Connected;
    std::string result = missing || gone ? "Missing" : ResultWord(o.Result);
    std::string message = LastMessage(ch);
    if (message.empty()) message = o.Text;
    // A unit that took the job but was never told to start programs nothing.
    if (offline_ && !missing && o.Result == ChannelResult::Success &&
        std::find(restarted_.begin(), restarted_.end(), ch) == restarted_.end()) {
      result = "Failure";
      message = "Not started off-line: " + Port(ch) + " did not open";
    }
    const bool failed = missing ? !allowMissing_ : result != "Success";
    // An allowed missing unit is named but counted neither way.
    if (failed) ++ng;
    else if (!missing) ++ok;
    summary.Channels.push_back({ch, Port(ch), result, message, failed});
    if (actions_.Summary)
      actions_.Summary("Channel " + std::to_string(ch + 1) + "\t" + Port(ch) + "\t" + result + "\t" + message);
  }
  const std::string count = std::to_string(ok + ng);
  if (ng == 0) app_.Log.HostLine("Unattended " + op_ + ": all " + count + " channels succeeded");
  else app_.Log.HostLine("Unattended " + op_ + ": " + std::to_string(ng) + " of " + count + " channels failed");
  if (!listen_) {
    summary.Ok = ok;
    summary.Ng = ng;
    summary.ExitCode = ng;
    return Close(summary, exit_);
  }
  // Listening, the totals are the chips the units reported since the run
  // began, and so is the status, with the channels that never got going.
  const uint32_t chipsOk = app_.Flags.TotalOk - okAtStart_;
  const uint32_t chipsNg = app_.Flags.TotalNg - ngAtStart_;
  app_.Log.HostLine("Unattended offline: the units reported " + std::to_string(chipsOk) + " good and " +
                    std::to_string(chipsNg) + " failed chips");
  const uint64_t failed = uint64_t{chipsNg} + static_cast<uint64_t>(ng);
  summary.Ok = static_cast<int>(chipsOk);
  summary.Ng = static_cast<int>(chipsNg);
  summary.CountsChips = true;
  summary.ExitCode = static_cast<int>(std::min<uint64_t>(failed, kMaxCountedStatus));
  Close(summary, true);
}

void UnattendedRun::Close(const RunSummary& summary, bool quit) {
  if (actions_.Summary)
    actions_.Summary("OK=" + std::to_string(summary.Ok) + ", NG=" + std::to_string(summary.Ng) + ".");
  if (actions_.Summarised) actions_.Summarised(summary);
  Finish(summary.ExitCode, quit);
}

bool UnattendedRun::UnitsBack() {
  if (!searchedAgain_) {
    searchedAgain_ = actions_.UnitsSearchedAgain();
    return false;
  }
  if (++ticks_ >= kSettleTicks) return true;
  for (int ch : started_)
    if (app_.Channels[ch].Outcome.Result == ChannelResult::Success && !app_.Channels[ch].Connected) return false;
  return true;
}

int UnattendedRun::Listed() const {
  return std::min(actions_.ListedPorts ? actions_.ListedPorts() : 0, kChannelCount);
}

std::string UnattendedRun::Port(int channel) const {
  return actions_.PortName ? actions_.PortName(channel) : std::string();
}

std::string UnattendedRun::LastMessage(int channel) const {
  const std::string prefix = ChannelPrefix(channel);
  const auto& lines = app_.Log.Lines();
  // A log cleared during the run holds only lines of the run.
  const size_t start = logStart_ <= lines.size() ? logStart_ : 0;
  for (size_t i = lines.size(); i > start; --i) {
    const std::string& l = lines[i - 1];
    if (auto at = l.find(prefix); at != std::string::npos) return l.substr(at + prefix.size());
  }
  return {};
}

void UnattendedRun::Refuse(const std::string& reason) {
  app_.Log.HostLine(reason);
  if (actions_.Error) actions_.Error(reason);
  if (actions_.Summarised) {
    RunSummary summary;
    summary.Operation = op_;
    summary.ExitCode = kUsageError;
    summary.Error = reason;
    actions_.Summarised(summary);
  }
  Finish(kUsageError, exit_ || quitOnRefusal_);
}

void UnattendedRun::Finish(int code, bool quit) {
  state_ = State::Done;
  exitCode_ = code;
  if (quit && actions_.Quit) actions_.Quit(code);
}

}  // namespace korvel
