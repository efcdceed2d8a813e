#pragma once
#include <map>
#include <string>
#include <vector>

#include "serial/PortEnumeration.h"
#include "serial/PortHolders.h"

namespace korvel {

struct ConnectionSettings;

// Where the port listing looks. The defaults are the system's; tests hand
// in a fake tree and a fake probe.
struct PortSystem {
  std::string SysRoot = "/sys/class/tty";
  std::string DevRoot = "/dev";
  std::string ProcRoot = "/proc";
  std::vector<std::string> LockDirs = {"/run/lock", "/var/lock"};
  PortEnumerator::Probe Probe;  // empty: the real exclusive open
};

// One USB serial port of the system as the listing shows it.
struct ListedPort {
  int Channel = 0;  // the channel that would use it now; 0 for none
  std::string Device;
  std::string UsbPath;
  std::string ByPath;  // the /dev/serial/by-path link to it; empty when there is none
  int OpenError = 0;   // 0 when it opens exclusively, else the errno
  std::vector<PortHolder> Holders;
  std::optional<PortLockFile> Lock;
};

// The /dev/serial/by-path links of the dev root, keyed by the node each
// points at. Where udev made several for one port (old and new naming),
// the shortest name is kept.
std::map<std::string, std::string> ByPathLinks(const std::string& devRoot);

// Every USB serial port in channel order. Without a settings file the
// ports that open get channels 1..10 in that order, as the search would
// give them; with one (settings), a port gets the channel whose line names
// it, under whatever name.
std::vector<ListedPort> ListPorts(const PortSystem& sys, const ConnectionSettings* settings);

// "opens", "busy", "permission denied" or the system's text for the error.
std::string OpenStateText(int error);
// The processes and the lock file that hold the port; empty when none is known.
std::string HoldersText(const ListedPort& port);

// The tab-separated line of --list-ports: channel, device, USB path,
// by-path link, whether it opens, who holds it; "-" for what is unknown.
std::string FormatListedPort(const ListedPort& port);

}  // namespace korvel
