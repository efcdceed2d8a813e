// Ten links busy at once: each sends a 4106-byte frame through TComm, the far
// side (a child process on the pty masters) answers with 10 bytes as soon as
// the frame is in, and the host sends the next frame from OnReceiveData.
// Reports the time from the far side's write of the reply to OnReceiveData
// on the UI thread (median, p99), and host CPU time per MB moved.
//
//   bench_link_roundtrip [rounds per link, default 2000]
#include <poll.h>
#include <pty.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/HeadlessLoop.h"
#include "serial/TComm.h"

namespace {

constexpr int kLinks = 10;
constexpr size_t kFrame = 4106;
constexpr size_t kReply = 10;

int64_t NowNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double CpuSeconds() {
  rusage u {};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The far side: answer every complete frame at once, noting when.
[[noreturn]] void FarSide(const std::vector<int>& masters, std::atomic<int64_t>* written) {
  std::vector<size_t> got(kLinks, 0);
  std::vector<uint8_t> buf(65536);
  const uint8_t reply[kReply] = {0xC0, 1, 2, 3, 4, 5, 6, 7, 8, 0xC0};
  std::vector<pollfd> fds;
  for (int m : masters) fds.push_back({m, POLLIN, 0});
  for (;;) {
    if (poll(fds.data(), fds.size(), 1000) <= 0) continue;
    for (int k = 0; k < kLinks; ++k) {
      if (fds[k].revents & (POLLHUP | POLLERR)) _exit(0);
      if (!(fds[k].revents & POLLIN)) continue;
      ssize_t n = read(masters[k], buf.data(), buf.size());
      if (n <= 0) continue;
      got[k] += size_t(n);
      if (got[k] >= kFrame) {
        got[k] -= kFrame;
        written[k].store(NowNs(), std::memory_order_release);
        [[maybe_unused]] ssize_t w = write(masters[k], reply, kReply);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
  std::vector<int> masters(kLinks), slaves(kLinks);
  std::vector<std::string> paths;
  for (int k = 0; k < kLinks; ++k) {
    int slave;
    char name[128];
    termios raw {};
    cfmakeraw(&raw);
    if (openpty(&masters[k], &slave, name, &raw, nullptr) != 0) {
      std::perror("openpty");
      return 1;
    }
    // The far side holds a slave open, so a master never reads as hung up
    // before the host has opened its end.
    slaves[k] = slave;
    paths.push_back(name);
  }
  auto* written = static_cast<std::atomic<int64_t>*>(mmap(nullptr, sizeof(std::atomic<int64_t>) * kLinks,
                                                          PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  for (int k = 0; k < kLinks; ++k) new (&written[k]) std::atomic<int64_t>(0);
  const pid_t child = fork();
  if (child == 0) FarSide(masters, written);
  for (int s : slaves) close(s);

  korvel::HeadlessLoop loop;
  std::vector<std::unique_ptr<korvel::TComm>> links;
  std::vector<int> left(kLinks, rounds);
  std::vector<size_t> pending(kLinks, 0);
  std::vector<int64_t> latencies;
  latencies.reserve(size_t(rounds) * kLinks);
  std::vector<uint8_t> frame(kFrame, 0x5A);
  int running = kLinks;
  for (int k = 0; k < kLinks; ++k) {
    auto l = std::make_unique<korvel::TComm>(loop);
    l->SetCommName(paths[k]);
    l->Events.OnReceiveData = [&, k](const uint8_t*, size_t n) {
      pending[k] += n;
      if (pending[k] < kReply) return;
      pending[k] -= kReply;
      latencies.push_back(NowNs() - written[k].load(std::memory_order_acquire));
      if (--left[k] > 0) {
        links[k]->SendData(frame.data(), frame.size());
      } else if (--running == 0) {
        loop.Quit();
      }
    };
    links.push_back(std::move(l));
  }
  const double cpu0 = CpuSeconds();
  const int64_t t0 = NowNs();
  for (auto& l : links) {
    l->OpenPort();
    if (!l->IsOpen()) {
      std::fprintf(stderr, "open failed: %s\n", l->LastOpenError().c_str());
      return 1;
    }
  }
  for (auto& l : links) l->SendData(frame.data(), frame.size());
  loop.Run();
  const double wall = (NowNs() - t0) / 1e9;
  const double cpu = CpuSeconds() - cpu0;
  for (auto& l : links) l->ClosePort();
  for (int m : masters) close(m);
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);

  std::sort(latencies.begin(), latencies.end());
  const double mb = double(rounds) * kLinks * (kFrame + kReply) / 1e6;
  const auto pct = [&](double p) { return latencies[size_t(p * (latencies.size() - 1))] / 1e6; };
  std::printf("links %d, rounds per link %d, %.1f MB in %.2f s (%.2f MB/s)\n", kLinks, rounds, mb, wall, mb / wall);
  std::printf("reply latency: median %.3f ms, p99 %.3f ms, max %.3f ms\n", pct(0.5), pct(0.99), pct(1.0));
  std::printf("host CPU: %.3f s, %.2f ms per MB (%.2f %% of one core per MB/s)\n", cpu, cpu * 1000 / mb,
              cpu * 100 / mb);
  return 0;
}
