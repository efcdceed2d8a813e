#pragma once
#include <cstdint>
#include <string>

namespace korvel {

// The job options as the programmers receive them; captured from the main
// window's controls before every operation and kept in project files.
struct JobSettings {
  uint8_t ModeFlags = 0;
  uint8_t PowerFlags = 0;
  uint8_t OptionFlags = 0;
  uint8_t AutoDetect = 0;
  uint8_t InsertSettleTime = 0;
  uint8_t RemoveSettleTime = 0;
  uint8_t PowerUpDelay = 0;
  uint8_t PowerDownDelay = 0;
  uint8_t SignalFlags = 0;
  uint8_t LimitFlag = 0;
  uint32_t MaxCount = 0;
  uint8_t SnMode = 0;
  uint8_t SnWidth = 0;
  uint16_t SnStep = 0;
  uint32_t SnValue = 0;
  uint32_t SnAddress = 0;
  bool EepEnabled = false;
};

// ModeFlags bits
inline constexpr uint8_t kModeHighSpeed = 0x10;
inline constexpr uint8_t kModeSnStOrder = 0x20;
inline constexpr uint8_t kModeVerifyAfter = 0x40;
inline constexpr uint8_t kModeSnDecimal = 0x80;
// PowerFlags bits
inline constexpr uint8_t kPowerVoltMask = 0x03;
inline constexpr uint8_t kPowerNotBlankError = 0x08;
inline constexpr uint8_t kPowerEepEnabled = 0x10;
inline constexpr uint8_t kPowerOnlyCheckRdp = 0x80;
// OptionFlags bits
inline constexpr uint8_t kOptionSkipOptionBytes = 0x40;
// SnMode values
inline constexpr uint8_t kSnOff = 0;
inline constexpr uint8_t kSnHex = 0x0F;
inline constexpr uint8_t kSnDecimal = 0xA3;
inline constexpr uint8_t kSnAscii = 0xA5;

// The job-wide flags and counters beside the settings.
struct JobFlags {
  bool ChipSelected = false;
  bool ImageLoaded = false;
  bool Stm32Family = false;
  bool Supports18V = false;
  uint8_t ChannelCount = 10;
  uint8_t DevicesFound = 0;
  uint8_t DownloadsDone = 0;
  bool CommandLineMode = false;
  bool ExitAfterDownload = false;
  uint32_t TotalOk = 0;
  uint32_t TotalNg = 0;
  uint32_t OnlineCounter = 0;
  uint32_t MemoLinesSinceSave = 0;
  // The working directory at start-up, without a trailing '/'.
  std::string AppDir;
};

}  // namespace korvel
