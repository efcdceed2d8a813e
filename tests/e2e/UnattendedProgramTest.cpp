// korvelst itself, unattended on the offscreen platform with its own
// simulated units: the run a production script makes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "e2e/HeadlessHost.h"
#include "e2e/SimProcess.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;

struct Outcome {
  int Status = -1;  // -1: still running at the deadline (then killed)
  std::string Output;
};

// Runs korvelst in dir with args, stdout and stderr on one pipe, until it
// ends or the deadline passes.
Outcome RunKorvelst(const std::string& dir, std::vector<std::string> args, std::chrono::seconds deadline) {
  Outcome r;
  int fds[2];
  if (::pipe(fds) != 0) return r;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::dup2(fds[1], 2);
    ::close(fds[0]);
    ::close(fds[1]);
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string path = KORVELST_PATH;
    std::vector<char*> argv{path.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  // The end of the output comes a little before the end of the process:
  // wait for both, on the pipe and on a descriptor of the process.
  const int exited = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  const auto end = std::chrono::steady_clock::now() + deadline;
  char buf[4096];
  bool open = true, ended = exited < 0;  // without pidfd: wait once the output ends
  while (open || !ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p[2] = {{open ? fds[0] : -1, POLLIN, 0}, {exited, POLLIN, 0}};
    if (::poll(p, 2, static_cast<int>(left.count())) <= 0) continue;
    if (p[1].revents) ended = true;
    if (p[0].revents) {
      const ssize_t n = ::read(fds[0], buf, sizeof buf);
      if (n > 0) r.Output.append(buf, static_cast<size_t>(n));
      else open = false;
    }
  }
  ::close(fds[0]);
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

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

class UnattendedProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(7);
    std::vector<uint8_t> bytes(128 * 1024);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    ASSERT_TRUE(WriteHexFile(dir / "app.hex", {{0x08000000, bytes}}));
  }
  std::vector<std::string> Args(std::vector<std::string> extra = {}, bool simulate = true) const {
    std::vector<std::string> a{"--chip", "STM32F103xB", "--load", dir / "app.hex", "--run", "auto", "--exit",
                               "--echo-log"};
    if (simulate) a.insert(a.begin(), {"--simulate", "10"});
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  ScratchDir dir;
};

TEST_F(UnattendedProgram, AutoOnTenSimulatedUnitsExitsZero) {
  const Outcome r = RunKorvelst(dir.Path(), Args(), 60s);
  EXPECT_EQ(r.Status, 0) << r.Output;
  EXPECT_EQ(Count(r.Output, "Programming Success!"), 10) << r.Output;
  for (int c = 0; c < 10; ++c) EXPECT_EQ(Count(r.Output, ChannelPrefix(c) + "Programming Success!"), 1) << c;
}

TEST_F(UnattendedProgram, SilentUnitFailsItsChannelAndTheExitStatusCountsIt) {
  const Outcome r = RunKorvelst(dir.Path(), Args({"--sim-fault", "3:silent=2"}), 60s);
  EXPECT_EQ(r.Status, 1) << r.Output;
  EXPECT_EQ(Count(r.Output, " Channel 3: 操作超时！"), 1) << r.Output;
  EXPECT_EQ(Count(r.Output, "Programming Success!"), 9) << r.Output;
}

// Units of korvelsim named in the folder's ConfigTqz.ini, as real ones
// would be: the same run, the same outcome.
TEST_F(UnattendedProgram, UnitsOfKorvelsimInTheFolderBehaveTheSame) {
  struct Case {
    std::vector<std::string> Faults;
    int Status;
    int Successes;
  };
  for (const Case& c : {Case{{}, 0, 10}, Case{{"--fault", "3:silent=2"}, 1, 9}}) {
    SimProcess sim(KORVELSIM_PATH, 10, dir.Path(), c.Faults);
    ASSERT_TRUE(sim.Ready);
    const Outcome r = RunKorvelst(dir.Path(), Args({}, false), 60s);
    EXPECT_EQ(r.Status, c.Status) << r.Output;
    EXPECT_EQ(Count(r.Output, "Programming Success!"), c.Successes) << r.Output;
    EXPECT_EQ(Count(r.Output, " Channel 3: 操作超时！"), 10 - c.Successes) << r.Output;
  }
}

}  // namespace
}  // namespace korvel::e2e
