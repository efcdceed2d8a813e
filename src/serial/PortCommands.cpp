#include "serial/PortCommands.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "serial/ConnectionFileWriter.h"
#include "serial/ConnectionSettings.h"
#include "serial/PortIdentity.h"

namespace korvel {

namespace {

constexpr const char* kNoPortText = "no USB serial port found";

std::string SettingsPath(const std::string& folder) {
  return (std::filesystem::path(folder.empty() ? "." : folder) / kConnectionFile).string();
}

bool AnyPermissionDenied(const std::vector<ListedPort>& ports) {
  for (const auto& p : ports)
    if (p.OpenError == EACCES || p.OpenError == EPERM) return true;
  return false;
}

void DialoutHint(const std::vector<ListedPort>& ports, const std::string& program, std::ostream& err) {
  if (AnyPermissionDenied(ports))
    err << program << ": add the user to the dialout group (sudo usermod -aG dialout $USER) and log in again\n";
}

int ListPortsCommand(const PortSystem& sys, const std::string& folder, const std::string& program,
                     std::ostream& out, std::ostream& err) {
  std::optional<ConnectionSettings> settings;
  const std::string file = SettingsPath(folder);
  if (std::ifstream in(file); in) settings = ParseConnectionSettings(in);
  const auto ports = ListPorts(sys, settings ? &*settings : nullptr);
  for (const auto& p : ports) out << FormatListedPort(p) << "\n";
  out.flush();
  if (ports.empty()) err << program << ": " << kNoPortText << "\n";
  if (settings) {
    err << program << ": channels as " << file << " gives them\n";
    // A line naming no port found now is the usual sign of a moved hub or
    // a unit on another socket.
    const auto earlier = EarlierPortsOnSameDevice({settings->Ports.begin(), settings->Ports.end()});
    const int searched =
        std::min<int>(settings->ChannelCount.value_or(0), static_cast<int>(settings->BoxItems.size()));
    for (int k = 0; k < kChannelCount; ++k) {
      const std::string& named = settings->Ports[k];
      if (named.empty()) continue;
      bool listed = false;
      for (const auto& p : ports) listed = listed || p.Channel == k + 1;
      if (k >= searched)
        err << program << ": channel " << k + 1 << " (" << named << ") is beyond the "
            << searched << " channels the search opens\n";
      else if (earlier[k])
        err << program << ": channel " << k + 1 << " (" << named << ") is the same device as channel "
            << *earlier[k] + 1 << ": the search leaves it out\n";
      else if (!listed)
        err << program << ": channel " << k + 1 << " (" << named << ") is none of the ports found\n";
    }
  }
  DialoutHint(ports, program, err);
  return 0;
}

int WriteConfigCommand(const PortSystem& sys, const std::string& folder, const std::string& program,
                       std::ostream& out, std::ostream& err) {
  const auto ports = ListPorts(sys, nullptr);
  std::vector<std::string> names;
  for (const auto& p : ports) {
    if (p.Channel == 0) {
      const std::string who = HoldersText(p);
      err << program << ": " << p.Device << " left out: "
          << (p.OpenError == 0 ? std::string("more ports than channels")
                               : OpenStateText(p.OpenError) + (who.empty() ? "" : ", " + who))
          << "\n";
      continue;
    }
    if (p.ByPath.empty())
      err << program << ": " << p.Device << " has no /dev/serial/by-path link: written as it is, "
          << "and its channel may move when the ports are numbered anew\n";
    names.push_back(p.ByPath.empty() ? p.Device : p.ByPath);
  }
  DialoutHint(ports, program, err);
  if (names.empty()) {
    err << program << ": " << kNoPortText << " that opens: " << SettingsPath(folder) << " not written\n";
    return 64;
  }
  const std::string text = ConnectionFileText(names);
  // What the program would read back must be what was found, or the file
  // would quietly bind a channel to some other name.
  std::istringstream back(text);
  const ConnectionSettings read = ParseConnectionSettings(back);
  for (size_t k = 0; k < names.size(); ++k) {
    if (read.Ports[k] != names[k]) {
      err << program << ": the port name \"" << names[k] << "\" cannot be written so that it reads back\n";
      return 64;
    }
  }
  const ConnectionFileWrite w = WriteConnectionFile(folder, text);
  if (!w.Error.empty()) {
    err << program << ": " << w.Error << "\n";
    return 64;
  }
  for (size_t k = 0; k < names.size(); ++k) out << "Channel " << k + 1 << "\t" << names[k] << "\n";
  if (w.Unchanged)
    out << w.Path << " already lists these ports: left as it is\n";
  else
    out << "Wrote " << w.Path << (w.Backup.empty() ? "" : " (the previous one kept as " + w.Backup + ")") << "\n";
  out.flush();
  return 0;
}

}  // namespace

std::optional<int> RunPortCommand(const CommandLine& cmd, const PortSystem& sys, const std::string& startFolder,
                                  const std::string& program, std::ostream& out, std::ostream& err) {
  if (cmd.ListPorts) return ListPortsCommand(sys, startFolder, program, out, err);
  if (cmd.WriteConfig) return WriteConfigCommand(sys, startFolder, program, out, err);
  return std::nullopt;
}

}  // namespace korvel
