#pragma once
#include <cstdint>
#include <string>

namespace korvel {

// The OS side of one serial device: opening it for the programmer link and
// putting the line into the programmer's settings.

struct OpenResult {
  int Fd = -1;
  int Errno = 0;  // why the open failed (EACCES, EBUSY, ENOENT ...)
  std::string Error;
};

// Opens path read-write, non-blocking, without becoming its controlling
// terminal, exclusively: TIOCEXCL keeps other users out, and an advisory
// lock does the same against other programs running as root, whom TIOCEXCL
// lets through.
OpenResult OpenSerialDevice(const std::string& path);

// Whether path could be opened exclusively right now, without keeping it:
// 0, or the errno (EBUSY when another program holds it exclusively). Leaves
// no exclusive flag or lock behind, so the port is as free afterwards as it
// was before.
int ProbeSerialDevice(const std::string& path);

// Raw, 8 data bits, no parity, 2 stop bits, no flow control, DTR and RTS
// cleared, the given speed (read back afterwards), low latency where the
// driver has a latency timer. Returns an empty text on success, else why.
std::string ConfigureProgrammerLine(int fd, uint32_t baud);

// Discards unsent output first: close() of a tty would otherwise wait up
// to 30 s for it to drain.
void CloseSerialDevice(int fd);

// The driver's line-error counters; false when it keeps none
// (pseudo-terminals). LineErrorMask turns their growth into error flags.
struct LineErrorCounters {
  uint32_t Frame = 0, Overrun = 0, Parity = 0, Break = 0, BufOverrun = 0;
};
bool ReadLineErrorCounters(int fd, LineErrorCounters& out);

// Error flags as the link reports them in OnReceiveError.
inline constexpr uint32_t kLineErrRxOver = 0x01;
inline constexpr uint32_t kLineErrOverrun = 0x02;
inline constexpr uint32_t kLineErrParity = 0x04;
inline constexpr uint32_t kLineErrFrame = 0x08;
inline constexpr uint32_t kLineErrBreak = 0x10;
uint32_t LineErrorMask(const LineErrorCounters& before, const LineErrorCounters& now);

}  // namespace korvel
