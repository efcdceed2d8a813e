// The pseudo-terminal server hands on a slow unit's reply when it is due,
// without holding up the other units.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include <gtest/gtest.h>

#include "sim/SimDriver.h"
#include "sim/SimulatedUnits.h"

namespace korvel::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST(PtySchedule, SlowUnitAnswersLateWithoutHoldingUpTheOthers) {
  std::string error;
  auto server = StartSimulatedUnits(2, {"1:delay=300"}, false, error);
  ASSERT_TRUE(server) << error;
  const auto paths = server->SlavePaths();
  int fd[2];
  for (int k = 0; k < 2; ++k) {
    fd[k] = ::open(paths[k].c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd[k], 0);
  }
  const auto sent = Clock::now();
  for (int k : {0, 1}) ASSERT_EQ(::write(fd[k], kWakeUpFrame.data(), kWakeUpFrame.size()), 10);
  Clock::duration answered[2] = {};
  Bytes got[2];
  const auto deadline = sent + std::chrono::seconds(5);
  while ((got[0].size() < 10 || got[1].size() < 10) && Clock::now() < deadline) {
    pollfd p[2] = {{fd[0], POLLIN, 0}, {fd[1], POLLIN, 0}};
    ::poll(p, 2, 50);
    for (int k : {0, 1}) {
      uint8_t buf[256];
      const ssize_t n = (p[k].revents & POLLIN) ? ::read(fd[k], buf, sizeof buf) : 0;
      if (n <= 0) continue;
      if (got[k].empty()) answered[k] = Clock::now() - sent;
      got[k].insert(got[k].end(), buf, buf + n);
    }
  }
  for (int k : {0, 1}) {
    ::close(fd[k]);
    ASSERT_EQ(DecodeAll(got[k]).size(), 1u) << k;
  }
  EXPECT_GE(answered[0], std::chrono::milliseconds(300));
  EXPECT_LT(answered[1], answered[0]);
  server->Stop();
}

TEST(PtySchedule, StartRefusesBadSpecsAndCounts) {
  std::string error;
  EXPECT_FALSE(StartSimulatedUnits(2, {"1:loud"}, false, error));
  EXPECT_NE(error.find("loud"), std::string::npos);
  EXPECT_FALSE(StartSimulatedUnits(11, {}, true, error));
}

}  // namespace
}  // namespace korvel::test
