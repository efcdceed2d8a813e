// Serial numbers written into the image: byte order, ASCII numbers, where
// the bytes land and what the job's check values then say.
#include <gtest/gtest.h>

#include "BufferTestJob.h"
#include "target/Checksums.h"
#include "target/SerialNumber.h"

namespace korvel {
namespace {

using testjob::TestJob;

TEST(SerialBytes, OrderAndAsciiNumbers) {
  using B = std::array<uint8_t, 4>;
  const struct {
    const char* What;
    SerialNumberSpec Sn;
    B Expected;
  } cases[] = {
      {"most significant first", {0x12345678, "", false, true}, {0x12, 0x34, 0x56, 0x78}},
      {"least significant first", {0x12345678, "", false, false}, {0x78, 0x56, 0x34, 0x12}},
      {"ASCII in reading order", {1000, "1000", true, true}, {'1', '0', '0', '0'}},
      {"ASCII reversed", {1000, "1000", true, false}, {'0', '0', '0', '1'}},
      {"ASCII short text pads with 0x00", {7, "7", true, true}, {'7', 0, 0, 0}},
      {"ASCII takes four characters", {123456, "123456", true, true}, {'1', '2', '3', '4'}},
  };
  for (const auto& c : cases) EXPECT_EQ(SerialBytes(c.Sn), c.Expected) << c.What;
}

TEST(SerialText, HexOrDecimal) {
  EXPECT_EQ(SerialText(0x100, false), "0x00000100");
  EXPECT_EQ(SerialText(0xFFFFFFFF, true), "4294967295");
}

TEST(ValidSnAddress, FlashOrDataMemoryWindow) {
  const ChipInfo stm8 = testjob::Stm8S105K4();
  EXPECT_FALSE(ValidSnAddress(stm8, 0x0000FFF0));  // the default address
  EXPECT_TRUE(ValidSnAddress(stm8, 0x8000));
  EXPECT_TRUE(ValidSnAddress(stm8, 0xBFFF));
  EXPECT_FALSE(ValidSnAddress(stm8, 0xC000));
  EXPECT_TRUE(ValidSnAddress(stm8, 0x43FF));
  EXPECT_FALSE(ValidSnAddress(stm8, 0x4400));
  ChipInfo stm32 = testjob::Stm32F103xB();
  stm32.EepBase = 0x08080000;  // no data memory: the window does not count
  stm32.EepEnd = 0x08080FFF;
  EXPECT_TRUE(ValidSnAddress(stm32, 0x0801FFFF));
  EXPECT_FALSE(ValidSnAddress(stm32, 0x08080000));
}

class WriteSerial : public testing::Test {
 protected:
  WriteSerial() : t(testjob::Stm32F103xB(), true) {
    std::fill(t.Buffers.Main.begin(), t.Buffers.Main.end(), uint8_t{0xFF});
    job.Views.MainBytesChanged = [this](uint32_t first, uint32_t last) { rows.push_back({first, last}); };
  }
  TestJob t;
  ImageJob job = t.Job();
  std::vector<std::pair<uint32_t, uint32_t>> rows;
};

TEST_F(WriteSerial, ANumberAcrossTwoRowsLandsWholeAndTheCheckValuesFollow) {
  WriteSerialToImage(job, {0x12345678, "", false, true}, 0x0800FFFE);
  EXPECT_EQ(t.Buffers.Main[0xFFFE], 0x12);
  EXPECT_EQ(t.Buffers.Main[0xFFFF], 0x34);
  EXPECT_EQ(t.Buffers.Main[0x10000], 0x56);
  EXPECT_EQ(t.Buffers.Main[0x10001], 0x78);
  EXPECT_EQ(t.Buffers.FlashSum, SumValue(t.Buffers.Main, 0, 0x1FFFF));
  EXPECT_EQ(t.Buffers.FlashCrc, GetBrevanCheckSum(t.Buffers.Main, 0, 0x1FFFF));
  char line[64];
  std::snprintf(line, sizeof line, "主 Flash CheckSum  = 0x%08x", unsigned(t.Buffers.FlashSum));
  EXPECT_EQ(t.Texts(), std::vector<std::string>{line});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], std::make_pair(0xFFFEu, 0x10001u));
}

TEST_F(WriteSerial, BytesOutsideTheMainBufferAreNotStored) {
  const std::vector<uint8_t> before = t.Buffers.Main;
  // An OTP address, and one whose end runs past the buffer.
  WriteSerialToImage(job, {0x12345678, "", false, true}, 0x1FFF7800);
  EXPECT_EQ(t.Buffers.Main, before);
  EXPECT_TRUE(rows.empty());
  WriteSerialToImage(job, {0x12345678, "", false, true}, 0x08000000 + MemoryBuffers::kMainSize - 2);
  EXPECT_EQ(t.Buffers.Main.size(), MemoryBuffers::kMainSize);
  EXPECT_EQ(t.Buffers.Main[MemoryBuffers::kMainSize - 2], 0x12);
  EXPECT_EQ(t.Buffers.Main[MemoryBuffers::kMainSize - 1], 0x34);
}

TEST(WriteSerialStm8, ANumberInTheEepromChangesItsCheckValues) {
  TestJob t(testjob::Stm8S105K4(), false);
  ImageJob job = t.Job();
  const uint16_t flashSum = SumValue(t.Buffers.Main, 0x8000, 0xBFFF);
  WriteSerialToImage(job, {0xA1B2C3D4, "", false, true}, 0x4010);
  EXPECT_EQ(t.Buffers.Main[0x4010], 0xA1);
  EXPECT_EQ(t.Buffers.Main[0x4013], 0xD4);
  EXPECT_EQ(t.Buffers.FlashSum, flashSum);
  EXPECT_EQ(t.Buffers.EepSum, SumValue(t.Buffers.Main, 0x4000, 0x43FF));
  EXPECT_EQ(t.Buffers.EepCrc, GetBrevanCheckSum(t.Buffers.Main, 0x4000, 0x43FF));
}

TEST(ChecksWithBytes, EqualsTheCheckValuesOfTheImageWithTheBytesWritten) {
  std::vector<uint8_t> image(10000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 31);
  const std::vector<BufferBytes> over = {{4094, {1, 2, 3, 4}}, {9998, {9, 9, 9}}};
  std::vector<uint8_t> written = image;
  for (const auto& o : over)
    for (size_t i = 0; i < o.Bytes.size() && o.Offset + i < written.size(); ++i) written[o.Offset + i] = o.Bytes[i];
  const RangeChecks c = ChecksWithBytes(image, {100, 9900}, over);
  EXPECT_EQ(c.Sum, SumValue(written, 100, 9999));
  EXPECT_EQ(c.Crc, GetBrevanCheckSum(written, 100, 9999));
}

}  // namespace
}  // namespace korvel
