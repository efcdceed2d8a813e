#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "serial/PortEnumeration.h"
#include "serial/PortListing.h"

namespace korvel {

// A fake /sys/class/tty, /dev, /proc and lock folder in a temp folder: each
// tty is a folder whose "device" link points into a fake devices tree.
class FakeTtyTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::filesystem::temp_directory_path() /
           ("korvel-tty-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root);
    for (const char* dir : {"class", "dev", "proc", "lock", "start"}) std::filesystem::create_directories(root / dir);
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  void AddTty(const std::string& name, const std::string& devicePath) {
    auto dir = root / "class" / name;
    std::filesystem::create_directories(dir);
    auto target = root / "devices" / devicePath;
    std::filesystem::create_directories(target);
    std::filesystem::create_directory_symlink(target, dir / "device");
  }
  // A tty with its node in the fake /dev, as udev would make it.
  void AddPort(const std::string& name, const std::string& devicePath) {
    AddTty(name, devicePath);
    std::ofstream(root / "dev" / name).flush();
  }
  // A /dev/serial/by-path link, relative as udev writes it.
  void AddByPath(const std::string& link, const std::string& ttyName) {
    std::filesystem::create_directories(root / "dev" / "serial" / "by-path");
    std::filesystem::create_symlink("../../" + ttyName, root / "dev" / "serial" / "by-path" / link);
  }
  void AddProcess(int pid, const std::string& command, const std::string& openFile) {
    const auto dir = root / "proc" / std::to_string(pid);
    std::filesystem::create_directories(dir / "fd");
    std::ofstream(dir / "comm") << command << "\n";
    std::filesystem::create_symlink("socket:[77]", dir / "fd" / "3");
    std::filesystem::create_symlink(openFile, dir / "fd" / "4");
  }
  PortEnumerator Enumerator(PortEnumerator::Probe probe) {
    return PortEnumerator((root / "class").string(), (root / "dev").string(), std::move(probe));
  }
  PortSystem System(PortEnumerator::Probe probe) {
    PortSystem s;
    s.SysRoot = (root / "class").string();
    s.DevRoot = (root / "dev").string();
    s.ProcRoot = (root / "proc").string();
    s.LockDirs = {(root / "lock").string()};
    s.Probe = std::move(probe);
    return s;
  }
  std::string Dev(const std::string& name) { return (root / "dev" / name).string(); }
  std::string ByPath(const std::string& link) { return (root / "dev" / "serial" / "by-path" / link).string(); }
  std::string Start() { return (root / "start").string(); }

  std::filesystem::path root;
};

}  // namespace korvel
