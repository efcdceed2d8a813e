#include "engine/PortUsbPath.h"

#include <filesystem>
#include <system_error>

#include "serial/PortEnumeration.h"

namespace korvel {

namespace fs = std::filesystem;

std::string UsbPathOfPort(const std::string& port, const std::string& sysRoot) {
  std::error_code ec;
  const fs::path device = fs::canonical(port, ec);
  const std::string name = (ec ? fs::path(port) : device).filename().string();
  if (name.empty()) return {};
  const fs::path parent = fs::canonical(fs::path(sysRoot) / name / "device", ec);
  if (ec) return {};
  // The interface nearest the tty: a hub's own folders come before it.
  std::string found;
  for (const auto& part : parent)
    if (!UsbPathKey(part.string()).empty()) found = part.string();
  return found;
}

}  // namespace korvel
