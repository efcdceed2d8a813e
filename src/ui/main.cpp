// korvelst: the gang programmer host with its main window.
#include <QApplication>
#include <QDir>
#include <iostream>
#include <memory>

#include "app/Clock.h"
#include "app/Startup.h"
#include "engine/Host.h"
#include "serial/TComm.h"
#include "sim/PtyUnitServer.h"
#include "sim/SimulatedUnits.h"
#include "ui/HostWiring.h"
#include "ui/MainWindow.h"
#include "ui/QtOperatorPrompts.h"
#include "ui/QtUiDispatcher.h"
#include "ui/StopSignals.h"

namespace {

// --simulate N: the units on pseudo-terminals of our own, served on their
// own thread; the host talks to them through real serial links.
std::unique_ptr<korvel::PtyUnitServer> StartSimulation(const korvel::CommandLine& cmd) {
  if (cmd.Simulate == 0) return nullptr;
  std::string error;
  auto units = korvel::StartSimulatedUnits(cmd.Simulate, cmd.SimulateFaults, false, error);
  if (!units) {
    std::cerr << "korvelst: cannot start the simulated units: " << error << "\n";
    std::exit(64);
  }
  return units;
}

}  // namespace

int main(int argc, char** argv) {
  // Usage and argument errors need no display, so they come before Qt.
  const std::vector<std::string> rawArgs(argv + 1, argv + argc);
  if (auto code = korvel::CommandLineExit(korvel::ParseCommandLine(rawArgs), "korvelst",
                                          std::cout, std::cerr))
    return *code;

  QApplication qapp(argc, argv);
  // The program ends when the main window's close has run, with the exit
  // status of an unattended run; not when Qt sees the last window go.
  qapp.setQuitOnLastWindowClosed(false);
  QCoreApplication::setApplicationName(QStringLiteral("Korvel200ST8-X10"));
  // Qt took its own options (-platform ...) out; what is left is ours.
  std::vector<std::string> args;
  const QStringList qtArgs = QCoreApplication::arguments();
  for (int i = 1; i < qtArgs.size(); ++i) args.push_back(qtArgs[i].toStdString());
  const korvel::CommandLineResult parsed = korvel::ParseCommandLine(args);
  if (auto code = korvel::CommandLineExit(parsed, "korvelst", std::cout, std::cerr)) return *code;
  const korvel::CommandLine& cmd = parsed.Line;

  std::unique_ptr<korvel::PtyUnitServer> units = StartSimulation(cmd);

  korvel::SystemClock clock;
  korvel::ui::QtUiDispatcher dispatcher;
  korvel::ui::QtOperatorPrompts prompts;
  prompts.SetUnattended(!cmd.Run.empty());

  korvel::HostOptions options;
  options.Links = [&dispatcher](int) { return std::make_unique<korvel::TComm>(dispatcher); };
  if (units) options.ExplicitPorts = units->SlavePaths();
  korvel::Host host(clock, prompts, std::move(options));
  if (cmd.EchoLog) korvel::EchoLog(host.App.Log, std::cout);

  korvel::ui::TKorvel200STxPrg window(host.App);
  prompts.SetParent(&window);
  korvel::ui::WireHost(window, host);

  int exitCode = 0;
  korvel::StartupHooks hooks = window.WindowStartupHooks();
  window.OnFirstShow = [&] {
    host.FormShow(cmd, QDir::currentPath().toStdString(), hooks);
    host.StartUnattended(cmd, [&](int code) {
      exitCode = code;
      window.ExitClick();
    });
    // A run without --exit stays open; one that could not start and must
    // not wait for anybody has already asked to close.
  };

  korvel::ui::StopSignals stop;
  QObject::connect(&stop, &korvel::ui::StopSignals::stopRequested, &window,
                   [&window](int) { window.ExitClick(); });
  // Closing the main window ends the program, also from inside a dialog.
  QObject::connect(&window, &korvel::ui::TKorvel200STxPrg::closed, &qapp,
                   [&exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);

  window.show();
  const int code = qapp.exec();
  if (units) units->Stop();
  return code;
}
