#include "engine/RequestPackets.h"

#include <gtest/gtest.h>

#include <cstring>

#include "EngineFixtures.h"
#include "engine/ConfigBlock.h"
#include "protocol/FrameCodec.h"

namespace korvel {
namespace {

bool CheckWordCloses(const Packet& p) {
  return p.size() >= 10 &&
         GetU16(&p[p.size() - 2]) ==
             CalcFrameCrc(p, 0, static_cast<uint32_t>(p.size() - 3));
}

class RequestPacketsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (size_t i = 0; i < buffers.Main.size(); ++i)
      buffers.Main[i] = static_cast<uint8_t>(i ^ (i >> 10));
    for (int i = 0; i < 128; ++i) {
      buffers.Options[i] = static_cast<uint8_t>(0x40 + i);
      buffers.Defaults[i] = static_cast<uint8_t>(0xF0 ^ i);
    }
    for (int i = 0; i < 4096; ++i) buffers.Second[i] = static_cast<uint8_t>(i + 3);
    job = buffers.View(test::Stm32F103xB(), true);
  }

  void ExpectHeader(const Packet& p, uint8_t cmd, uint16_t param, uint16_t length) {
    ASSERT_EQ(p.size(), 10u + length);
    EXPECT_EQ(p[0], cmd);
    EXPECT_EQ(GetU16(&p[1]), param);
    EXPECT_EQ(p[3], 0x0B);
    EXPECT_EQ(p[4], job.Chip.FamilyCode);
    EXPECT_EQ(p[5], job.Chip.ChipSubCode);
    EXPECT_EQ(GetU16(&p[6]), length);
    EXPECT_TRUE(CheckWordCloses(p));
  }

  void ExpectConfig(const Packet& p, uint8_t random) {
    ConfigBlock cfg = BuildConfigBlock(job, 0, random);
    EXPECT_EQ(0, std::memcmp(p.data() + 8, cfg.data(), 64));
  }

  void ExpectImage(const Packet& p, size_t at, size_t offset, size_t length) {
    EXPECT_EQ(0, std::memcmp(p.data() + at, buffers.Main.data() + offset, length));
  }

  test::JobBuffers buffers;
  JobView job;
};

TEST_F(RequestPacketsTest, ChipCommandCarriesConfigZerosAndDefaults) {
  Packet p = CommandPacket(job, kCmdChipOperation, kSubBlankCheck, 0x21);
  ExpectHeader(p, 0x93, 5, 208);
  ExpectConfig(p, 0x21);
  for (int i = 72; i < 88; ++i) EXPECT_EQ(p[i], 0) << i;
  EXPECT_EQ(0, std::memcmp(p.data() + 88, buffers.Defaults.data(), 128));
  ExpectHeader(CommandPacket(job, kCmdReadSecond, 8, 0), 0x9D, 8, 208);
}

TEST_F(RequestPacketsTest, OptionBytes) {
  Packet p = OptionBytesPacket(job, 7);
  ExpectHeader(p, 0x93, 0x35, 192);
  ExpectConfig(p, 7);
  EXPECT_EQ(0, std::memcmp(p.data() + 72, buffers.Options.data(), 128));
}

TEST_F(RequestPacketsTest, DownloadBlocksHaveNoConfigBlock) {
  Packet main = MainBlockPacket(job, 8, 0);
  ExpectHeader(main, 0x55, 8, 4096);
  ExpectImage(main, 8, 8 * 1024, 4096);
  Packet second = SecondBlockPacket(job, 0, 0x4000);
  ExpectHeader(second, 0x5A, 0, 4096);
  ExpectImage(second, 8, 0x4000, 4096);
  Packet data = DataMemBlockPacket(job, 128, 4);
  ExpectHeader(data, 0x55, 132, 4096);
  ExpectImage(data, 8, 0x80000 + 4 * 1024, 4096);
}

TEST_F(RequestPacketsTest, ProgramBlock) {
  Packet p = ProgramBlockPacket(job, kCmdProgramMain, 12, 0x8000, 0x55);
  ExpectHeader(p, 0x95, 12, 4160);
  ExpectConfig(p, 0x55);
  ExpectImage(p, 72, 0x8000 + 12 * 1024, 4096);

  // A channel's own bytes replace the shared image's where they lie.
  job.Own = {{0x8000 + 12 * 1024 + 5, {0xAB, 0xCD}}};
  p = ProgramBlockPacket(job, kCmdProgramMain, 12, 0x8000, 0x55);
  EXPECT_EQ(p[72 + 5], 0xAB);
  EXPECT_EQ(p[72 + 6], 0xCD);
  ExpectImage(p, 72 + 7, 0x8000 + 12 * 1024 + 7, 4096 - 7);
}

TEST_F(RequestPacketsTest, BlockPastTheImageEndReadsErased) {
  // The last kilobyte of the 2 MB buffer and three beyond it.
  Packet p = MainBlockPacket(job, 2047, 0);
  ExpectImage(p, 8, 2047 * 1024, 1024);
  for (size_t i = 8 + 1024; i < 8 + 4096; ++i) ASSERT_EQ(p[i], 0xFF) << i;
}

TEST_F(RequestPacketsTest, SecondImageIsTheWholeOtpArea) {
  job = buffers.View(test::Stm32G071xB(), true);
  Packet p = SecondImagePacket(job, 15, 3);
  ExpectHeader(p, 0x99, 0x500F, 1024 + 64);
  EXPECT_EQ(p[1], 15);
  EXPECT_EQ(p[2], 0x50);
  ExpectConfig(p, 3);
  EXPECT_EQ(0, std::memcmp(p.data() + 72, buffers.Second.data(), 1024));
}

}  // namespace
}  // namespace korvel

