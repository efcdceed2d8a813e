#include "serial/PortListing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "serial/ConnectionSettings.h"
#include "serial/PortIdentity.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

std::string Canonical(const fs::path& path) {
  std::error_code ec;
  fs::path p = fs::canonical(path, ec);
  if (ec) p = fs::weakly_canonical(path, ec);
  return ec ? path.string() : p.string();
}

std::string HolderText(const PortHolder& h) {
  return "pid " + std::to_string(h.Pid) + (h.Command.empty() ? "" : " (" + h.Command + ")");
}

void AssignChannelsFromSettings(std::vector<ListedPort>& ports, const ConnectionSettings& s) {
  // The search opens channel k only while k is within the count and the
  // number of listed ports.
  const int count = std::min<int>(s.ChannelCount.value_or(0), static_cast<int>(s.BoxItems.size()));
  std::vector<PortIdentity> found;
  for (const auto& p : ports) found.push_back(IdentifyPort(p.Device));
  for (int k = 0; k < count && k < kChannelCount; ++k) {
    if (s.Ports[k].empty()) continue;
    const PortIdentity named = IdentifyPort(s.Ports[k]);
    for (size_t i = 0; i < ports.size(); ++i) {
      if (ports[i].Channel == 0 && SameDevice(found[i], named)) {
        ports[i].Channel = k + 1;
        break;
      }
    }
  }
}

}  // namespace

std::map<std::string, std::string> ByPathLinks(const std::string& devRoot) {
  std::map<std::string, std::string> links;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(devRoot) / "serial" / "by-path", ec)) {
    const std::string target = Canonical(entry.path());
    const std::string link = entry.path().string();
    auto [it, added] = links.emplace(target, link);
    if (!added && (link.size() < it->second.size() || (link.size() == it->second.size() && link < it->second)))
      it->second = link;
  }
  return links;
}

std::vector<ListedPort> ListPorts(const PortSystem& sys, const ConnectionSettings* settings) {
  PortEnumerator enumerator(sys.SysRoot, sys.DevRoot, sys.Probe);
  PortHolders holders(sys.ProcRoot, sys.LockDirs);
  const auto byPath = ByPathLinks(sys.DevRoot);
  std::vector<ListedPort> ports;
  int nextChannel = 1;
  for (const UsbSerialPort& found : enumerator.Scan()) {
    ListedPort p;
    p.Device = found.Device;
    p.UsbPath = found.UsbPath;
    if (auto it = byPath.find(Canonical(found.Device)); it != byPath.end()) p.ByPath = it->second;
    p.OpenError = enumerator.ProbePort(found.Device);
    if (!settings && p.OpenError == 0 && nextChannel <= kChannelCount) p.Channel = nextChannel++;
    p.Holders = holders.Holding(found.Device);
    p.Lock = holders.LockFileOf(found.Name);
    ports.push_back(std::move(p));
  }
  if (settings) AssignChannelsFromSettings(ports, *settings);
  return ports;
}

std::string OpenStateText(int error) {
  switch (error) {
    case 0: return "opens";
    case EBUSY: return "busy";
    case EACCES:
    case EPERM: return "permission denied";
    default: return std::strerror(error);
  }
}

std::string HoldersText(const ListedPort& p) {
  std::string who;
  for (const auto& h : p.Holders) who += (who.empty() ? "" : ", ") + HolderText(h);
  if (p.Lock) {
    who += (who.empty() ? "" : ", ") + std::string("lock file ") + p.Lock->Path;
    if (p.Lock->Owner) who += " of " + HolderText(*p.Lock->Owner);
  }
  return who;
}

std::string FormatListedPort(const ListedPort& p) {
  auto orDash = [](const std::string& s) { return s.empty() ? std::string("-") : s; };
  const std::string channel = p.Channel > 0 ? "Channel " + std::to_string(p.Channel) : std::string("-");
  return channel + "\t" + p.Device + "\t" + orDash(p.UsbPath) + "\t" + orDash(p.ByPath) + "\t" +
         OpenStateText(p.OpenError) + "\t" + orDash(HoldersText(p));
}

}  // namespace korvel
