#pragma once
// korvelsim in a child process: units on pseudo-terminals of their own,
// named in DIR/ConfigTqz.ini, served until the object goes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace korvel::e2e {

class SimProcess {
 public:
  // extra: further korvelsim options ("--wire-rate", "--fault", FAULT, ...).
  SimProcess(const std::string& program, int units, const std::string& dir, std::vector<std::string> extra = {}) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    std::vector<std::string> args{program, "--units", std::to_string(units), "--dir", dir};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], 1);
      ::close(fds[0]);
      ::close(fds[1]);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    // "unit K: PATH" lines, then "wrote ..." once the settings file is there;
    // the output ends early when korvelsim could not start.
    out_ = ::fdopen(fds[0], "r");
    char line[512];
    while (out_ && std::fgets(line, sizeof line, out_)) {
      const std::string l(line);
      if (l.rfind("wrote ", 0) == 0) {
        Ready = true;
        break;
      }
      if (auto at = l.find(": "); l.rfind("unit ", 0) == 0 && at != std::string::npos)
        Ports.push_back(l.substr(at + 2, l.find_last_not_of("\r\n") - at - 1));
    }
  }
  ~SimProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_) std::fclose(out_);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready = false;
  std::vector<std::string> Ports;

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
};

}  // namespace korvel::e2e
