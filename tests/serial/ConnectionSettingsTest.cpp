#include "serial/ConnectionSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "serial/FakeTtyTree.h"
#include "serial/PortEnumeration.h"
#include "serial/PtyPair.h"
#include "serial/SerialLine.h"

#include <sys/file.h>
#include <sys/ioctl.h>

namespace korvel {
namespace {

ConnectionSettings Parse(const std::string& text) {
  std::istringstream in(text);
  return ParseConnectionSettings(in);
}

TEST(ConnectionSettings, FileCases) {
  struct Case {
    const char* name;
    const char* text;
    int count;
    std::vector<std::string> box;
    const char* boxText;
  };
  const Case cases[] = {
      {"count and two ports", "[Connection]\nTOTDEV=2\nDEV1=COM3\nDEV2=COM4\n", 2, {"COM3", "COM4"}, "COM3"},
      {"no count: one per DEV line", "x\n[connection]\r\ndev1 = /dev/ttyACM0 \r\nDEV2=/dev/ttyACM1\n", 2,
       {"/dev/ttyACM0", "/dev/ttyACM1"}, "/dev/ttyACM0"},
      {"no section lists nothing", "TOTDEV=2\nDEV1=COM3\n", 0, {}, ""},
      {"channel outside 1..10 ignored", "[Connection]\nDEV11=COM9\nDEV0=COM8\nDEV10=COM7\nDEVICE=COM1\n", 1,
       {"COM7"}, ""},
      {"count above ten is held to ten", "[Connection]\nTOTDEV=40\nDEV1=COM3\n", 10, {"COM3"}, "COM3"},
      {"DEV3=COM7 gives COM7", "[Connection]\nDEV3=COM7\n", 1, {"COM7"}, ""},
  };
  for (const auto& c : cases) {
    const auto s = Parse(c.text);
    EXPECT_EQ(s.ChannelCount.value_or(-1), c.count) << c.name;
    EXPECT_EQ(s.BoxItems, c.box) << c.name;
    EXPECT_EQ(s.BoxText, c.boxText) << c.name;
    EXPECT_EQ(s.PortsAvailable, !c.box.empty()) << c.name;
  }
  EXPECT_EQ(Parse("[Connection]\nDEV3=COM7\n").Ports[2], "COM7");
}

TEST_F(FakeTtyTree, OrdersByPhysicalUsbPathAndSkipsNonUsbPorts) {
  AddTty("ttyACM10", "pci0/usb1/1-2/1-2.1/1-2.1:1.0");
  AddTty("ttyACM2", "pci0/usb1/1-2/1-2.3/1-2.3:1.0");
  AddTty("ttyACM0", "pci0/usb2/2-1/2-1:1.0");
  AddTty("ttyUSB0", "pci0/usb1/1-2/1-2.10/1-2.10:1.0/ttyUSB0");
  AddTty("ttyUSB1", "platform/serial8250/ttyUSB1");  // no USB parent
  AddTty("ttyS0", "pnp0/00:05");
  auto e = Enumerator([](const std::string&) { return 0; });
  EXPECT_EQ(e.Enumerate(), (std::vector<std::string>{Dev("ttyACM10"), Dev("ttyACM2"), Dev("ttyUSB0"),
                                                     Dev("ttyACM0")}));
}

TEST_F(FakeTtyTree, PortsInUseOrForbiddenAreLeftOutWithOneDialoutHint) {
  AddTty("ttyACM0", "usb1/1-1/1-1:1.0");
  AddTty("ttyACM1", "usb1/1-2/1-2:1.0");
  AddTty("ttyACM2", "usb1/1-3/1-3:1.0");
  AddTty("ttyACM3", "usb1/1-4/1-4:1.0");
  auto e = Enumerator([&](const std::string& path) {
    if (path == Dev("ttyACM1")) return EBUSY;
    if (path == Dev("ttyACM2") || path == Dev("ttyACM3")) return EACCES;
    return 0;
  });
  std::vector<std::string> notices;
  e.SetPermissionNotice([&](const std::string& t) { notices.push_back(t); });
  EXPECT_EQ(e.Enumerate(), std::vector<std::string>{Dev("ttyACM0")});
  e.Enumerate();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("dialout"), std::string::npos);
}

TEST_F(FakeTtyTree, NoSettingsFileEnumeratesAndNothingFoundSaysSo) {
  auto none = Enumerator([](const std::string&) { return ENOENT; });
  AddTty("ttyACM0", "usb1/1-1/1-1:1.0");
  auto s = ReadConnectionSettings(root.string(), none);
  EXPECT_FALSE(s.ChannelCount.has_value());
  EXPECT_EQ(s.BoxText, "无可用的串口");
  EXPECT_FALSE(s.PortsAvailable);

  AddTty("ttyACM1", "usb1/1-2/1-2:1.0");
  auto all = Enumerator([](const std::string&) { return 0; });
  s = ReadConnectionSettings(root.string(), all);
  EXPECT_EQ(s.ChannelCount, 2);
  EXPECT_EQ(s.BoxText, Dev("ttyACM1"));  // the last entry is shown

  std::ofstream(root / "ConfigTqz.ini") << "[Connection]\nDEV1=/dev/ttyX\n";
  s = ReadConnectionSettings(root.string(), all);
  EXPECT_EQ(s.BoxItems, std::vector<std::string>{"/dev/ttyX"});
}

// The real probe on pseudo-terminals: a free port is listed and stays free
// for everybody else afterwards; a port a link holds is left out.
TEST_F(FakeTtyTree, ProbeListsFreePortsAndLeavesThemFree) {
  testing::PtyPair free, held;
  ASSERT_GE(free.Master, 0);
  ASSERT_GE(held.Master, 0);
  AddTty("ttyACM0", "usb1/1-1/1-1:1.0");
  AddTty("ttyACM1", "usb1/1-2/1-2:1.0");
  std::filesystem::create_symlink(free.SlavePath, root / "dev" / "ttyACM0");
  std::filesystem::create_symlink(held.SlavePath, root / "dev" / "ttyACM1");
  const OpenResult link = OpenSerialDevice(held.SlavePath);
  ASSERT_GE(link.Fd, 0) << link.Error;

  auto e = Enumerator({});
  EXPECT_EQ(e.Enumerate(), std::vector<std::string>{Dev("ttyACM0")});
  CloseSerialDevice(link.Fd);

  // Root opens through TIOCEXCL, so ask the tty and the lock directly.
  const int fd = ::open(free.SlavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int exclusive = -1;
  ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0) << "the probe left the exclusive flag set";
  EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << "the probe left a lock behind";
  ::close(fd);
  // And a link opens it as if nobody had looked.
  const OpenResult after = OpenSerialDevice(free.SlavePath);
  EXPECT_GE(after.Fd, 0) << after.Error;
  CloseSerialDevice(after.Fd);
}

TEST(PortOrder, UsbPathKeyAndNaturalNames) {
  EXPECT_LT(UsbPathKey("1-2:1.0"), UsbPathKey("1-2.1:1.0"));
  EXPECT_LT(UsbPathKey("1-2.3:1.0"), UsbPathKey("1-2.10:1.0"));
  EXPECT_LT(UsbPathKey("1-9:1.2"), UsbPathKey("2-1:1.0"));
  EXPECT_LT(UsbPathKey("1-2.4:1.0"), UsbPathKey("1-3:1.0"));  // tree order
  EXPECT_TRUE(UsbPathKey("usb1").empty());
  EXPECT_TRUE(UsbPathKey("1-2").empty());
  EXPECT_TRUE(NaturalLess("ttyACM2", "ttyACM10"));
  EXPECT_FALSE(NaturalLess("ttyACM10", "ttyACM2"));
  EXPECT_TRUE(NaturalLess("ttyACM1", "ttyUSB0"));
}

}  // namespace
}  // namespace korvel
