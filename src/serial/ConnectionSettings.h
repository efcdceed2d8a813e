#pragma once
#include <array>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "app/ChannelState.h"

namespace korvel {

class PortEnumerator;

// Which port each channel uses, from "ConfigTqz.ini" or, without it, from
// the USB serial ports the system has.
struct ConnectionSettings {
  // The channel count to use; nullopt keeps the current one (no port found).
  std::optional<int> ChannelCount;
  // Entry k is the port of channel k + 1; empty when not given.
  std::array<std::string, kChannelCount> Ports;
  // Connection box (ComboBoxCOM): the port names in the order found.
  std::vector<std::string> BoxItems;
  std::string BoxText;
  bool PortsAvailable = false;
};

inline constexpr const char* kConnectionFile = "ConfigTqz.ini";

// The [Connection] section: "TOTDEV=n" gives the channel count (0 or none:
// one channel per DEV line), "DEVk=name" (k 1..10) the port of channel k.
// Keys ignore case; the name is the text after '=', trimmed, so both
// DEV3=COM7 and DEV1=/dev/ttyACM0 work. Lines before the section are ignored.
ConnectionSettings ParseConnectionSettings(std::istream& in);

// Reads appDir/ConfigTqz.ini when it exists, else enumerates the ports.
ConnectionSettings ReadConnectionSettings(const std::string& appDir, PortEnumerator& enumerator);

// Builds the settings for an explicit list of ports (channel k on ports[k-1]),
// as a settings file listing them would.
ConnectionSettings SettingsForPorts(const std::vector<std::string>& ports);

}  // namespace korvel
