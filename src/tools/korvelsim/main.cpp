// korvelsim: simulated programmer units on pseudo-terminals, for running the
// host without hardware. Writes DIR/ConfigTqz.ini naming the units' ports, so
// a host started in DIR finds them, and serves until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "sim/PtyUnitServer.h"
#include "sim/UnitFaults.h"

namespace {

int Usage(const char* program) {
  std::cerr << "usage: " << program << " --units N --dir DIR [--fault SPEC ...]\n"
            << "  N      1..10 simulated units\n"
            << "  DIR    where ConfigTqz.ini is written\n"
            << "  SPEC   UNIT:silent | UNIT:garbage | UNIT:name=TEXT | UNIT:hangup=K (UNIT from 1)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int units = 0;
  std::string dir;
  std::vector<std::string> specs;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--units" && hasValue) {
      units = std::atoi(argv[++i]);
    } else if (a == "--dir" && hasValue) {
      dir = argv[++i];
    } else if (a == "--fault" && hasValue) {
      specs.push_back(argv[++i]);
    } else {
      return Usage(argv[0]);
    }
  }
  if (units < 1 || units > 10 || dir.empty()) return Usage(argv[0]);
  std::string error;
  auto faults = korvel::ParseUnitFaults(specs, error);
  if (!faults) {
    std::cerr << error << "\n";
    return 2;
  }

  // Signals are taken by sigwait below, not by whichever thread they hit.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  korvel::PtyUnitServer server(units, *faults);
  if (!server.Start(error)) {
    std::cerr << error << "\n";
    return 1;
  }
  const auto paths = server.SlavePaths();
  const auto file = std::filesystem::path(dir) / "ConfigTqz.ini";
  {
    std::ofstream out(file);
    out << "[Connection]\nTOTDEV=" << units << "\n";
    for (int k = 0; k < units; ++k) out << "DEV" << k + 1 << "=" << paths[k] << "\n";
    if (!out) {
      std::cerr << "cannot write " << file << "\n";
      return 1;
    }
  }
  for (int k = 0; k < units; ++k) std::cout << "unit " << k + 1 << ": " << paths[k] << "\n";
  std::cout << "wrote " << file.string() << "; serving until interrupted" << std::endl;

  int sig = 0;
  sigwait(&stopSignals, &sig);
  server.Stop();
  return 0;
}
