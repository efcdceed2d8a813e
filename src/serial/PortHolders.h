#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvel {

struct PortHolder {
  int Pid = 0;
  std::string Command;  // empty when it cannot be read
};

// A UUCP-style lock file (LCK..ttyACM0) some serial programs leave while
// they use a port.
struct PortLockFile {
  std::string Path;
  std::optional<PortHolder> Owner;  // the pid written in it, when it names one
};

// Who has serial devices open, as far as this user may look: the fd links
// of other users' processes are readable to root only. procRoot and the
// lock folders are parameters so that tests can hand in a fake tree.
class PortHolders {
 public:
  explicit PortHolders(std::string procRoot = "/proc",
                       std::vector<std::string> lockDirs = {"/run/lock", "/var/lock"});

  // Processes with the device open. The process table is read once, at
  // the first call.
  std::vector<PortHolder> Holding(const std::string& device);
  std::optional<PortLockFile> LockFileOf(const std::string& ttyName) const;

 private:
  std::string CommandOf(int pid) const;
  void ReadProcesses();

  std::string procRoot_;
  std::vector<std::string> lockDirs_;
  bool read_ = false;
  // Where each readable fd of each process points.
  std::vector<std::pair<std::string, int>> openFiles_;
};

}  // namespace korvel
