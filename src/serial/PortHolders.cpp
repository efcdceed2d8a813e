#include "serial/PortHolders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvel {

namespace fs = std::filesystem;

namespace {

std::optional<int> Pid(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  if (b == e || e - b > 9) return std::nullopt;
  int pid = 0;
  for (size_t i = b; i < e; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    pid = pid * 10 + (text[i] - '0');
  }
  return pid > 0 ? std::optional<int>(pid) : std::nullopt;
}

// The same file under another spelling: the fd link of a process names the
// node the process opened, the device here may be a link to it.
std::string Canonical(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::canonical(path, ec);
  if (ec) p = fs::weakly_canonical(path, ec);
  return ec ? path : p.string();
}

}  // namespace

PortHolders::PortHolders(std::string procRoot, std::vector<std::string> lockDirs)
    : procRoot_(std::move(procRoot)), lockDirs_(std::move(lockDirs)) {}

std::string PortHolders::CommandOf(int pid) const {
  std::ifstream in(fs::path(procRoot_) / std::to_string(pid) / "comm");
  std::string name;
  std::getline(in, name);
  return name;
}

void PortHolders::ReadProcesses() {
  read_ = true;
  std::error_code ec;
  for (const auto& proc : fs::directory_iterator(procRoot_, ec)) {
    const auto pid = Pid(proc.path().filename().string());
    if (!pid) continue;
    std::error_code fdEc;
    for (const auto& fd : fs::directory_iterator(proc.path() / "fd", fdEc)) {
      std::error_code linkEc;
      const fs::path target = fs::read_symlink(fd.path(), linkEc);
      // Sockets, pipes and anonymous files are no device nodes.
      if (linkEc || !target.is_absolute()) continue;
      openFiles_.emplace_back(target.string(), *pid);
    }
  }
}

std::vector<PortHolder> PortHolders::Holding(const std::string& device) {
  if (!read_) ReadProcesses();
  const std::string canonical = Canonical(device);
  const std::string name = fs::path(device).filename().string();
  const std::string canonicalName = fs::path(canonical).filename().string();
  std::vector<int> pids;
  for (const auto& [target, pid] : openFiles_) {
    if (std::find(pids.begin(), pids.end(), pid) != pids.end()) continue;
    bool same = target == device || target == canonical;
    if (!same) {
      // Resolving every open file of every process would take long; only
      // a node of the same name can be the device under another path.
      const std::string targetName = fs::path(target).filename().string();
      same = (targetName == name || targetName == canonicalName) && Canonical(target) == canonical;
    }
    if (same) pids.push_back(pid);
  }
  std::sort(pids.begin(), pids.end());
  std::vector<PortHolder> holders;
  for (int pid : pids) holders.push_back({pid, CommandOf(pid)});
  return holders;
}

std::optional<PortLockFile> PortHolders::LockFileOf(const std::string& ttyName) const {
  for (const auto& dir : lockDirs_) {
    const fs::path path = fs::path(dir) / ("LCK.." + ttyName);
    std::error_code ec;
    if (!fs::exists(path, ec)) continue;
    PortLockFile lock{path.string(), std::nullopt};
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    if (const auto pid = Pid(text.str())) lock.Owner = PortHolder{*pid, CommandOf(*pid)};
    return lock;
  }
  return std::nullopt;
}

}  // namespace korvel
