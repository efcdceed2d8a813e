#include "engine/AttemptTracker.h"

namespace korvel {

AttemptTracker::AttemptTracker(AppState& app, const Clock& clock, Context context)
    : app_(app), clock_(clock), context_(std::move(context)) {
  for (ChannelState& ch : app_.Channels) ch.Observer = this;
}

AttemptTracker::~AttemptTracker() {
  for (ChannelState& ch : app_.Channels)
    if (ch.Observer == this) ch.Observer = nullptr;
}

int AttemptTracker::IndexOf(const ChannelState& ch) const {
  // A copy of a channel record carries the observer too; it is no channel.
  for (int c = 0; c < kChannelCount; ++c)
    if (&app_.Channels[c] == &ch) return c;
  return -1;
}

AttemptTracker::Open AttemptTracker::Begin(int channel, std::string operation, AttemptJob job) const {
  Open o;
  o.Active = true;
  o.StartMs = clock_.SteadyMs();
  o.Operation = std::move(operation);
  o.Port = context_.PortName ? context_.PortName(channel) : std::string();
  o.UsbPath = context_.UsbPath && !o.Port.empty() ? context_.UsbPath(o.Port) : std::string();
  o.Unit = app_.Channels[channel].UnitName;
  o.Job = std::move(job);
  return o;
}

void AttemptTracker::OperationStarted(ChannelState& ch) {
  const int c = IndexOf(ch);
  if (c < 0) return;
  host_[c] = Begin(c, OperationOfStep(ch.Step, ch.AutoChain), context_.Job ? context_.Job() : AttemptJob{});
}

void AttemptTracker::OperationEnded(ChannelState& ch) {
  const int c = IndexOf(ch);
  if (c < 0 || !host_[c].Active) return;
  Open& o = host_[c];
  const ChannelOutcome& out = ch.Outcome;
  if (o.Operation == "download" && out.Result == ChannelResult::Success) {
    downloaded_[c] = o.Job;
    offline_[c] = false;
  }
  Emit(o, c, out.Result, out.Code, out.Text, true, AttemptSource::Host);
}

void AttemptTracker::NoteSerial(int channel, std::optional<uint32_t> serial) {
  if (channel >= 0 && channel < kChannelCount && host_[channel].Active) host_[channel].Serial = serial;
}

void AttemptTracker::UnitFrame(int channel, const AutoProgressFrame& frame) {
  if (channel < 0 || channel >= kChannelCount) return;
  Open& o = unit_[channel];
  // A chip's first frame starts its attempt afresh: one taken out before
  // its end leaves nothing open for the next.
  if (frame.Phase == kPhaseChipStart) o = Open{};
  const bool startSeen = o.Active;
  if (!o.Active) {
    o = Begin(channel, offline_[channel] ? kOperationOffline : kOperationAutoDetect,
              downloaded_[channel].value_or(AttemptJob{}));
  }
  if (frame.Phase != kPhaseChipDone) return;
  const bool ok = frame.Result == kUnitChipSuccess;
  Emit(o, channel, ok ? ChannelResult::Success : ChannelResult::Failure, ok ? 0 : frame.Result,
       "Progrmming Completed : " + AutoProgressResultText(channel, frame.Result), startSeen, AttemptSource::Unit);
}

void AttemptTracker::OfflineStarted(const std::vector<int>& channels) {
  for (int c : channels)
    if (c >= 0 && c < kChannelCount) offline_[c] = true;
}

std::string AttemptTracker::Running(int channel) const {
  if (channel < 0 || channel >= kChannelCount) return {};
  if (host_[channel].Active) return host_[channel].Operation;
  if (unit_[channel].Active) return unit_[channel].Operation;
  return {};
}

void AttemptTracker::Emit(Open& o, int channel, ChannelResult result, uint8_t code, std::string text,
                          bool startSeen, AttemptSource source) {
  ChipAttempt a;
  a.Source = source;
  a.Time = clock_.DateText() + "T" + clock_.TimeText();
  a.Channel = channel;
  a.Port = o.Port;
  a.UsbPath = o.UsbPath;
  a.Unit = o.Unit;
  a.Operation = o.Operation;
  a.Chip = o.Job.Chip;
  a.ImageFile = o.Job.ImageFile;
  a.FlashCrc = o.Job.FlashCrc;
  if (result == ChannelResult::Success) a.Serial = o.Serial;
  a.Result = result;
  a.Code = result == ChannelResult::Success ? 0 : code;
  a.Text = std::move(text);
  if (startSeen) a.DurationMs = clock_.SteadyMs() - o.StartMs;
  o = Open{};
  for (const Listener& l : listeners_) l(a);
}

}  // namespace korvel
