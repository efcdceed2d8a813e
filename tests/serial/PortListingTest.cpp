#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/CommandLine.h"
#include "serial/ConnectionSettings.h"
#include "serial/FakeTtyTree.h"
#include "serial/PortCommands.h"
#include "serial/PortIdentity.h"
#include "support/FileText.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) { return test::FileText(p); }

class PortCommandTest : public FakeTtyTree {
 protected:
  int Run(const char* option) {
    out.str("");
    err.str("");
    const CommandLineResult parsed = ParseCommandLine({option});
    EXPECT_FALSE(parsed.Error);
    return RunPortCommand(parsed.Line, System([this](const std::string& d) {
                            auto it = errors.find(d);
                            return it == errors.end() ? 0 : it->second;
                          }),
                          Start(), "korvelst", out, err)
        .value_or(-1);
  }
  std::vector<std::string> OutLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  std::string Config() const { return ReadFile(root / "start" / "ConfigTqz.ini"); }

  std::map<std::string, int> errors;  // what the fake probe answers per device
  std::ostringstream out, err;
};

TEST_F(PortCommandTest, ListPortsShowsEveryPortInChannelOrderAndWhoHoldsIt) {
  AddPort("ttyACM3", "pci0/usb1/1-2/1-2.1/1-2.1:1.0");
  // Newer udev makes a second link for the same port; the short one is shown.
  AddByPath("pci-0000:00:14.0-usbv2-0:2.1:1.0", "ttyACM3");
  AddByPath("pci-0000:00:14.0-usb-0:2.1:1.0", "ttyACM3");
  AddPort("ttyACM0", "pci0/usb1/1-2/1-2.2/1-2.2:1.0");
  AddByPath("pci-0000:00:14.0-usb-0:2.2:1.0", "ttyACM0");
  AddPort("ttyACM1", "pci0/usb1/1-2/1-2.3/1-2.3:1.0");
  AddPort("ttyUSB0", "pci0/usb2/2-1/2-1:1.0/ttyUSB0");
  AddProcess(4242, "minicom", Dev("ttyACM0"));
  AddProcess(5151, "bash", Start());
  std::ofstream(root / "lock" / "LCK..ttyACM0") << "      4242\n";
  errors = {{Dev("ttyACM0"), EBUSY}, {Dev("ttyUSB0"), EACCES}};

  EXPECT_EQ(Run("--list-ports"), 0);
  const std::string lock = (root / "lock" / "LCK..ttyACM0").string();
  EXPECT_EQ(OutLines(),
            (std::vector<std::string>{
                "Channel 1\t" + Dev("ttyACM3") + "\t1-2.1:1.0\t" + ByPath("pci-0000:00:14.0-usb-0:2.1:1.0") +
                    "\topens\t-",
                "-\t" + Dev("ttyACM0") + "\t1-2.2:1.0\t" + ByPath("pci-0000:00:14.0-usb-0:2.2:1.0") +
                    "\tbusy\tpid 4242 (minicom), lock file " + lock + " of pid 4242 (minicom)",
                "Channel 2\t" + Dev("ttyACM1") + "\t1-2.3:1.0\t-\topens\t-",
                "-\t" + Dev("ttyUSB0") + "\t2-1:1.0\t-\tpermission denied\t-",
            }));
  EXPECT_NE(err.str().find("dialout"), std::string::npos) << err.str();

  // With a settings file its lines give the channels, whatever name they
  // use for a port; a line naming no port found, or a port named before,
  // is pointed out.
  std::ofstream(root / "start" / "ConfigTqz.ini")
      << "[Connection]\nDEV1=" << ByPath("pci-0000:00:14.0-usb-0:2.2:1.0") << "\nDEV2=" << Dev("ttyACM3")
      << "\nDEV3=/nowhere/ttyACM9\nDEV4=" << ByPath("pci-0000:00:14.0-usbv2-0:2.1:1.0") << "\n";
  EXPECT_EQ(Run("--list-ports"), 0);
  std::vector<std::string> channels;
  for (const auto& l : OutLines()) channels.push_back(l.substr(0, l.find('\t')));
  EXPECT_EQ(channels, (std::vector<std::string>{"Channel 2", "Channel 1", "-", "-"}));
  EXPECT_NE(err.str().find("channel 3 (/nowhere/ttyACM9) is none of the ports found"), std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("channel 4 (" + ByPath("pci-0000:00:14.0-usbv2-0:2.1:1.0") +
                           ") is the same device as channel 2: the search leaves it out"),
            std::string::npos)
      << err.str();
}

TEST_F(PortCommandTest, NoPortIsListedAsNothingAndWritesNothing) {
  EXPECT_EQ(Run("--list-ports"), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("no USB serial port found"), std::string::npos);

  // A port that does not open is no channel to write.
  AddPort("ttyACM0", "usb1/1-1/1-1:1.0");
  errors = {{Dev("ttyACM0"), EBUSY}};
  std::ofstream(root / "start" / "ConfigTqz.ini") << "[Connection]\nDEV1=/dev/ttyACM4\n";
  EXPECT_EQ(Run("--write-config"), 64);
  EXPECT_EQ(Config(), "[Connection]\nDEV1=/dev/ttyACM4\n");
  EXPECT_FALSE(fs::exists(root / "start" / "ConfigTqz.ini.bak"));
}

TEST_F(PortCommandTest, WriteConfigWritesByPathNamesTheReaderTakesBackAndKeepsTheOldFile) {
  AddPort("ttyACM5", "usb1/1-3/1-3:1.0");
  AddByPath("pci-0000:00:14.0-usb-0:3:1.0", "ttyACM5");
  AddPort("ttyACM2", "usb1/1-1/1-1:1.0");
  AddByPath("pci-0000:00:14.0-usb-0:1:1.0", "ttyACM2");
  AddPort("ttyACM7", "usb1/1-2/1-2:1.0");
  AddByPath("pci-0000:00:14.0-usb-0:2:1.0", "ttyACM7");
  AddPort("ttyACM9", "usb1/1-4/1-4:1.0");  // no by-path link: udev is not running
  AddProcess(31, "ModemManager", Dev("ttyACM7"));
  errors = {{Dev("ttyACM7"), EBUSY}};
  const std::string old = "[Connection]\nTOTDEV=1\nDEV1=/dev/ttyACM0\n";
  std::ofstream(root / "start" / "ConfigTqz.ini") << old;

  ASSERT_EQ(Run("--write-config"), 0) << err.str();
  EXPECT_EQ(ReadFile(root / "start" / "ConfigTqz.ini.bak"), old);
  auto nothing = Enumerator([](const std::string&) { return ENOENT; });
  const ConnectionSettings s = ReadConnectionSettings(Start(), nothing);
  EXPECT_EQ(s.ChannelCount, 3);
  EXPECT_EQ(std::vector<std::string>(s.Ports.begin(), s.Ports.begin() + 4),
            (std::vector<std::string>{ByPath("pci-0000:00:14.0-usb-0:1:1.0"), ByPath("pci-0000:00:14.0-usb-0:3:1.0"),
                                      Dev("ttyACM9"), ""}));
  EXPECT_NE(err.str().find(Dev("ttyACM7") + " left out: busy, pid 31 (ModemManager)"), std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find(Dev("ttyACM9") + " has no /dev/serial/by-path link"), std::string::npos);

  // The same ports again: the file and the copy of the old one stay.
  const std::string written = Config();
  EXPECT_EQ(Run("--write-config"), 0);
  EXPECT_NE(out.str().find("left as it is"), std::string::npos) << out.str();
  EXPECT_EQ(Config(), written);
  EXPECT_EQ(ReadFile(root / "start" / "ConfigTqz.ini.bak"), old);
  // What --list-ports then shows are the file's channels, the same ones.
  EXPECT_EQ(Run("--list-ports"), 0);
  EXPECT_EQ(OutLines()[0].substr(0, 10), "Channel 1\t");
  EXPECT_EQ(OutLines()[2].substr(0, 10), "Channel 2\t");
}

TEST_F(PortCommandTest, WriteConfigThatFailsLeavesTheOldFileWhole) {
  AddPort("ttyACM0", "usb1/1-1/1-1:1.0");
  const std::string old = "[Connection]\nDEV1=/dev/ttyACM4\n";
  std::ofstream(root / "start" / "ConfigTqz.ini") << old;
  // The temporary file cannot be made: a folder stands in its way.
  fs::create_directory(root / "start" / ("ConfigTqz.ini.tmp" + std::to_string(::getpid())));
  EXPECT_EQ(Run("--write-config"), 64);
  EXPECT_NE(err.str().find("ConfigTqz.ini"), std::string::npos) << err.str();
  EXPECT_EQ(Config(), old);
}

// Every name a port can go by leads to one device; unrelated names do not.
TEST(PortIdentity, NamesOfOneDeviceAreFoundAsTheEarlierChannel) {
  const fs::path dir = fs::temp_directory_path() / ("korvel-identity-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "by-path");
  std::ofstream(dir / "ttyACM0").flush();
  std::ofstream(dir / "ttyACM1").flush();
  fs::create_symlink("../ttyACM0", dir / "by-path" / "usb-0:1:1.0");
  fs::create_symlink("../ttyACM0", dir / "by-path" / "usbv2-0:1:1.0");
  const std::string d = dir.string();
  const std::vector<std::string> ports = {d + "/ttyACM0",      d + "/by-path/usb-0:1:1.0", d + "/ttyACM1",
                                          d + "/by-path/usbv2-0:1:1.0", "",                d + "/by-path/../ttyACM1",
                                          "/no/such/tty",      "/no/such/tty"};
  const std::vector<std::optional<int>> expected = {std::nullopt, 0, std::nullopt, 0, std::nullopt, 2, std::nullopt, 6};
  EXPECT_EQ(EarlierPortsOnSameDevice(ports), expected);

  // A node of its own for a device (mknod) is still that device.
  if (::mknod((dir / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
    EXPECT_TRUE(SameDevice(IdentifyPort("/dev/null"), IdentifyPort((dir / "null").string())));
  }
  EXPECT_FALSE(SameDevice(IdentifyPort("/dev/null"), IdentifyPort("/dev/zero")));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korvel
