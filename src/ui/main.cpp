// korvelst: the gang programmer host with its main window.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "app/Clock.h"
#include "app/Startup.h"
#include "engine/Host.h"
#include "serial/PortCommands.h"
#include "serial/TComm.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimFirmware.h"
#include "sim/SimulatedUnits.h"
#include "ui/HostWiring.h"
#include "ui/MainWindow.h"
#include "ui/QtOperatorPrompts.h"
#include "ui/QtUiDispatcher.h"
#include "ui/StopSignals.h"

namespace {

constexpr const char* kProgram = "korvelst";

// --simulate N: the units on pseudo-terminals of our own, served on their
// own thread; the host talks to them through real serial links.
std::unique_ptr<korvel::PtyUnitServer> StartSimulation(const korvel::CommandLine& cmd) {
  if (cmd.Simulate == 0) return nullptr;
  std::string error;
  auto units = korvel::StartSimulatedUnits(cmd.Simulate, cmd.SimulateFaults, false, error);
  if (!units) {
    std::cerr << kProgram << ": cannot start the simulated units: " << error << "\n";
    std::exit(64);
  }
  // The units take an upgrade of the firmware the host carries, as real
  // ones of that firmware's line would.
  korvel::FirmwareRead fw = korvel::ReadFirmwareFile(korvel::kFirmwareFileName);
  if (fw.Firmware) korvel::GiveFirmware(*units, std::make_shared<const korvel::FirmwareImage>(std::move(*fw.Firmware)));
  return units;
}

// File names are bytes to the system and need not be valid UTF-8: they go
// to the core exactly as the system gave them, never through QString.
std::vector<std::string> ByteArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

std::string StartFolder() {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::string(".") : dir.native();
}

// KORVEL_SCREENSHOT=FILE:DELAY_MS, for the README's picture: that long
// after the window shows, save what it draws and close as "退出" does. Qt
// draws the picture itself, so no screen-capture tool is needed.
struct Screenshot {
  std::string File;
  int DelayMs = 0;
};

std::optional<Screenshot> ParseScreenshot(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() || text.size() - colon > 7 ||
      text.find_first_not_of("0123456789", colon + 1) != std::string::npos)
    return std::nullopt;
  return Screenshot{text.substr(0, colon), std::stoi(text.substr(colon + 1))};
}

}  // namespace

int main(int argc, char** argv) {
  // Usage, argument errors and the port commands need no display, so they
  // come before Qt.
  const korvel::CommandLineResult early = korvel::ParseCommandLine(ByteArguments(argc, argv));
  if (auto code = korvel::CommandLineExit(early, kProgram, std::cout, std::cerr)) return *code;
  if (auto code = korvel::RunPortCommand(early.Line, korvel::PortSystem{}, StartFolder(), kProgram, std::cout, std::cerr))
    return *code;
  // A run nobody watches must not need a screen: without one, and unless
  // the user named a platform, Qt draws off screen instead of aborting.
  if (korvel::ChoosesOffscreenPlatform(early.Line, [](const char* n) -> const char* { return std::getenv(n); }))
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

  QApplication qapp(argc, argv);
  // The program ends when the main window's close has run, with the exit
  // status of an unattended run; not when Qt sees the last window go.
  qapp.setQuitOnLastWindowClosed(false);
  QCoreApplication::setApplicationName(QStringLiteral("Korvel200ST8-X10"));
  // Qt took its own options (-platform ...) out of argv; what is left is ours.
  const korvel::CommandLineResult parsed = korvel::ParseCommandLine(ByteArguments(argc, argv));
  if (auto code = korvel::CommandLineExit(parsed, kProgram, std::cout, std::cerr)) return *code;
  const korvel::CommandLine& cmd = parsed.Line;
  std::optional<Screenshot> screenshot;
  if (const char* request = std::getenv("KORVEL_SCREENSHOT"); request && !(screenshot = ParseScreenshot(request))) {
    std::cerr << kProgram << ": KORVEL_SCREENSHOT must be FILE:DELAY_MS, not \"" << request << "\"" << std::endl;
    return 64;
  }

  std::unique_ptr<korvel::PtyUnitServer> units = StartSimulation(cmd);

  korvel::SystemClock clock;
  korvel::ui::QtUiDispatcher dispatcher;
  korvel::ui::QtOperatorPrompts prompts;
  // Scripts, and a project download nobody may have to close: a message
  // box would hold them up, so prompts are answered by rule.
  prompts.SetUnattended(!cmd.Run.empty() || cmd.Exit || cmd.ExitAfterDownload || !cmd.SaveProject.empty());

  korvel::HostOptions options;
  options.Links = [&dispatcher](int) { return std::make_unique<korvel::TComm>(dispatcher); };
  if (units) options.ExplicitPorts = units->SlavePaths();
  korvel::Host host(clock, prompts, std::move(options));
  // With --json, standard output carries nothing but the JSON lines.
  if (cmd.EchoLog) korvel::EchoLog(host.App.Log, cmd.Json ? std::cerr : std::cout);

  korvel::ui::TKorvel200STxPrg window(host.App);
  prompts.SetParent(&window);
  korvel::ui::WireHost(window, host);

  int exitCode = 0;
  korvel::Host::CommandLineOutput output;
  output.Error = [](const std::string& reason) { std::cerr << kProgram << ": " << reason << std::endl; };
  output.Summary = [](const std::string& line) { std::cout << line << std::endl; };
  korvel::StartupHooks hooks = window.WindowStartupHooks();
  window.OnFirstShow = [&] {
    host.FormShow(cmd, StartFolder(), hooks);
    host.StartCommandLine(cmd, [&](int code) {
      exitCode = code;
      window.ExitClick();
    }, output);
    // A run without --exit stays open; one that could not start and must
    // not wait for anybody has already asked to close.
  };

  // A stop signal, a closed terminal and the end of the desktop session all
  // close the program as "退出" does, shutdown log included.
  auto stopNow = [&](int signalNumber) {
    // A run cut short has not succeeded, whatever its channels did so far.
    if (signalNumber != 0 && host.Unattended() && !host.Unattended()->Finished()) exitCode = 128 + signalNumber;
    window.ExitClick();
  };
  korvel::ui::StopSignals stop;
  QObject::connect(&stop, &korvel::ui::StopSignals::stopRequested, &window, stopNow);
  korvel::ui::OnSessionEnd(qapp, &window, [&] { stopNow(0); });
  // Closing the main window ends the program, also from inside a dialog.
  QObject::connect(&window, &korvel::ui::TKorvel200STxPrg::closed, &qapp,
                   [&exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);

  window.show();
  if (screenshot) {
    QTimer::singleShot(screenshot->DelayMs, &window, [&] {
      const bool saved = window.grab().save(QString::fromLocal8Bit(screenshot->File), "PNG");
      if (!saved) std::cerr << kProgram << ": cannot save the screenshot " << screenshot->File << std::endl;
      exitCode = saved ? 0 : 1;
      window.ExitClick();
    });
  }
  const int code = qapp.exec();
  if (units) units->Stop();
  return code;
}
