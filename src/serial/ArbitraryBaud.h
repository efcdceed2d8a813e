#pragma once
#include <cstdint>

namespace korvel {

// Sets a speed that has no Bnnn constant through the kernel's termios2
// interface (BOTHER). Kept apart: its header cannot share a file with
// <termios.h>. Returns 0 or an errno value.
int SetArbitraryBaud(int fd, uint32_t baud);
// The output speed the driver holds, 0 when it cannot be read.
uint32_t GetArbitraryBaud(int fd);

}  // namespace korvel
