#include "engine/JsonResults.h"

#include "engine/JsonLine.h"

namespace korvel {

namespace {

std::optional<int64_t> Number(std::optional<uint32_t> v) {
  return v ? std::optional<int64_t>(*v) : std::nullopt;
}

}  // namespace

void JsonResults::Search(int channel, const std::string& port, bool found, const std::string& unit) {
  if (closed_) return;
  JsonLine j;
  j.Add("type", "search").Add("time", Now()).Add("channel", channel + 1).Add("port", port).Add("found", found);
  if (found && !unit.empty()) j.Add("unit", unit);
  else j.AddRaw("unit", "null");
  sink_(j.Text());
}

void JsonResults::Attempt(const ChipAttempt& a) {
  if (closed_) return;
  if (a.Channel >= 0 && a.Channel < kChannelCount) sent_[a.Channel] = Sent{};
  JsonLine j;
  j.Add("type", a.Source == AttemptSource::Host ? "end" : "chip")
      .Add("time", a.Time)
      .Add("channel", a.Channel + 1)
      .Add("port", a.Port)
      .Add("usb_path", a.UsbPath)
      .Add("unit", a.Unit)
      .Add("operation", a.Operation)
      .Add("result", ResultWord(a.Result))
      .Add("code", int{a.Code})
      .Add("text", a.Text)
      .Add("duration_ms", a.DurationMs)
      .Add("serial", Number(a.Serial))
      .Add("chip", a.Chip)
      .Add("image", a.ImageFile)
      .Add("flash_crc", Number(a.FlashCrc ? std::optional<uint32_t>(*a.FlashCrc) : std::nullopt));
  sink_(j.Text());
}

void JsonResults::Tick(const ChannelTable& channels, const RunningOperation& running) {
  if (closed_) return;
  const int64_t now = clock_.SteadyMs();
  for (int c = 0; c < kChannelCount; ++c) {
    const GaugeState& g = channels[c].Gauge;
    Sent& s = sent_[c];
    if (s.Any && (now - s.AtMs < kProgressIntervalMs || (g.Progress == s.Progress && g.Max == s.Max))) continue;
    const std::string op = running ? running(c) : std::string();
    if (op.empty()) continue;
    s = Sent{true, now, g.Progress, g.Max};
    const int max = g.Max > 0 ? g.Max : 1;
    const int percent = g.Progress <= 0 ? 0 : g.Progress >= max ? 100 : static_cast<int>(int64_t{g.Progress} * 100 / max);
    JsonLine j;
    j.Add("type", "progress")
        .Add("time", Now())
        .Add("channel", c + 1)
        .Add("operation", op)
        .Add("percent", percent)
        .Add("progress", g.Progress)
        .Add("max", g.Max);
    sink_(j.Text());
  }
}

void JsonResults::Summary(const RunSummary& s) {
  std::string failed = "[", list = "[";
  for (const RunSummary::Channel& c : s.Channels) {
    if (c.Failed) {
      if (failed.size() > 1) failed += ',';
      failed += std::to_string(c.Index + 1);
    }
    JsonLine item;
    item.Add("channel", c.Index + 1).Add("port", c.Port).Add("result", c.Result).Add("message", c.Message);
    if (list.size() > 1) list += ',';
    list += item.Text();
  }
  failed += ']';
  list += ']';
  JsonLine j;
  j.Add("type", "summary")
      .Add("time", Now())
      .Add("operation", s.Operation)
      .Add("counts", s.CountsChips ? "chips" : "channels")
      .Add("ok", s.Ok)
      .Add("ng", s.Ng)
      .Add("exit", s.ExitCode)
      .AddRaw("failed", failed)
      .AddRaw("channels", list);
  if (!s.Error.empty()) j.Add("error", s.Error);
  sink_(j.Text());
  closed_ = true;
}

}  // namespace korvel
