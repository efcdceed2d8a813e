#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/PortEnumeration.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// A fake sysfs and /dev: ttyACM0 on port 3 of a hub on port 2 of bus 1,
// reached through its by-path link; ttyS0 without a USB parent.
TEST(PortUsbPath, TheInterfaceNearestThePortThroughItsLinks) {
  char pattern[] = "/tmp/korvel-usbpath-XXXXXX";
  ASSERT_TRUE(::mkdtemp(pattern));
  const fs::path root = pattern;
  const fs::path iface = root / "devices/pci0000:00/usb1/1-2/1-2.3/1-2.3:1.0";
  fs::create_directories(iface / "tty/ttyACM0");
  fs::create_directories(root / "devices/platform/serial8250/tty/ttyS0");
  fs::create_directories(root / "class/tty/ttyACM0");
  fs::create_directories(root / "class/tty/ttyS0");
  fs::create_directory_symlink(iface, root / "class/tty/ttyACM0/device");
  fs::create_directory_symlink(root / "devices/platform/serial8250", root / "class/tty/ttyS0/device");
  fs::create_directories(root / "dev/serial/by-path");
  std::ofstream(root / "dev/ttyACM0").put('\n');
  fs::create_symlink(root / "dev/ttyACM0", root / "dev/serial/by-path/pci-0000:00:14.0-usb-0:2.3:1.0");

  const std::string sys = (root / "class/tty").string();
  EXPECT_EQ(UsbPathOfPort((root / "dev/serial/by-path/pci-0000:00:14.0-usb-0:2.3:1.0").string(), sys), "1-2.3:1.0");
  EXPECT_EQ(UsbPathOfPort("/dev/ttyACM0", sys), "1-2.3:1.0");
  EXPECT_EQ(UsbPathOfPort("/dev/ttyS0", sys), "");
  EXPECT_EQ(UsbPathOfPort("/dev/pts/7", sys), "");
  EXPECT_EQ(UsbPathOfPort("", sys), "");
  std::error_code ec;
  fs::remove_all(root, ec);
}

}  // namespace
}  // namespace korvel
