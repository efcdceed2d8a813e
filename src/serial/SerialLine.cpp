#include "serial/SerialLine.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "serial/ArbitraryBaud.h"

namespace korvel {

namespace {

speed_t SpeedConstant(uint32_t baud) {
  switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 2000000: return B2000000;
    default: return 0;
  }
}

uint32_t SpeedValue(speed_t s) {
  switch (s) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    case B460800: return 460800;
    case B921600: return 921600;
    case B1000000: return 1000000;
    case B2000000: return 2000000;
    default: return 0;
  }
}

}  // namespace

OpenResult OpenSerialDevice(const std::string& path) {
  OpenResult r;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    r.Errno = errno;
    r.Error = path + ": " + std::strerror(errno);
    return r;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
    ::close(fd);
    r.Errno = ENOTTY;
    r.Error = path + ": not a character device";
    return r;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    r.Errno = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    r.Error = path + ": in use by another program";
    return r;
  }
  if (ioctl(fd, TIOCEXCL) != 0) {
    r.Errno = errno;
    ::close(fd);
    r.Error = path + ": " + std::strerror(r.Errno);
    return r;
  }
  r.Fd = fd;
  return r;
}

int ProbeSerialDevice(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  int result = 0;
  struct stat st {};
  int exclusive = 0;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
    result = ENOTTY;
  } else if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
    // Someone holds it with TIOCEXCL; root's open gets through that flag,
    // so the open alone proves nothing.
    result = EBUSY;
  } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    result = errno == EWOULDBLOCK ? EBUSY : errno;
  }
  // Setting TIOCEXCL here would outlive this descriptor for as long as
  // anybody else keeps the tty open; the lock goes with the close.
  ::close(fd);
  return result;
}

std::string ConfigureProgrammerLine(int fd, uint32_t baud) {
  termios t {};
  if (tcgetattr(fd, &t) != 0) return std::string("not a serial line: ") + std::strerror(errno);
  cfmakeraw(&t);
  t.c_cflag &= ~(CSIZE | PARENB | CRTSCTS | HUPCL);
  t.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  const speed_t constant = SpeedConstant(baud);
  if (constant != 0) cfsetspeed(&t, constant);
  if (tcsetattr(fd, TCSANOW, &t) != 0) return std::string("line settings refused: ") + std::strerror(errno);
  if (constant == 0) {
    if (int e = SetArbitraryBaud(fd, baud)) return std::string("speed refused: ") + std::strerror(e);
  }
  // Read the speed back: some adapters accept the call and keep their own.
  termios back {};
  tcgetattr(fd, &back);
  uint32_t actual = constant != 0 ? SpeedValue(cfgetospeed(&back)) : GetArbitraryBaud(fd);
  if (actual != baud) return "the port refuses " + std::to_string(baud) + " baud";

  // Pseudo-terminals have no modem lines or serial info; that is fine.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ioctl(fd, TIOCMBIC, &lines);
  // USB adapters with a latency timer hold bytes 16 ms by default, which
  // costs seconds per megabyte when every block waits for its reply.
  serial_struct ss {};
  if (ioctl(fd, TIOCGSERIAL, &ss) == 0 && !(ss.flags & ASYNC_LOW_LATENCY)) {
    ss.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &ss);
  }
  tcflush(fd, TCIOFLUSH);
  return {};
}

void CloseSerialDevice(int fd) {
  if (fd < 0) return;
  tcflush(fd, TCIOFLUSH);
  // The exclusive flag outlives this descriptor while another one (a
  // simulator's, say) keeps the tty open; give it back.
  ioctl(fd, TIOCNXCL);
  ::close(fd);
}

bool ReadLineErrorCounters(int fd, LineErrorCounters& out) {
  serial_icounter_struct ic {};
  if (ioctl(fd, TIOCGICOUNT, &ic) != 0) return false;
  out.Frame = static_cast<uint32_t>(ic.frame);
  out.Overrun = static_cast<uint32_t>(ic.overrun);
  out.Parity = static_cast<uint32_t>(ic.parity);
  out.Break = static_cast<uint32_t>(ic.brk);
  out.BufOverrun = static_cast<uint32_t>(ic.buf_overrun);
  return true;
}

uint32_t LineErrorMask(const LineErrorCounters& a, const LineErrorCounters& b) {
  uint32_t mask = 0;
  if (b.BufOverrun != a.BufOverrun) mask |= kLineErrRxOver;
  if (b.Overrun != a.Overrun) mask |= kLineErrOverrun;
  if (b.Parity != a.Parity) mask |= kLineErrParity;
  if (b.Frame != a.Frame) mask |= kLineErrFrame;
  if (b.Break != a.Break) mask |= kLineErrBreak;
  return mask;
}

}  // namespace korvel
