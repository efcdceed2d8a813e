#pragma once
#include <functional>
#include <string>
#include <vector>

namespace korvel {

// Lists the USB virtual serial ports (ttyACM*, and ttyUSB* with a USB parent)
// in the order of their physical USB path — bus, hub ports, configuration,
// interface — so that channel k stays the same socket of the same hub across
// re-plugging and reboots, where the ttyACM numbers shuffle. Ports whose path
// cannot be read follow in natural name order (ttyACM2 before ttyACM10).
// Only ports that open exclusively are kept, at most ten.
// A USB serial port as the system shows it, before anybody opened it.
struct UsbSerialPort {
  std::string Name;     // ttyACM0
  std::string Device;   // its node under the dev root
  std::string UsbPath;  // the USB interface, "1-2.3:1.0"; empty without one
};

class PortEnumerator {
 public:
  // Tries to open a port exclusively; returns 0 or the errno of the failure.
  using Probe = std::function<int(const std::string& devPath)>;
  // Told once per enumerator, the first time a port exists but may not be
  // opened for lack of permission.
  using Notice = std::function<void(const std::string& text)>;

  // sysRoot is the class folder of ttys (/sys/class/tty), devRoot the
  // folder of device nodes (/dev); tests hand in a fake tree.
  explicit PortEnumerator(std::string sysRoot = "/sys/class/tty", std::string devRoot = "/dev",
                          Probe probe = {});

  void SetPermissionNotice(Notice n) { notice_ = std::move(n); }
  std::vector<std::string> Enumerate();
  // Every USB serial port in channel order, whether it opens or not.
  std::vector<UsbSerialPort> Scan() const;
  int ProbePort(const std::string& devPath) const { return probe_(devPath); }

  const std::string& SysRoot() const { return sysRoot_; }
  const std::string& DevRoot() const { return devRoot_; }

 private:
  std::string sysRoot_, devRoot_;
  Probe probe_;
  Notice notice_;
  bool permissionNoticeGiven_ = false;
};

// The most ports the enumeration hands out: one per channel.
inline constexpr size_t kMaxEnumeratedPorts = 10;

// The physical USB path of a serial port, as its USB interface folder is
// named in sysfs ("1-2.3:1.0": bus 1, hub port 2, port 3, configuration 1,
// interface 0). The port may be a link (/dev/serial/by-path/...). Empty for
// a port without a USB parent (a pseudo-terminal) or one that is gone.
std::string UsbPathOfPort(const std::string& port, const std::string& sysRoot = "/sys/class/tty");

// Sort key of a USB interface folder name such as "1-2.3:1.0"; empty when
// the name is not one.
std::vector<int> UsbPathKey(const std::string& interfaceName);
// Natural order of names: digits compare by value.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace korvel
