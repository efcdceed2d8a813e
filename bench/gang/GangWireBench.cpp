// Auto of a large image on every channel at once against units paced at the
// real line rate (korvelsim --wire-rate in a child process, so their CPU is
// not the host's). Compares the wall time with what the line allows for the
// bytes that crossed, stop-and-wait, and reports the host's CPU and memory.
//
//   bench_gang_wire [--units N] [--chip NAME] [--kb K]
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "e2e/HeadlessHost.h"
#include "e2e/SimProcess.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr double kWireByteUs = 11.0;

// What crossed one channel's line while the run was measured.
struct Tally {
  uint64_t Sent = 0;
  uint64_t Received = 0;
  uint64_t Requests = 0;
  SteadyClock::time_point First{}, Last{};
  bool Counting = false;
  // Where the time beyond the line's own goes, per request (µs): from the
  // host's write to the first reply byte on the UI thread, less the line
  // time of request and reply (the host's threads, the pseudo-terminals and
  // the units), and
  // from the last reply byte to the next request (the host).
  std::vector<double> UnitSide, HostSide;
  SteadyClock::time_point SentAt{};
  uint64_t PairSent = 0, PairReceived = 0;
};

double Us(SteadyClock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// The real link with a byte count in both directions.
class CountingLink : public Link {
 public:
  CountingLink(std::unique_ptr<Link> inner, Tally& tally) : inner_(std::move(inner)), tally_(tally) {
    LinkEvents& e = inner_->Events;
    e.OnReceiveData = [this](const uint8_t* d, size_t n) {
      if (tally_.Counting) {
        const auto now = SteadyClock::now();
        if (tally_.PairReceived == 0 && tally_.PairSent > 0)
          tally_.UnitSide.push_back(Us(now - tally_.SentAt) - kWireByteUs * double(tally_.PairSent));
        tally_.Received += n;
        tally_.PairReceived += n;
        tally_.Last = now;
      }
      if (Events.OnReceiveData) Events.OnReceiveData(d, n);
    };
    e.OnReceiveError = [this](uint32_t m) { if (Events.OnReceiveError) Events.OnReceiveError(m); };
    e.OnRequestHangup = [this] { if (Events.OnRequestHangup) Events.OnRequestHangup(); };
    e.OnModemStateChange = [this](uint32_t m) { if (Events.OnModemStateChange) Events.OnModemStateChange(m); };
    e.OnSendDataEmpty = [this] { if (Events.OnSendDataEmpty) Events.OnSendDataEmpty(); };
  }
  void SetCommName(const std::string& name) override { inner_->SetCommName(name); }
  std::string CommName() const override { return inner_->CommName(); }
  void OpenPort() override { inner_->OpenPort(); }
  void ClosePort() override { inner_->ClosePort(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  bool SendData(const uint8_t* data, size_t length) override {
    if (tally_.Counting) {
      const auto now = SteadyClock::now();
      if (tally_.Requests++ == 0) tally_.First = now;
      if (tally_.PairReceived > 0) {
        // The unit sends a reply when its last byte would have crossed.
        tally_.UnitSide.back() -= kWireByteUs * double(tally_.PairReceived);
        tally_.HostSide.push_back(Us(now - tally_.Last));
      }
      tally_.Sent += length;
      tally_.SentAt = now;
      tally_.PairSent = length;
      tally_.PairReceived = 0;
    }
    return inner_->SendData(data, length);
  }

 private:
  std::unique_ptr<Link> inner_;
  Tally& tally_;
};

// Median, 90th percentile and largest of all channels' figures.
std::string Spread(std::vector<double> v) {
  if (v.empty()) return "-";
  std::sort(v.begin(), v.end());
  char text[96];
  std::snprintf(text, sizeof text, "median %.0f us, p90 %.0f us, max %.0f us", v[v.size() / 2],
                v[v.size() * 9 / 10], v.back());
  return text;
}

double CpuSeconds(const rusage& u) {
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int Main(int argc, char** argv) {
  int units = kChannelCount;
  std::string chip = "STM32F103xG";
  size_t kb = 1024;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--units") units = std::atoi(argv[i + 1]);
    else if (a == "--chip") chip = argv[i + 1];
    else if (a == "--kb") kb = std::strtoul(argv[i + 1], nullptr, 10);
    else return std::fprintf(stderr, "usage: %s [--units N] [--chip NAME] [--kb K]\n", argv[0]), 2;
  }
  if (units < 1 || units > kChannelCount) return std::fprintf(stderr, "--units: 1..10\n"), 2;

  ScratchDir simDir;
  SimProcess sim(KORVELSIM_PATH, units, simDir.Path(), {"--wire-rate"});
  if (static_cast<int>(sim.Ports.size()) != units) return std::fprintf(stderr, "korvelsim did not start\n"), 1;

  std::array<Tally, kChannelCount> tallies;
  HeadlessHost gang(sim.Ports, [&tallies](int c, UiDispatcher& ui) -> std::unique_ptr<Link> {
    return std::make_unique<CountingLink>(std::make_unique<TComm>(ui), tallies[c]);
  });
  std::mt19937 rng(11);
  std::vector<uint8_t> image(kb * 1024);
  for (auto& b : image) b = static_cast<uint8_t>(rng());
  const std::string file = gang.dir / "image.hex";
  if (!WriteHexFile(file, {{0x08000000, image}})) return std::fprintf(stderr, "cannot write %s\n", file.c_str()), 1;
  Host& host = *gang.host;
  if (auto err = host.SelectChipByName(chip)) return std::fprintf(stderr, "%s\n", err->c_str()), 1;
  if (auto err = host.LoadObjectFileByName(file, true)) return std::fprintf(stderr, "%s\n", err->c_str()), 1;

  SteadyClock::time_point t0, t1;
  rusage u0{}, u1{};
  int started = 0;
  const size_t met = gang.Run({{[&] { return gang.Connected() == units; },
                                [&] {
                                  for (auto& t : tallies) t.Counting = true;
                                  ::getrusage(RUSAGE_SELF, &u0);
                                  t0 = SteadyClock::now();
                                  started = host.Operations().Auto();
                                }},
                               {[&] { return !gang.AnyBusy(); },
                                [&] {
                                  t1 = SteadyClock::now();
                                  ::getrusage(RUSAGE_SELF, &u1);
                                }}},
                              600s);
  if (met != 2) return std::fprintf(stderr, "the run did not finish (%zu stages)\n%s", met, gang.LogText().c_str()), 1;

  const double wall = std::chrono::duration<double>(t1 - t0).count();
  double bound = 0;
  std::printf("%-8s %10s %10s %8s %9s %9s %10s\n", "channel", "sent", "received", "requests", "bound s",
              "active s", "extra/req");
  for (int c = 0; c < units; ++c) {
    const Tally& t = tallies[c];
    const double b = double(t.Sent + t.Received) * kWireByteUs / 1e6;
    const double active = std::chrono::duration<double>(t.Last - t.First).count();
    bound = std::max(bound, b);
    std::printf("%-8d %10llu %10llu %8llu %9.3f %9.3f %8.0fus\n", c + 1, (unsigned long long)t.Sent,
                (unsigned long long)t.Received, (unsigned long long)t.Requests, b, active,
                t.Requests ? (active - b) * 1e6 / double(t.Requests) : 0.0);
  }
  std::vector<double> unitSide, hostSide;
  for (const Tally& t : tallies) {
    unitSide.insert(unitSide.end(), t.UnitSide.begin(), t.UnitSide.end());
    hostSide.insert(hostSide.end(), t.HostSide.begin(), t.HostSide.end());
  }
  std::printf("\nper request, write to first reply byte beyond both frames' line time: %s\n",
              Spread(unitSide).c_str());
  std::printf("per request, last reply byte to the next write: %s\n", Spread(hostSide).c_str());
  const double cpu = CpuSeconds(u1) - CpuSeconds(u0);
  const int ok = gang.LinesWith("Programming Success!");
  std::printf("\nchannels started %d, succeeded %d\n", started, ok);
  std::printf("wall %.3f s, wire bound %.3f s: wall/bound %.4f (target <= 1.05)\n", wall, bound, wall / bound);
  std::printf("host CPU %.3f s: %.2f %% of one core (target < 10 %%)\n", cpu, 100.0 * cpu / wall);
  std::printf("host peak memory %.1f MB (target < 150 MB)\n", double(u1.ru_maxrss) / 1024.0);
  return ok == units ? 0 : 1;
}

}  // namespace
}  // namespace korvel::e2e

int main(int argc, char** argv) { return korvel::e2e::Main(argc, argv); }
