#include "ui/StopSignals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace korvel::ui {

namespace {

int g_pipe[2] = {-1, -1};

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int signo) {
  const int saved = errno;
  const unsigned char b = static_cast<unsigned char>(signo);
  // Nothing else is async-signal-safe enough to do here.
  [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &b, 1);
  errno = saved;
}

void Handle(int signo, void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(signo, &sa, nullptr);
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
  for (int signo : kStopSignals) Handle(signo, OnSignal);
}

StopSignals::~StopSignals() {
  for (int signo : kStopSignals) Handle(signo, SIG_DFL);
}

void StopSignals::Drain() {
  unsigned char buf[16];
  ssize_t n;
  while ((n = ::read(g_pipe[0], buf, sizeof buf)) > 0)
    for (ssize_t i = 0; i < n; ++i) emit stopRequested(buf[i]);
}

void OnSessionEnd(QGuiApplication& app, QObject* context, std::function<void()> stop) {
  QObject::connect(&app, &QGuiApplication::commitDataRequest, context, [stop](QSessionManager&) { stop(); },
                   Qt::DirectConnection);
  QObject::connect(&app, &QCoreApplication::aboutToQuit, context, stop, Qt::DirectConnection);
}

}  // namespace korvel::ui
