#include "engine/FirmwareUpgrade.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/ChannelOps.h"
#include "app/Startup.h"
#include "engine/ChannelErrors.h"

namespace korvel {

namespace {
constexpr const char* kNotFound = "文件\"TroxSTX.FWR\"没有找到，请确认！";
constexpr const char* kNoDevice = "No Device is Connected!";
constexpr uint16_t kUpgradeWatchdog = 500;
}  // namespace

void FirmwareUpgrade::Load(const std::string& path) {
  FirmwareRead read = ReadFirmwareFile(path);
  firmware_ = std::move(read.Firmware);
  // The window keeps quiet about a damaged file; the log says why the
  // upgrade will not be offered, so nobody wonders later.
  if (!firmware_) app_.Log.HostLine(std::string(kFirmwareFileName) + ": " + read.Error);
}

int FirmwareUpgrade::MenuClick(bool askFirst) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::path(app_.Flags.AppDir) / kFirmwareFileName, ec)) {
    firmware_.reset();
    prompts_.Message(PromptKind::Warning, kNotFound);
    return 0;
  }
  // The units are upgraded where they are connected: counting them and
  // taking channels 1..N would miss units on later channels and talk to
  // empty ones.
  std::vector<int> connected;
  for (int c = 0; c < kChannelCount; ++c)
    if (app_.Channels[c].Connected && !app_.Channels[c].Busy) connected.push_back(c);
  if (!firmware_ || app_.Flags.DevicesFound == 0 || connected.empty()) {
    prompts_.Message(PromptKind::Information, kNoDevice);
    return 0;
  }
  // A unit cut off half way may not start again: one question first.
  if (askFirst) {
    const std::string question = "Upgrade the firmware of " + std::to_string(connected.size()) +
                                 " units from " + kFirmwareFileName + "?";
    if (prompts_.Message(PromptKind::Confirmation, question, {PromptButton::Yes, PromptButton::No}) !=
        PromptButton::Yes)
      return 0;
  }
  // Channels still upgrading from an earlier click stay watched: the search
  // waits for them too.
  for (int c : connected)
    if (std::find(upgrading_.begin(), upgrading_.end(), c) == upgrading_.end()) upgrading_.push_back(c);
  searchCountdown_ = 0;
  for (int c : connected) {
    app_.Channels[c].RxCount = 0;
    StartChannel(c);
  }
  return static_cast<int>(connected.size());
}

void FirmwareUpgrade::StartChannel(int c) {
  ChannelState& ch = app_.Channels[c];
  inProgress_ = true;
  ch.UpgradePending = true;
  ch.Connected = true;
  const int total = firmware_->BlockTotal();
  // The step first: whoever hears of the start asks what it is.
  ch.Step = kStepFirmware;
  StartChannelStep(ch, 0, total);
  ch.TimeoutTicks = kUpgradeWatchdog;
  ChannelInfo(app_.Log, c, "开始升级编程器" + std::to_string(c + 1) + "固件......");
  app_.Controls.Changed();
  SendBlock(c);
}

void FirmwareUpgrade::SendBlock(int c) {
  ChannelState& ch = app_.Channels[c];
  std::span<uint8_t> packet = channels_.PacketBuffer(c);
  const uint16_t r = static_cast<uint16_t>(random_.Next() % 65525);
  packet[0] = kFirmwareBlockCommand;
  packet[1] = static_cast<uint8_t>(ch.BlockIndex * 4);
  packet[2] = static_cast<uint8_t>(r & 0xFF);
  packet[3] = static_cast<uint8_t>(r >> 8);
  packet[4] = random_.Byte();
  packet[5] = random_.Byte();
  const std::vector<uint8_t> data =
      FirmwareBlockData(*firmware_, ch.BlockIndex, r, [this] { return random_.Byte(); });
  std::memcpy(packet.data() + kPacketHeaderSize, data.data(), data.size());
  channels_.SendBuiltPacket(c, data.size());
}

void FirmwareUpgrade::OnReply(int c, uint8_t status) {
  ChannelState& ch = app_.Channels[c];
  if (!firmware_ || !ch.Busy) {
    ch.Busy = false;
    return;
  }
  // A unit that refused a block has not got the new firmware: restarting
  // it into a half-written image could leave it dead, and the operator must
  // see which unit it was.
  if (status != 0 && status != 6) return Stop(c, status);
  ch.TimeoutTicks = kUpgradeWatchdog;
  ++ch.Gauge.Progress;
  ++ch.BlockIndex;
  if (ch.BlockIndex < ch.BlockCount) return SendBlock(c);
  Complete(c);
}

void FirmwareUpgrade::Complete(int c) {
  ChannelState& ch = app_.Channels[c];
  ch.UpgradePending = false;
  std::span<uint8_t> packet = channels_.PacketBuffer(c);
  const uint8_t head[6] = {kFirmwareRestartCommand, 0, 'R', 'S', 0, 0};
  std::memcpy(packet.data(), head, sizeof head);
  packet[kPacketHeaderSize] = 0;
  packet[kPacketHeaderSize + 1] = 0;
  channels_.SendBuiltPacket(c, 2);
  const std::string done = "Firmware " + std::to_string(c + 1) + " Upgrade Completed!";
  ChannelInfo(app_.Log, c, done);
  FinishChannel(ch, {ChannelResult::Success, 0, done});
}

void FirmwareUpgrade::Stop(int c, uint8_t status) {
  std::string text = ChannelErrorText(status);
  ChannelInfo(app_.Log, c, text);
  FinishChannel(app_.Channels[c], {ChannelResult::Failure, status, std::move(text)});
}

void FirmwareUpgrade::OnTimer1Tick() {
  if (inProgress_) {
    for (int c : upgrading_)
      if (app_.Channels[c].Busy) return;
    inProgress_ = false;
    // The units restart: give them a moment before the wake-up frames.
    searchCountdown_ = kSearchDelayTicks;
    return;
  }
  if (searchCountdown_ == 0 || --searchCountdown_ > 0) return;
  upgrading_.clear();
  ++searches_;
  channels_.FindDevices();
}

}  // namespace korvel
