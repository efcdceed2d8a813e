#pragma once
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::testing {

// A pseudo-terminal whose slave path a link opens; the test plays the far
// side on the master.
struct PtyPair {
  int Master = -1;
  std::string SlavePath;

  PtyPair() {
    int slave = -1;
    char name[128];
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&Master, &slave, name, &raw, nullptr) != 0) return;
    SlavePath = name;
    ::close(slave);
  }
  ~PtyPair() { CloseMaster(); }
  void CloseMaster() {
    if (Master >= 0) ::close(Master);
    Master = -1;
  }

  void Write(const std::vector<uint8_t>& bytes) const {
    size_t off = 0;
    while (off < bytes.size()) {
      ssize_t n = ::write(Master, bytes.data() + off, bytes.size() - off);
      if (n > 0) off += static_cast<size_t>(n);
    }
  }

  // Reads until want bytes arrived or the deadline passed; chunk limits
  // each read so the writer sees a slow reader.
  std::vector<uint8_t> Read(size_t want, std::chrono::milliseconds deadline,
                            size_t chunk = 65536) const {
    std::vector<uint8_t> out;
    auto end = std::chrono::steady_clock::now() + deadline;
    std::vector<uint8_t> buf(chunk);
    while (out.size() < want && std::chrono::steady_clock::now() < end) {
      pollfd p{Master, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
      ssize_t n = ::read(Master, buf.data(), std::min(chunk, want - out.size()));
      if (n > 0) out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
  }
};

}  // namespace korvel::testing
