#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/ChannelOps.h"
#include "app/Clock.h"
#include "engine/AutoProgress.h"
#include "engine/ChipAttempt.h"

namespace korvel {

// What an attempt keeps of the job its channel starts on.
struct AttemptJob {
  std::string Chip;
  std::string ImageFile;
  std::optional<uint16_t> FlashCrc;
};

// Turns the start and end of every channel operation, and the chips units
// report while they run alone, into ChipAttempt records for whoever
// listens (the JSON results, the chip record).
class AttemptTracker : public ChannelObserver {
 public:
  struct Context {
    std::function<std::string(int channel)> PortName;
    // The USB path of a port ("" when it has none).
    std::function<std::string(const std::string& port)> UsbPath;
    // The job as a channel starting now takes it.
    std::function<AttemptJob()> Job;
  };
  using Listener = std::function<void(const ChipAttempt&)>;

  AttemptTracker(AppState& app, const Clock& clock, Context context);
  ~AttemptTracker() override;
  AttemptTracker(const AttemptTracker&) = delete;
  AttemptTracker& operator=(const AttemptTracker&) = delete;

  // Every listener hears every attempt, in the order they were added.
  void Listen(Listener listener) { listeners_.push_back(std::move(listener)); }

  void OperationStarted(ChannelState& ch) override;
  void OperationEnded(ChannelState& ch) override;
  // The number the channel's chip got as its Auto completed.
  void NoteSerial(int channel, std::optional<uint32_t> serial);
  // A progress frame the channel's unit sent while programming alone, after
  // it was shown; a finished chip (phase 0xF0) is an attempt.
  void UnitFrame(int channel, const AutoProgressFrame& frame);
  // These channels' units were told to start off-line.
  void OfflineStarted(const std::vector<int>& channels);

  // The operation the channel runs now: the host's, else the unit's own;
  // "" when neither.
  std::string Running(int channel) const;

 private:
  struct Open {
    bool Active = false;
    int64_t StartMs = 0;
    std::string Operation;
    std::string Port;
    std::string UsbPath;
    std::string Unit;
    AttemptJob Job;
    std::optional<uint32_t> Serial;
  };
  int IndexOf(const ChannelState& ch) const;
  Open Begin(int channel, std::string operation, AttemptJob job) const;
  void Emit(Open& open, int channel, ChannelResult result, uint8_t code, std::string text, bool startSeen,
            AttemptSource source);

  AppState& app_;
  const Clock& clock_;
  Context context_;
  std::vector<Listener> listeners_;
  std::array<Open, kChannelCount> host_;
  std::array<Open, kChannelCount> unit_;
  // What each unit was last given by a download of this host, and whether
  // it was started off-line since.
  std::array<std::optional<AttemptJob>, kChannelCount> downloaded_;
  std::array<bool, kChannelCount> offline_{};
};

}  // namespace korvel
