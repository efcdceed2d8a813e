// korvelst: the gang programmer host with its main window.
#include <QApplication>
#include <QDir>
#include <iostream>

#include "app/Clock.h"
#include "app/Startup.h"
#include "ui/MainWindow.h"
#include "ui/QtOperatorPrompts.h"
#include "ui/QtUiDispatcher.h"
#include "ui/StopSignals.h"

int main(int argc, char** argv) {
  // Usage and argument errors need no display, so they come before Qt.
  const std::vector<std::string> rawArgs(argv + 1, argv + argc);
  if (auto code = korvel::CommandLineExit(korvel::ParseCommandLine(rawArgs), "korvelst",
                                          std::cout, std::cerr))
    return *code;

  QApplication qapp(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Korvel200ST8-X10"));
  // Qt took its own options (-platform ...) out; what is left is ours.
  std::vector<std::string> args;
  const QStringList qtArgs = QCoreApplication::arguments();
  for (int i = 1; i < qtArgs.size(); ++i) args.push_back(qtArgs[i].toStdString());
  const korvel::CommandLineResult parsed = korvel::ParseCommandLine(args);
  if (auto code = korvel::CommandLineExit(parsed, "korvelst", std::cout, std::cerr)) return *code;
  const korvel::CommandLine& cmd = parsed.Line;

  korvel::SystemClock clock;
  korvel::AppState app(clock);
  if (cmd.EchoLog) korvel::EchoLog(app.Log, std::cout);

  korvel::ui::QtUiDispatcher dispatcher;
  korvel::ui::TKorvel200STxPrg window(app);
  korvel::ui::QtOperatorPrompts prompts(&window);

  // The subsystems' steps join the window's own; the engine fills its hooks.
  korvel::StartupHooks hooks = window.WindowStartupHooks();
  window.SetShutdownHooks([&app] { korvel::CloseOpenPorts(app.Channels, app.Log); }, {});
  window.OnFirstShow = [&] {
    korvel::RunFormShow(app, prompts, cmd, QDir::currentPath().toStdString(), hooks);
  };

  korvel::ui::StopSignals stop;
  QObject::connect(&stop, &korvel::ui::StopSignals::stopRequested, &window,
                   [&window](int) { window.ExitClick(); });
  // Closing the main window ends the program, also from inside a dialog.
  QObject::connect(&window, &korvel::ui::TKorvel200STxPrg::closed, &qapp,
                   [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

  window.show();
  return qapp.exec();
}
