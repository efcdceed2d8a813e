#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/OperatorPrompts.h"
#include "engine/RandomSource.h"
#include "protocol/ChannelHost.h"
#include "protocol/FirmwareFile.h"

namespace korvel {

// Writes the units' firmware file into every connected unit, all channels
// at once, one block per reply, then restarts the units and, once every
// upgraded channel has finished, searches for them again so that they come
// back with their new firmware.
class FirmwareUpgrade {
 public:
  FirmwareUpgrade(AppState& app, ChannelHost& channels, RandomSource& random, OperatorPrompts& prompts)
      : app_(app), channels_(channels), random_(random), prompts_(prompts) {}

  // The check when the main window is shown (the file exists).
  void Load(const std::string& path);
  // The file is absent at start-up.
  void Missing() { firmware_.reset(); }
  bool Valid() const { return firmware_.has_value(); }
  const FirmwareImage* Firmware() const { return firmware_ ? &*firmware_ : nullptr; }

  // "Do Firmware Upgrade". askFirst: the operator confirms once (an
  // unattended run does not ask). Returns the number of channels started.
  int MenuClick(bool askFirst);

  // A reply on a channel in the upgrade step.
  void OnReply(int channel, uint8_t status);
  // Every Timer1 tick: the search after the upgrade.
  void OnTimer1Tick();

  // An upgrade runs, or its units have not yet been searched for again.
  bool InProgress() const { return inProgress_ || searchCountdown_ > 0; }
  // Searches run after an upgrade so far.
  int SearchesAfterUpgrade() const { return searches_; }

  // Waits between the last channel finishing and the search (Timer1 ticks).
  static constexpr int kSearchDelayTicks = 50;

 private:
  void StartChannel(int channel);
  void SendBlock(int channel);
  void Complete(int channel);
  void Stop(int channel, uint8_t status);

  AppState& app_;
  ChannelHost& channels_;
  RandomSource& random_;
  OperatorPrompts& prompts_;
  std::optional<FirmwareImage> firmware_;
  std::vector<int> upgrading_;
  bool inProgress_ = false;
  int searchCountdown_ = 0;
  int searches_ = 0;
};

}  // namespace korvel
