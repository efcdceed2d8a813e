#include "engine/JobHeader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "EngineFixtures.h"
#include "engine/ConfigBlock.h"
#include "protocol/FrameCodec.h"
#include "engine/RequestPackets.h"

namespace korvel {
namespace {

class JobHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 128; ++i) {
      buffers.Options[i] = static_cast<uint8_t>(0x80 + i);
      buffers.Defaults[i] = static_cast<uint8_t>(i);
    }
    for (int i = 0; i < 4096; ++i) buffers.Second[i] = static_cast<uint8_t>(i * 7);
    job = buffers.View(test::Stm32G071xB(), true);
    job.Settings.SnMode = kSnHex;
    job.Settings.SnStep = 0x0102;
    job.Settings.SnAddress = 0x0800FFF0;
    job.Settings.SnValue = 0x12345678;
    job.Settings.LimitFlag = 0x0F;
    job.Settings.MaxCount = 1000;
    job.ProductName = "";
    random.ConfigByte = 0x11;
    random.ConfigParameter = 0x2233;
    for (int i = 0; i < 64; ++i) random.Filler[i] = static_cast<uint8_t>(0xC0 + i);
  }

  test::JobBuffers buffers;
  JobView job;
  JobHeaderRandom random;
};

TEST_F(JobHeaderTest, FieldsAtTheirOffsets) {
  JobHeaderBlock b = BuildJobHeaderBlock(job, random);
  EXPECT_EQ(0, std::memcmp(b.data(), "ZWLP", 4));
  ConfigBlock cfg = BuildConfigBlock(job, 0x2233, 0x11);
  EXPECT_EQ(0, std::memcmp(b.data() + 4, cfg.data(), 64));
  EXPECT_EQ(b[4 + 10], 0x33);  // the random parameter inside the block
  const uint8_t sn[] = {0x0F, 0x04, 0x02, 0x01, 0xF0, 0xFF, 0x00, 0x08,
                        0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0,
                        0x0F, 0x00, 0xE8, 0x03, 0x00, 0x00};
  EXPECT_EQ(0, std::memcmp(b.data() + 68, sn, sizeof sn));
  for (int i = 90; i < 112; ++i) EXPECT_EQ(b[i], 0) << i;
  EXPECT_EQ(b[112], 0x80);
  EXPECT_EQ(b[239], 0xFF);
  EXPECT_EQ(0, std::memcmp(b.data() + 240, "STM32G071xB\0\0\0\0\0", 16));
  EXPECT_EQ(b[256], '?');  // empty product name
  EXPECT_EQ(b[257], 0);
  EXPECT_EQ(b[304], 0xC0);
  EXPECT_EQ(b[367], 0xFF);
  EXPECT_EQ(b[368], 0x00);
  EXPECT_EQ(b[495], 127);
  for (int i = 496; i < 508; ++i) EXPECT_EQ(b[i], 0) << i;
}

TEST_F(JobHeaderTest, CheckWordAndSumCloseTheBlock) {
  JobHeaderBlock b = BuildJobHeaderBlock(job, random);
  uint16_t crc = CalcFrameCrc(b, 0, 507);
  EXPECT_EQ(GetU16(b.data() + 508), crc);
  uint32_t sum = 0;
  for (int i = 0; i < 510; ++i) sum += b[i];
  EXPECT_EQ(GetU16(b.data() + 510), static_cast<uint16_t>(sum));
}

TEST_F(JobHeaderTest, LongTextsAreCutToTheirFields) {
  job.ChipName = "ABCDEFGHIJKLMNOPQRST";
  job.ProductName = std::string(60, 'p');
  JobHeaderBlock b = BuildJobHeaderBlock(job, random);
  EXPECT_EQ(0, std::memcmp(b.data() + 240, "ABCDEFGHIJKLMNOP", 16));
  EXPECT_EQ(b[256 + 47], 'p');
  EXPECT_EQ(b[304], 0xC0);  // the filler is not overwritten
}

TEST_F(JobHeaderTest, PacketCarriesTwoScrambledCopiesAndTheOtpImage) {
  Packet p = JobHeaderPacket(job, random);
  ASSERT_EQ(p.size(), 8u + 2048u + 2u);
  EXPECT_EQ(p[0], 0x53);
  EXPECT_EQ(GetU16(&p[6]), 2048);
  // Parameter 0 gives the mask pair 0xEE 0xDC: "ZW" goes out as B4 8B.
  EXPECT_EQ(p[8], 0xB4);
  EXPECT_EQ(p[9], 0x8B);
  std::vector<uint8_t> data(p.begin() + 8, p.end() - 2);
  ScrambleJobData(data.data(), data.size(), JobHeaderMask(0));
  JobHeaderBlock b = BuildJobHeaderBlock(job, random);
  EXPECT_EQ(0, std::memcmp(data.data(), b.data(), 512));
  EXPECT_EQ(0, std::memcmp(data.data() + 512, b.data(), 512));
  EXPECT_EQ(0, std::memcmp(data.data() + 1024, buffers.Second.data(), 1024));
  EXPECT_EQ(GetU16(&p[p.size() - 2]),
            CalcFrameCrc(p, 0, static_cast<uint32_t>(p.size() - 3)));
}

TEST_F(JobHeaderTest, NoOtpMeansTwoCopiesOnly) {
  job = buffers.View(test::Stm8S105K4(), false);
  Packet p = JobHeaderPacket(job, random);
  EXPECT_EQ(GetU16(&p[6]), 1024);
  EXPECT_EQ(p.size(), 8u + 1024u + 2u);
}

TEST(JobHeaderMask, FromTheParameter) {
  EXPECT_EQ(JobHeaderMask(0), (std::array<uint8_t, 2>{0xEE, 0xDC}));
  EXPECT_EQ(JobHeaderMask(0x5C6E), (std::array<uint8_t, 2>{0x80, 0x80}));
  EXPECT_EQ(JobHeaderMask(0x0011), (std::array<uint8_t, 2>{0xFF, 0xDC}));
}

TEST(HeaderDefaultTable, ByFamilyCodeAndFlashSize) {
  ChipInfo c;
  struct Row { uint8_t Code; uint16_t Kb; DefaultTableKind Kind; };
  const Row rows[] = {{0x70, 64, DefaultTableKind::G0x0}, {0x71, 128, DefaultTableKind::G0x1},
                      {0x72, 150, DefaultTableKind::G4Small}, {0x72, 151, DefaultTableKind::G4Large},
                      {0x00, 128, DefaultTableKind::L4},      {0xD6, 16, DefaultTableKind::L4}};
  for (const auto& r : rows) {
    c.FamilyCode = r.Code;
    c.FlashSizeKB = r.Kb;
    EXPECT_EQ(HeaderDefaultTable(c), r.Kind) << int(r.Code) << " " << r.Kb;
  }
}

}  // namespace
}  // namespace korvel
