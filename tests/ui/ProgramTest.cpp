#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// korvelst as a child process on the offscreen platform, stdout and stderr
// on one pipe.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    dir_ = std::filesystem::temp_directory_path() / ("korvelst_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], 1);
      ::dup2(fds[1], 2);
      ::close(fds[0]);
      ::close(fds[1]);
      if (::chdir(dir_.c_str()) != 0) ::_exit(127);
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      std::vector<char*> argv;
      std::string path = KORVELST_PATH;
      argv.push_back(path.data());
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(path.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Program() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
    std::filesystem::remove_all(dir_);
  }

  // Reads output until it contains text or the deadline passes.
  bool WaitFor(const std::string& text, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (output.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(static_cast<int>(left.count()))) return false;
    }
    return true;
  }

  // The exit status, or -1 when the program did not end before the deadline.
  int Wait(std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (std::chrono::steady_clock::now() < end) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped_ = true;
        while (ReadSome(0)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      ReadSome(50);
    }
    return -1;
  }

  void Signal(int signo) { ::kill(pid_, signo); }
  std::string output;

 private:
  bool ReadSome(int timeoutMs) {
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char buf[4096];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) return false;
    output.append(buf, static_cast<size_t>(n));
    return true;
  }

  std::filesystem::path dir_;
  pid_t pid_ = -1;
  int out_ = -1;
  bool reaped_ = false;
};

TEST(Korvelst, EchoesTheHelloLineAndEndsCleanlyOnSigtermAndSigint) {
  for (int signo : {SIGTERM, SIGINT}) {
    Program p({"--echo-log"});
    ASSERT_TRUE(p.WaitFor("Hello KorvelVatX-ST User! ------ 20", std::chrono::seconds(30)))
        << p.output;
    p.Signal(signo);
    EXPECT_EQ(p.Wait(std::chrono::seconds(30)), 0) << p.output;
  }
}

TEST(Korvelst, HelpExitsZeroAndABadCommandLineExits64) {
  Program help({"--help"});
  EXPECT_EQ(help.Wait(std::chrono::seconds(30)), 0);
  EXPECT_NE(help.output.find("Usage: korvelst"), std::string::npos);
  Program bad({"--no-such-option"});
  EXPECT_EQ(bad.Wait(std::chrono::seconds(30)), 64);
  EXPECT_NE(bad.output.find("unknown option --no-such-option"), std::string::npos);
}

}  // namespace
