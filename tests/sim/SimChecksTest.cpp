// What a unit does with requests that are wrong: it answers the error code
// a real unit would, and keeps its job and chip as they were.
#include <gtest/gtest.h>

#include "engine/JobHeader.h"
#include "sim/SimDriver.h"

namespace korvel::test {
namespace {

class SimChecks : public testing::Test {
 protected:
  SimChecks() : d(Stm32F103xB(), true) { FillPattern(d.buffers); }
  Bytes Header(uint16_t block = 0) { return JobHeaderPacket(d.job, JobHeaderRandom{}, block); }
  SimDriver d;
};

TEST_F(SimChecks, BadRequestsGetTheirErrorCode) {
  Bytes badWord = d.Command(kCmdChipOperation, kSubBlankCheck);
  badWord.back() ^= 1;
  Bytes shortBlock = d.Block({RequestKind::ProgramMain, 0, 0});
  shortBlock.resize(shortBlock.size() - 100);
  Bytes unknown = d.Command(kCmdChipOperation, 0x77);
  Bytes noConfig = d.Command(kCmdReadMain, 0);
  noConfig[8 + 3] = 0;  // the block's 0x0B marker
  const struct {
    const char* What;
    Bytes Packet;
    int Status;
  } cases[] = {
      {"check word", badWord, 0x23},
      {"length", Resealed(shortBlock), 0x20},
      {"configuration block", Resealed(noConfig), 0x20},
      {"unknown sub-code", unknown, 0x25},
      {"unknown command", Resealed(Bytes{0x42, 0, 0, 0x0B, 0, 0, 0, 0, 0, 0}), 0x25},
      {"block before a job header", d.Block({RequestKind::MainBlock, 0, 0}), 0x45},
      {"program past the flash", d.Block({RequestKind::ProgramMain, 128, 0}), 0x55},
      {"read past the flash", d.Command(kCmdReadMain, 128), 0x55},
      {"second memory the chip lacks", d.Command(kCmdReadSecond, 0), 0x55},
  };
  for (const auto& c : cases) EXPECT_EQ(d.Status(c.Packet), c.Status) << c.What;
}

TEST_F(SimChecks, DownloadBlocksMustComeInOrderAndInRange) {
  ASSERT_EQ(d.Status(Header()), 6);
  EXPECT_EQ(d.Status(d.Block({RequestKind::MainBlock, 4, 0})), 0x45);
  EXPECT_EQ(d.Status(d.Block({RequestKind::MainBlock, 0, 0})), 6);
  EXPECT_EQ(d.Status(d.Block({RequestKind::MainBlock, 0, 0})), 0x45);
  EXPECT_EQ(d.Status(d.Block({RequestKind::MainBlock, 4, 0})), 6);
  EXPECT_EQ(d.Status(d.Block({RequestKind::MainBlock, 200, 0})), 0x55);
  EXPECT_EQ(d.Status(d.Block({RequestKind::SecondBlock, 0, 0})), 0x55);
  EXPECT_EQ(d.unit.Job().NextMainBlock, 8);
  // A new job header starts the download again.
  ASSERT_EQ(d.Status(Header()), 6);
  EXPECT_EQ(d.Status(d.Block({RequestKind::MainBlock, 0, 0})), 6);
}

TEST_F(SimChecks, ProgramBlocksMustComeInStepsOfFour) {
  SimDriver stm8(Stm8S105K4(), false);
  stm8.chip.EepSize = 16384;
  stm8.settings.EepEnabled = true;
  stm8.Reset();
  const struct {
    RequestKind Kind;
    uint16_t Block;
    int Status;
  } steps[] = {
      {RequestKind::ProgramMain, 0, 6},   {RequestKind::ProgramMain, 1, 0x45},
      {RequestKind::ProgramMain, 4, 6},   {RequestKind::ProgramMain, 12, 0x45},
      {RequestKind::ProgramSecond, 0, 6}, {RequestKind::ProgramSecond, 1, 0x45},
      {RequestKind::ProgramSecond, 4, 6}, {RequestKind::ProgramSecond, 0, 6},  // a new run
  };
  for (const auto& s : steps)
    EXPECT_EQ(stm8.Status(stm8.Block({s.Kind, s.Block, s.Kind == RequestKind::ProgramMain ? 0x8000u : 0x4000u})),
              s.Status)
        << int(s.Kind) << "/" << s.Block;
}

TEST_F(SimChecks, JobHeaderIsUnscrambledWithItsParameterAndChecked) {
  // Any parameter's mask is undone; the host always sends 0.
  EXPECT_EQ(d.Status(Header(0x1234)), 6);

  Bytes oneByte = Header();
  oneByte[8 + 300] ^= 0x10;  // inside the first copy: its check word no longer fits
  Bytes bothCopies = Header();
  bothCopies[8 + 300] ^= 0x10;
  bothCopies[8 + 512 + 300] ^= 0x10;
  Bytes swapped = Header();
  std::swap(swapped[8 + 240], swapped[8 + 242]);  // keeps the sum, not the check word
  Bytes otherChip = Header();
  otherChip[4] ^= 1;
  Bytes truncated = Header();
  truncated.resize(truncated.size() - 512);
  const struct {
    const char* What;
    Bytes Packet;
    int Status;
  } cases[] = {
      {"one byte of a copy", Resealed(oneByte), 0x34},
      {"the same byte of both copies", Resealed(bothCopies), 0x34},
      {"two bytes swapped", Resealed(swapped), 0x34},
      {"packet names another chip", Resealed(otherChip), 0x36},
      {"one copy only", Resealed(truncated), 0x20},
  };
  for (const auto& c : cases) {
    d.unit.Job() = SimJob{};
    EXPECT_EQ(d.Status(c.Packet), c.Status) << c.What;
    EXPECT_FALSE(d.unit.Job().HeaderAccepted) << c.What;
  }
}

}  // namespace
}  // namespace korvel::test
