#include "engine/UnattendedRun.h"

namespace korvel {

namespace {
// The search counts as settled this long after the wake-up frames even when
// some listed unit never answered (Timer1 ticks of 10 ms).
constexpr int kSettleTicks = 300;
}  // namespace

UnattendedRun::UnattendedRun(AppState& app, Actions actions, std::string chip,
                             std::vector<std::string> files, std::string op, bool exitWhenDone)
    : app_(app),
      actions_(std::move(actions)),
      chip_(std::move(chip)),
      files_(std::move(files)),
      op_(std::move(op)),
      exit_(exitWhenDone) {}

bool UnattendedRun::KnownOperation(const std::string& op) {
  for (const char* known : {"download", "auto", "blank", "erase", "program", "verify"})
    if (op == known) return true;
  return false;
}

bool UnattendedRun::Prepare() {
  auto fail = [&](const std::string& why) {
    app_.Log.HostLine(why);
    Finish(kUsageError);
    return false;
  };
  if (!KnownOperation(op_)) return fail("Unknown operation \"" + op_ + "\"");
  if (!chip_.empty()) {
    if (auto err = actions_.SelectChip(chip_)) return fail(*err);
  }
  for (size_t i = 0; i < files_.size(); ++i) {
    if (auto err = actions_.LoadFile(files_[i], i == 0)) return fail(*err);
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
  if (state_ != State::Running) return;
  int failed = 0;
  for (int ch : started_) {
    const ChannelState& c = app_.Channels[ch];
    if (c.Busy) return;
    if (c.Gauge.Color == kGaugeRed) ++failed;
  }
  const std::string count = std::to_string(started_.size());
  if (failed == 0) app_.Log.HostLine("Unattended " + op_ + ": all " + count + " channels succeeded");
  else app_.Log.HostLine("Unattended " + op_ + ": " + std::to_string(failed) + " of " + count + " channels failed");
  Finish(failed);
}

void UnattendedRun::Start() {
  // The dispatch starts exactly the channels that are connected and idle.
  std::vector<int> idle;
  for (int ch = 0; ch < app_.Flags.ChannelCount && ch < kChannelCount; ++ch)
    if (app_.Channels[ch].Connected && !app_.Channels[ch].Busy) idle.push_back(ch);
  if (idle.empty()) {
    app_.Log.HostLine("No programmer unit found: nothing to " + op_);
    return Finish(kUsageError);
  }
  if (actions_.Run(op_) == 0) {
    app_.Log.HostLine("Unattended " + op_ + " started on no channel");
    return Finish(kUsageError);
  }
  started_ = std::move(idle);
  state_ = State::Running;
}

void UnattendedRun::Finish(int code) {
  state_ = State::Done;
  exitCode_ = code;
  if (exit_ && actions_.Quit) actions_.Quit(code);
}

}  // namespace korvel
