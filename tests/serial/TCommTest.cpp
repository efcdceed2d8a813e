#include "serial/TComm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "serial/PtyPair.h"

namespace korvel {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using Bytes = std::vector<uint8_t>;

// A UI thread stand-in: the test thread pumps posted work until a condition
// holds or the deadline passes.
class PumpDispatcher : public UiDispatcher {
 public:
  void Post(std::function<void()> fn) override {
    {
      std::lock_guard lock(m_);
      q_.push_back(std::move(fn));
    }
    cv_.notify_one();
  }
  template <typename Pred>
  bool PumpUntil(Pred done, std::chrono::milliseconds deadline = 3000ms) {
    auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
      std::function<void()> fn;
      {
        std::unique_lock lock(m_);
        if (!cv_.wait_until(lock, end, [&] { return !q_.empty(); })) return done();
        fn = std::move(q_.front());
        q_.pop_front();
      }
      fn();
    }
    return true;
  }
  // Waits, without running anything, until work is queued.
  bool WaitQueued(std::chrono::milliseconds deadline = 3000ms) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, deadline, [&] { return !q_.empty(); });
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> q_;
};

struct Recorder {
  Bytes Received;
  std::vector<size_t> Deliveries;
  int Hangups = 0;
  void Bind(TComm& link) {
    link.Events.OnReceiveData = [this](const uint8_t* d, size_t n) {
      Deliveries.push_back(n);
      Received.insert(Received.end(), d, d + n);
    };
    link.Events.OnRequestHangup = [this] { ++Hangups; };
  }
};

class TCommTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(pty.Master, 0);
    link.SetCommName(pty.SlavePath);
    rec.Bind(link);
  }
  PtyPair pty;
  PumpDispatcher ui;
  TComm link{ui};
  Recorder rec;
};

TEST_F(TCommTest, OpenTwiceRaisesAndCloseTwiceIsHarmless) {
  link.OpenPort();
  ASSERT_TRUE(link.IsOpen());
  try {
    link.OpenPort();
    FAIL() << "second open did not raise";
  } catch (const ECommsError& e) {
    EXPECT_STREQ(e.what(), "This serial port already opened");
  }
  link.ClosePort();
  link.ClosePort();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_FALSE(link.SendData(reinterpret_cast<const uint8_t*>("x"), 1));
}

TEST_F(TCommTest, SecondLinkOnTheSamePortIsKeptOut) {
  link.OpenPort();
  TComm other(ui);
  Recorder otherRec;
  otherRec.Bind(other);
  other.SetCommName(pty.SlavePath);
  other.OpenPort();
  EXPECT_FALSE(other.IsOpen());
  EXPECT_TRUE(ui.PumpUntil([&] { return otherRec.Hangups == 1; }));
  EXPECT_EQ(rec.Hangups, 0);
}

TEST_F(TCommTest, MissingDeviceGivesAHangupRequest) {
  link.SetCommName("/dev/does-not-exist-korvel");
  link.OpenPort();
  EXPECT_FALSE(link.IsOpen());
  EXPECT_TRUE(ui.PumpUntil([&] { return rec.Hangups == 1; }));
  EXPECT_FALSE(link.LastOpenError().empty());
}

TEST_F(TCommTest, SendDataKeepsCallOrderUnderPartialWrites) {
  link.OpenPort();
  EXPECT_FALSE(link.SendData(reinterpret_cast<const uint8_t*>("x"), 0));
  // Blocks far larger than the tty buffer, read slowly in small pieces, so
  // the driver takes each block in many writes.
  Bytes a(70000), b(50000);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i * 7);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 13 + 1);
  ASSERT_TRUE(link.SendData(a.data(), a.size()));
  a.assign(a.size(), 0);  // the caller's buffer may be reused at once
  for (size_t i = 0; i < 70000; ++i) a[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(link.SendData(b.data(), b.size()));
  Bytes got = pty.Read(a.size() + b.size(), 10s, 1000);
  Bytes want = a;
  want.insert(want.end(), b.begin(), b.end());
  ASSERT_EQ(got.size(), want.size());
  EXPECT_TRUE(got == want);
}

TEST_F(TCommTest, DeliversEveryByteInPiecesOfAtMost2048) {
  link.OpenPort();
  Bytes data(20000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i ^ (i >> 8));
  pty.Write(data);
  ASSERT_TRUE(ui.PumpUntil([&] { return rec.Received.size() >= data.size(); }));
  EXPECT_EQ(rec.Received, data);
  for (size_t n : rec.Deliveries) {
    EXPECT_GT(n, 0u);  // a zero-byte read raises nothing
    EXPECT_LE(n, 2048u);
  }
}

TEST_F(TCommTest, FarSideClosingGivesOneHangupAndStaleEventsAreDropped) {
  link.OpenPort();
  pty.CloseMaster();
  ASSERT_TRUE(ui.PumpUntil([&] { return rec.Hangups >= 1; }));
  link.ClosePort();
  // Both threads may have noticed; whatever was still queued is void now.
  ui.PumpUntil([] { return false; }, 100ms);
  EXPECT_EQ(rec.Hangups, 1);
}

TEST_F(TCommTest, DestroyedLinkDropsItsQueuedNotifications) {
  auto l = std::make_unique<TComm>(ui);
  l->SetCommName(pty.SlavePath);
  int calls = 0;
  l->Events.OnReceiveData = [&](const uint8_t*, size_t) { ++calls; };
  l->OpenPort();
  pty.Write(Bytes(100, 1));
  ASSERT_TRUE(ui.WaitQueued());
  l.reset();
  ui.PumpUntil([] { return false; }, 100ms);
  EXPECT_EQ(calls, 0);
}

TEST_F(TCommTest, ReportsTheIdleTransmitterAfterTheQueueDrains) {
  int empties = 0;
  link.Events.OnSendDataEmpty = [&] { ++empties; };
  link.OpenPort();
  EXPECT_TRUE(link.TransmitIdle());
  Bytes d(100, 0x55);
  link.SendData(d.data(), d.size());
  EXPECT_EQ(pty.Read(100, 2s).size(), 100u);
  EXPECT_TRUE(ui.PumpUntil([&] { return empties == 1; }));
  EXPECT_TRUE(link.TransmitIdle());
}

}  // namespace
}  // namespace korvel
