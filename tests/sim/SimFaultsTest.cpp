// Faults by their text and what they do to a unit; reply times computed from the
// unit's schedule, never waited for.
#include <gtest/gtest.h>

#include "sim/SimDriver.h"

namespace korvel::test {
namespace {

// Requests after the wake-up: blank check, program block 0, read block 0,
// erase, blank check. Returns the status of each (-1: no reply).
std::vector<int> Script(SimDriver& d) {
  return {d.Status(d.Command(kCmdChipOperation, kSubBlankCheck)), d.Status(d.Block({RequestKind::ProgramMain, 0, 0})),
          d.Status(d.Command(kCmdReadMain, 0)), d.Status(d.Command(kCmdChipOperation, kSubErase)),
          d.Status(d.Command(kCmdChipOperation, kSubBlankCheck))};
}

TEST(SimFaults, EachFaultHasItsEffect) {
  const struct {
    const char* Fault;
    std::vector<int> Statuses;
  } cases[] = {
      {"delay=0", {0, 6, 0, 6, 0}},
      {"silent=3", {0, -1, -1, -1, -1}},  // the wake-up is request 1
      {"status=93.5:45", {0x45, 6, 0, 6, 0x45}},
      {"status=93:40", {0x40, 6, 0, 0x40, 0x40}},
      {"status=95.0:2C,status=9B:4", {0, 0x2C, 4, 6, 0}},
      {"notblank", {21, 6, 0, 6, 0}},
      {"protected", {19, 0x13, 0x13, 6, 0}},
      {"badcrc=3", {0, 0x23, 0, 6, 0}},  // the identification is reply 1
      {"garbage", {0, 6, 0, 6, 0}},
  };
  for (const auto& c : cases) {
    SimDriver d(Stm32F103xB(), true, UnitFaultsOf(c.Fault));
    EXPECT_EQ(Script(d), c.Statuses) << c.Fault;
  }
}

TEST(SimFaults, ShortCutsOnlyTheKthDataReply) {
  SimDriver d(Stm32F103xB(), true, UnitFaultsOf("short=2"));
  std::vector<size_t> sizes;
  for (const Bytes& request : {d.Command(kCmdReadMain, 0), d.Command(kCmdChipOperation, kSubBlankCheck),
                               d.Command(kCmdReadMain, 4), d.Command(kCmdReadMain, 8)}) {
    const Bytes reply = d.Reply(request);
    ASSERT_EQ(CheckReply(reply, reply.size()), 0);  // a sound packet, only short
    sizes.push_back(ReplyData(reply).size());
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{4096, 1, 2048, 4096}));
}

TEST(SimFaults, SilentUnitDoesNotEvenIdentify) {
  SimDriver d(Stm32F103xB(), true, UnitFaultsOf("silent"));
  Bytes out;
  d.unit.Receive(kWakeUpFrame.data(), kWakeUpFrame.size(), out);
  EXPECT_TRUE(out.empty());
}

TEST(SimFaults, FlipChangesOneByteOfTheReadBack) {
  for (const char* faultText : {"flip", "flip=1234"}) {
    SimDriver d(Stm32F103xB(), true, UnitFaultsOf(faultText));
    FillPattern(d.buffers);
    ASSERT_EQ(d.Program(), 6);
    int differing = 0;
    EXPECT_EQ(d.ReadBack(differing), 0) << faultText;
    EXPECT_EQ(differing, 1) << faultText;
  }
}

TEST(SimFaults, HangupComesInTheMiddleOfAProgramming) {
  SimDriver d(Stm32F103xB(), true, UnitFaultsOf("hangup=4"));
  EXPECT_EQ(d.Program(), -1);
  EXPECT_TRUE(d.unit.HungUp());
  EXPECT_EQ(d.unit.Requests(), 4);
}

TEST(SimFaults, SlowRepliesAreDueLater) {
  SimUnit unit(UnitFaultsOf("delay=25"));
  unit.Receive(kWakeUpFrame.data(), kWakeUpFrame.size(), 1000);
  EXPECT_EQ(unit.NextDueUs(), 1000u + 25000u);
  Bytes out;
  unit.TakeDue(25999, out);
  EXPECT_TRUE(out.empty());
  unit.TakeDue(26000, out);
  EXPECT_EQ(DecodeAll(out).size(), 1u);
  EXPECT_FALSE(unit.HasPending());
}

TEST(SimFaults, WirePacingCountsElevenMicrosecondsPerByteBothWays) {
  SimDriver host(Stm32F103xB(), true);
  SimUnit unit(UnitFaultsOf("wire"));
  const Bytes request = Wire(host.Block({RequestKind::ProgramMain, 0, 0}));
  const size_t reply = Wire(Bytes(11)).size();  // a status reply: 9 bytes and the check word
  // Two requests handed in at once: the second crosses after the first.
  unit.Receive(request.data(), request.size(), 0);
  unit.Receive(request.data(), request.size(), 0);
  // A request is complete at its closing 0xC0, five filler bytes before
  // the end of what the host wrote.
  const uint64_t first = (request.size() - 5) * 11 + reply * 11;
  EXPECT_EQ(unit.NextDueUs(), first);
  Bytes out;
  unit.TakeDue(first, out);
  EXPECT_EQ(out.size(), reply);
  // The second reply is ready when the second request is in; the line out
  // is free by then.
  EXPECT_EQ(unit.NextDueUs(), (2 * request.size() - 5) * 11 + reply * 11);
}

TEST(SimFaults, OutputLineSendsChunksOneAfterTheOther) {
  OutputSchedule line(true);
  line.Add(100, Bytes(10));
  line.Add(50, Bytes(5));
  line.Add(100, Bytes(2, 0xAA));
  EXPECT_EQ(line.NextDueUs(), 50u + 55u);
  Bytes out;
  line.TakeDue(1000, out);
  EXPECT_EQ(out.size(), 17u);
  EXPECT_EQ(out.back(), 0xAA);  // equal ready times keep their order
  line.Add(1000, Bytes(1));
  EXPECT_EQ(line.NextDueUs(), 1011u);
  line.Add(0, Bytes(1));  // ready long ago, but the line was busy until 105 + 110 + 22
  EXPECT_EQ(line.NextDueUs(), 237u + 11u);
}

TEST(SimFaults, SpecsApplyToOneUnitOrToEvery) {
  std::string error;
  auto f = ParseUnitFaults({"*:auto=5,fail=2:1E,every=40", "3:auto=0", "*:wire", "2:status=0x93.0x30:45"}, error);
  ASSERT_TRUE(f) << error;
  ASSERT_EQ(f->size(), 10u);
  EXPECT_EQ((*f)[10].AutoChips, 5);
  EXPECT_EQ((*f)[10].AutoFailEvery, 2);
  EXPECT_EQ((*f)[10].AutoFailResult, 0x1E);
  EXPECT_EQ((*f)[10].AutoIntervalMs, 40);
  EXPECT_TRUE((*f)[10].WireRate);
  EXPECT_EQ((*f)[3].AutoChips, 0);
  EXPECT_EQ((*f)[2].Statuses, (std::vector<ForcedStatus>{{0x93, 0x30, 0x45}}));
  EXPECT_EQ((*f)[2].StatusFor(0x93, 0x30), 0x45);
  EXPECT_FALSE((*f)[2].StatusFor(0x93, 0x05));
}

TEST(SimFaults, MalformedSpecsAreRejected) {
  for (const char* bad : {"*:", "*silent", "1:status=93", "1:status=93.5", "1:status=193:45", "1:status=93:G5",
                          "1:flip=", "1:flip=zz", "1:fail=0", "1:fail=2:", "1:every=0", "1:badcrc=0", "1:short=0",
                          "1:silent=0", "1:auto=5,bogus", "1:wire=1", "1:delay=-5"}) {
    std::string error;
    EXPECT_FALSE(ParseUnitFaults({bad}, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

}  // namespace
}  // namespace korvel::test
