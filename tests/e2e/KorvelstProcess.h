#pragma once
// korvelst as a child process, the way a production script runs it: no
// display in its environment, standard output and standard error apart.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace korvel::e2e {

struct KorvelstOutcome {
  int Status = -1;     // -1: still running at the deadline (then killed)
  std::string Out;     // standard output
  std::string Err;     // standard error
  std::string Output;  // both, in the order they were read
};

// A signal sent once the combined output contains a text.
struct SignalWhen {
  std::string After;
  int Signo = 0;
};

// Runs korvelst in dir with args until it ends or the deadline passes.
inline KorvelstOutcome RunKorvelst(const std::string& dir, std::vector<std::string> args,
                                   std::chrono::seconds deadline, SignalWhen signal = {}) {
  KorvelstOutcome r;
  int out[2], err[2];
  if (::pipe(out) != 0) return r;
  if (::pipe(err) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return r;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
    std::string path = KORVELST_PATH;
    std::vector<char*> argv{path.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  // The end of the output comes a little before the end of the process:
  // wait for both, on the pipes and on a descriptor of the process.
  const int exited = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  const auto end = std::chrono::steady_clock::now() + deadline;
  char buf[4096];
  bool outOpen = true, errOpen = true, ended = exited < 0;  // without pidfd: wait once the output ends
  bool signalled = signal.Signo == 0;
  while (outOpen || errOpen || !ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p[3] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}, {exited, POLLIN, 0}};
    if (::poll(p, 3, static_cast<int>(left.count())) <= 0) continue;
    if (p[2].revents) ended = true;
    for (int i = 0; i < 2; ++i) {
      if (!p[i].revents) continue;
      const ssize_t n = ::read(p[i].fd, buf, sizeof buf);
      if (n <= 0) {
        (i == 0 ? outOpen : errOpen) = false;
        continue;
      }
      (i == 0 ? r.Out : r.Err).append(buf, static_cast<size_t>(n));
      r.Output.append(buf, static_cast<size_t>(n));
    }
    if (!signalled && r.Output.find(signal.After) != std::string::npos) {
      signalled = true;
      ::kill(pid, signal.Signo);
    }
  }
  ::close(out[0]);
  ::close(err[0]);
  if (exited >= 0) ::close(exited);
  int status = 0;
  if (!ended || ::waitpid(pid, &status, 0) != pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return r;
  }
  r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

}  // namespace korvel::e2e
