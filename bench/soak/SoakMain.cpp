// Fault soak: ten simulated units on pseudo-terminals, rounds of Auto with
// a fault drawn per unit and round. After every round each channel's
// recorded outcome must be the one its fault gives, no channel may be left
// busy, the units without a fault must hold exactly the image, and the
// heap must not grow from round to round. Prints a table; exits 1 on any
// mismatch, 64 on a bad command line.
//
//   soak [--rounds N] [--seed S] [--kb K] [--only FAULT] [--verbose]
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>

#include "SoakFaults.h"
#include "e2e/HeadlessHost.h"
#include "sim/PtyUnitServer.h"

namespace korvel::soak {
namespace {

using namespace std::chrono_literals;

struct Options {
  int Rounds = 200;
  unsigned Seed = 1;
  int Kb = 16;
  std::string Only;
  bool Verbose = false;
};

struct Row {
  int Drawn = 0;
  std::map<ChannelResult, int> Results;
  int Mismatches = 0;
};

const char* ResultName(ChannelResult r) {
  switch (r) {
    case ChannelResult::None: return "None";
    case ChannelResult::Running: return "Running";
    case ChannelResult::Success: return "Success";
    case ChannelResult::Failure: return "Failure";
    case ChannelResult::Timeout: return "Timeout";
  }
  return "?";
}

size_t HeapInUse() { return mallinfo2().uordblks; }

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--verbose") {
      o.Verbose = true;
    } else if (a == "--rounds" && hasValue) {
      o.Rounds = std::atoi(argv[++i]);
    } else if (a == "--seed" && hasValue) {
      o.Seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (a == "--kb" && hasValue) {
      o.Kb = std::atoi(argv[++i]);
    } else if (a == "--only" && hasValue) {
      o.Only = argv[++i];
    } else {
      std::fprintf(stderr, "soak: unknown option or missing value: %s\n", a.c_str());
      return false;
    }
  }
  if (o.Rounds < 1 || o.Kb < 1 || o.Kb > 128) {
    std::fprintf(stderr, "soak: --rounds must be at least 1 and --kb 1..128\n");
    return false;
  }
  if (!o.Only.empty()) {
    const auto& all = SoakFaults();
    if (std::none_of(all.begin(), all.end(), [&](const SoakFault& f) { return f.Name == o.Only; })) {
      std::fprintf(stderr, "soak: no fault named %s\n", o.Only.c_str());
      return false;
    }
  }
  return true;
}

UnitFaults FaultsOf(const SoakFault& f) {
  if (f.Item.empty()) return {};
  std::string error;
  auto parsed = ParseUnitFaults({"1:" + f.Item}, error);
  if (!parsed) {
    std::fprintf(stderr, "soak: bad fault item %s: %s\n", f.Item.c_str(), error.c_str());
    std::exit(70);
  }
  return (*parsed)[1];
}

int Run(const Options& o) {
  const auto& faults = SoakFaults();
  std::mt19937 rng(o.Seed);
  std::vector<uint8_t> image(static_cast<size_t>(o.Kb) * 1024);
  for (auto& b : image) b = static_cast<uint8_t>(rng());

  PtyUnitServer server(kChannelCount);
  std::string error;
  if (!server.Start(error)) {
    std::fprintf(stderr, "soak: %s\n", error.c_str());
    return 70;
  }
  e2e::HeadlessHost gang(server.SlavePaths());
  Host& host = *gang.host;
  const std::string file = gang.dir / "image.hex";
  if (!e2e::WriteHexFile(file, {{0x08000000, image}})) return 70;
  if (auto err = host.SelectChipByName("STM32F103xB")) return std::fprintf(stderr, "soak: %s\n", err->c_str()), 70;
  if (auto err = host.LoadObjectFileByName(file, true)) return std::fprintf(stderr, "soak: %s\n", err->c_str()), 70;

  std::map<std::string, Row> rows;
  std::vector<size_t> heap;
  int mismatches = 0;
  // The host's loop runs once for the whole soak (it cannot be restarted),
  // so the rounds are phases driven from its 10 ms tick.
  enum class Phase { Setup, Search, Running };
  Phase phase = Phase::Setup;
  int round = 0;
  int started = 0;
  std::vector<size_t> drawn(kChannelCount, 0);
  auto phaseStart = std::chrono::steady_clock::now();
  auto expectedGone = [&] {
    for (int c = 0; c < kChannelCount; ++c)
      if (faults[drawn[c]].Disconnects && gang.App().Channels[c].Connected) return false;
    return true;
  };
  auto finishRound = [&](const char* problem) {
    if (problem) {
      std::fprintf(stderr, "round %d: %s (connected %d, started %d)\n", round, problem, gang.Connected(), started);
      if (o.Verbose) std::fprintf(stderr, "%s", gang.LogText().c_str());
      ++mismatches;
    }
    for (int c = 0; c < kChannelCount; ++c) {
      const SoakFault& f = faults[drawn[c]];
      const ChannelState& ch = gang.App().Channels[c];
      Row& row = rows[f.Name];
      ++row.Drawn;
      ++row.Results[ch.Outcome.Result];
      std::string wrong;
      if (ch.Busy) wrong = "left busy";
      else if (ch.Outcome.Result != f.Expected)
        wrong = std::string("ended ") + ResultName(ch.Outcome.Result) + ", not " + ResultName(f.Expected);
      else if (!f.Text.empty() && ch.Outcome.Text.find(f.Text) == std::string::npos)
        wrong = "said \"" + ch.Outcome.Text + "\", not \"" + f.Text + "\"";
      else if (f.Item.empty()) {
        const bool holds = server.WithUnit(c, [&](SimUnit& u) {
          const auto& flash = u.Target().Flash;
          return flash.size() >= image.size() + 1024 && std::equal(image.begin(), image.end(), flash.begin()) &&
                 std::all_of(flash.begin() + static_cast<ptrdiff_t>(image.size()),
                             flash.begin() + static_cast<ptrdiff_t>(image.size() + 1024),
                             [](uint8_t b) { return b == 0xFF; });
        });
        if (!holds) wrong = "the chip does not hold exactly the image";
      }
      if (!wrong.empty()) {
        ++row.Mismatches;
        ++mismatches;
        std::fprintf(stderr, "round %d, channel %d, fault %s: %s\n", round, c + 1, f.Name.c_str(), wrong.c_str());
      } else if (o.Verbose) {
        std::fprintf(stderr, "round %d, channel %d, fault %s: %s \"%s\" (code %u)\n", round, c + 1,
                     f.Name.c_str(), ResultName(ch.Outcome.Result), ch.Outcome.Text.c_str(), ch.Outcome.Code);
      }
    }
    // The operator clears the information log between batches; what stays
    // in memory after that must not grow.
    host.App.Log.Clear();
    heap.push_back(HeapInUse());
    phase = Phase::Setup;
  };
  auto drive = [&]() -> bool {
    const auto now = std::chrono::steady_clock::now();
    switch (phase) {
      case Phase::Setup: {
        if (round == o.Rounds) return true;
        ++round;
        const std::vector<size_t> previous = drawn;
        for (int c = 0; c < kChannelCount; ++c) {
          drawn[c] = DrawFault(rng);
          if (!o.Only.empty() && drawn[c] != 0)
            for (size_t i = 0; i < faults.size(); ++i)
              if (faults[i].Name == o.Only) drawn[c] = i;
          // A fresh unit with this round's fault (and a blank chip),
          // plugged in again when the last round's fault pulled it out.
          const UnitFaults uf = FaultsOf(faults[drawn[c]]);
          server.WithUnit(c, [&](SimUnit& u) {
            u = SimUnit(uf);
            return 0;
          });
          if (faults[previous[c]].Disconnects) server.Replug(c);
        }
        host.Channels().UseExplicitPorts(server.SlavePaths());
        host.Channels().FindDevices();
        started = 0;
        phase = Phase::Search;
        phaseStart = now;
        return false;
      }
      case Phase::Search:
        if (gang.Connected() == kChannelCount) {
          started = host.Operations().Auto();
          phase = Phase::Running;
          phaseStart = now;
          if (started != kChannelCount) finishRound("Auto did not start on every channel");
        } else if (now - phaseStart > 10s) {
          finishRound("the units were not all found");
        }
        return false;
      case Phase::Running:
        if (!gang.AnyBusy() && expectedGone()) finishRound(nullptr);
        else if (now - phaseStart > 90s) finishRound("the channels did not finish");
        return false;
    }
    return false;
  };
  const size_t met = gang.Run({{drive, {}}}, std::chrono::hours(24));
  if (met != 1) ++mismatches;

  // The heap after the first rounds (caches, first-use allocations) against
  // the last round: a leak of even a few hundred bytes per channel and round
  // shows over the rounds.
  const size_t base = heap[std::min<size_t>(heap.size() - 1, std::max<size_t>(1, heap.size() / 4))];
  const size_t last = heap.back();
  const long growth = static_cast<long>(last) - static_cast<long>(base);
  const long allowed = 256 * 1024;
  const bool memoryOk = growth <= allowed;
  if (!memoryOk) ++mismatches;

  std::printf("%-10s %7s %8s %8s %8s %10s\n", "fault", "drawn", "Success", "Failure", "Timeout", "mismatches");
  for (const SoakFault& f : faults) {
    const Row& r = rows[f.Name];
    auto n = [&](ChannelResult x) {
      auto it = r.Results.find(x);
      return it == r.Results.end() ? 0 : it->second;
    };
    std::printf("%-10s %7d %8d %8d %8d %10d\n", f.Name.c_str(), r.Drawn, n(ChannelResult::Success),
                n(ChannelResult::Failure), n(ChannelResult::Timeout), r.Mismatches);
  }
  std::printf("rounds %d, seed %u, image %d KB; heap in use %zu -> %zu bytes (%+ld, allowed %+ld)%s\n", o.Rounds,
              o.Seed, o.Kb, base, last, growth, allowed, memoryOk ? "" : " GROWS");
  std::printf("%d mismatches\n", mismatches);
  return mismatches == 0 ? 0 : 1;
}

}  // namespace
}  // namespace korvel::soak

int main(int argc, char** argv) {
  korvel::soak::Options o;
  if (!korvel::soak::ParseOptions(argc, argv, o)) return 64;
  return korvel::soak::Run(o);
}
