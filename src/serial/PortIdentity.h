#pragma once
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace korvel {

// What a port name stands for once links are followed: one device may go
// by several names (/dev/ttyACM0, its /dev/serial/by-path and by-id links,
// a node of its own made with mknod), and two channels on one device would
// both talk to the same unit.
struct PortIdentity {
  std::string Resolved;  // the name with every link followed; the name itself when it does not resolve
  std::optional<dev_t> CharDevice;  // the device number when it is a character device
};

PortIdentity IdentifyPort(const std::string& name);
bool SameDevice(const PortIdentity& a, const PortIdentity& b);

// For each port, the index of the first earlier port on the same device;
// nullopt for the first of its device and for empty names.
std::vector<std::optional<int>> EarlierPortsOnSameDevice(const std::vector<std::string>& ports);

}  // namespace korvel
