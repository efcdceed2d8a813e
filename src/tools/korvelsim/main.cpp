// korvelsim: simulated programmer units on pseudo-terminals, for running the
// host without hardware. Writes DIR/ConfigTqz.ini naming the units' ports, so
// a host started in DIR finds them, and serves until SIGINT, SIGTERM or SIGHUP.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <iostream>
#include <string>
#include <vector>

#include "sim/SimFirmware.h"
#include "sim/SimulatedUnits.h"
#include "sim/UnitFaults.h"

namespace {

void Help(std::ostream& out, const char* program) {
  out << "usage: " << program << " --units N --dir DIR [--fault FAULT ...] [--wire-rate] [--auto N]\n"
      << "                 [--firmware FILE]\n"
      << "       " << program << " --make-firmware OUT [--size BYTES]\n"
      << "  --make-firmware OUT  write a valid firmware file of random content (body of\n"
      << "                 BYTES bytes, 1..65535, default 32768) and exit; as TroxSTX.FWR\n"
      << "                 beside korvelst it lets the units be upgraded\n"
      << "  --units N      1..10 simulated units\n"
      << "  --dir DIR      where ConfigTqz.ini is written\n"
      << "  --wire-rate    every unit takes in and sends out no faster than the real line\n"
      << "                 (1,000,000 baud, 11 bits per byte); the same as --fault '*:wire'\n"
      << "  --firmware FILE  the units check every upgrade block against FILE\n"
      << "  --auto N       after a download with automatic chip detection on and its\n"
      << "                 restart or an off-line start, every unit programs N chips by\n"
      << "                 itself with the job's off-line steps; the same as\n"
      << "                 --fault '*:auto=N'\n"
      << "  --fault FAULT   UNIT:ITEM[,ITEM...], UNIT from 1 or * for every unit; repeatable,\n"
      << "                 applied in order. Items (codes in hex, counts from the wake-up on):\n"
      << "    silent          never answers          silent=K     quiet from the K-th request\n"
      << "    name=TEXT       another model's name   hangup=K     unplugged after K requests\n"
      << "    garbage         noise between frames   badcrc=K     wrong check word on reply K\n"
      << "    status=CC:SS    status SS for command CC; status=CC.PP:SS only for parameter PP\n"
      << "                    (status=93.5:45: the blank check fails with 0x45)\n"
      << "    notblank        chips hold data        protected    read-protected until erased\n"
      << "    flip[=ADDR]     one byte differs on read-back (image offset ADDR, or flash start)\n"
      << "    short=K         the K-th reply with data carries only half of it\n"
      << "    delay=MS        replies MS ms late     wire         paced at the line rate\n"
      << "    auto=N          N chips on their own   every=MS     one chip every MS ms (500)\n"
      << "    fail=K[:RR]     every K-th chip fails with result RR (31)\n"
      << "  e.g. --fault 3:silent --fault '*:auto=5,fail=2' --fault 2:status=95.8:2C\n";
}

int Usage(const char* program) {
  Help(std::cerr, program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int units = 0;
  bool wireRate = false;
  std::string dir;
  std::vector<std::string> faultTexts;
  std::string makeFirmware, firmware;
  long firmwareSize = static_cast<long>(korvel::kDefaultSimFirmwareSize);
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--help" || a == "-h") {
      Help(std::cout, argv[0]);
      return 0;
    } else if (a == "--units" && hasValue) {
      units = std::atoi(argv[++i]);
    } else if (a == "--dir" && hasValue) {
      dir = argv[++i];
    } else if (a == "--fault" && hasValue) {
      faultTexts.push_back(argv[++i]);
    } else if (a == "--wire-rate") {
      wireRate = true;
    } else if (a == "--make-firmware" && hasValue) {
      makeFirmware = argv[++i];
    } else if (a == "--size" && hasValue) {
      firmwareSize = std::atol(argv[++i]);
    } else if (a == "--firmware" && hasValue) {
      firmware = argv[++i];
    } else if (a == "--auto" && hasValue) {
      faultTexts.push_back(std::string("*:auto=") + argv[++i]);
    } else {
      return Usage(argv[0]);
    }
  }
  if (!makeFirmware.empty()) {
    if (firmwareSize < 1 || firmwareSize > 0xFFFF) return Usage(argv[0]);
    if (auto error = korvel::WriteRandomFirmware(makeFirmware, static_cast<size_t>(firmwareSize))) {
      std::cerr << *error << "\n";
      return 1;
    }
    std::cout << "wrote " << makeFirmware << "\n";
    return 0;
  }
  if (units < 1 || units > korvel::kMaxSimUnits || dir.empty()) return Usage(argv[0]);
  std::shared_ptr<const korvel::FirmwareImage> expected;
  if (!firmware.empty()) {
    korvel::FirmwareRead read = korvel::ReadFirmwareFile(firmware);
    if (!read.Firmware) {
      std::cerr << firmware << ": " << read.Error << "\n";
      return 2;
    }
    expected = std::make_shared<const korvel::FirmwareImage>(std::move(*read.Firmware));
  }

  // Signals are taken by sigwait below, not by whichever thread they hit.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);  // the terminal it runs in went away
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::string error;
  auto server = korvel::StartSimulatedUnits(units, faultTexts, wireRate, error);
  if (!server) {
    std::cerr << error << "\n";
    return 2;
  }
  if (expected) korvel::GiveFirmware(*server, expected);
  const auto paths = server->SlavePaths();
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
  server->Stop();
  return 0;
}
