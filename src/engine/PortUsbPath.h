#pragma once
#include <string>

namespace korvel {

// The physical USB path of a serial port, as its USB interface folder is
// named in sysfs ("1-2.3:1.0": bus 1, hub port 2, port 3, configuration 1,
// interface 0). The port may be a link (/dev/serial/by-path/...). Empty for
// a port without a USB parent (a pseudo-terminal) or one that is gone.
std::string UsbPathOfPort(const std::string& port, const std::string& sysRoot = "/sys/class/tty");

}  // namespace korvel
