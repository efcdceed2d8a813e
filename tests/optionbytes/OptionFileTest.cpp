#include "optionbytes/OptionFile.h"
#include "target/ImageLoading.h"

#include <cstring>

#include "OptionTestSupport.h"
#include "optionbytes/OptionDefaults.h"
#include "target/ImageFile.h"

namespace korvel {
namespace {

using test::Expected;
using test::Hex;
using test::Named;

class OptionFileTest : public ::testing::Test, protected test::OptionJob {
 protected:
  void Load(const std::string& path) {
    auto ctx = Ctx();
    LoadOptionFile(ctx, path);
  }

  test::TempDir dir_;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST_F(OptionFileTest, NeedsAChipAndStopsWhenCancelled) {
  Buffer.fill(0x42);
  auto ctx = Ctx();
  LoadOptionByteFileCommand(ctx);
  ASSERT_EQ(Prompts.Messages.size(), 1u);
  EXPECT_EQ(Prompts.Messages[0].Text, "请先选择芯片型号！");
  EXPECT_EQ(Buffer[0], 0x42);

  Choose("STM32F103xB");
  Prompts.FileNames = {std::nullopt};
  LoadOptionByteFileCommand(ctx);
  EXPECT_TRUE(Log.Lines().empty());
  EXPECT_EQ(OptionOpenDialog().Filters[OptionOpenDialog().FilterIndex],
            "All Option Byte Files(*.BIN,*.HEX,*.S*,*.FRB)|*.BIN;*.HEX;*.S*;*.FRB");
}

TEST_F(OptionFileTest, BinaryFileForF1GetsItsComplements) {
  Choose("STM32F103xB");
  const auto path = dir_.File("opt.bin", Bytes({0xAA, 1, 0x12, 2, 0x34, 3, 0x56, 4, 0x78, 5,
                                               0x9A, 6, 0xBC, 7, 0xDE, 8, 0x77}));
  Prompts.FileNames = {path};
  auto ctx = Ctx();
  LoadOptionByteFileCommand(ctx);
  EXPECT_EQ(Hex(Buffer),
            Hex(Expected(0xFF, {{0, "AA 55 12 ED 34 CB 56 A9 78 87 9A 65 BC 43 DE 21 77"}})));
  ASSERT_EQ(Log.Lines().size(), 3u);
  EXPECT_EQ(Log.Lines()[0], "> 03:04:05 Load Option Data file of \"" + path + "\" at 2026-01-02");
  EXPECT_EQ(Log.Lines()[1], "> Option Byte: aa 12 34 56 78 9a bc de ");
}

TEST_F(OptionFileTest, FrbFilesShortAndImage) {
  Choose("STM8L152C6");
  std::string shortFile(32, '\x11');
  shortFile += Bytes({1, 2, 3, 4, 5, 6, 7, 8});
  Load(dir_.File("short.FRB", shortFile));
  EXPECT_EQ(Hex(Buffer), Hex(Expected(0x00, {{0, "01 02 03 04 05 06 07 08"}})));

  // A header alone gives an all-zero buffer.
  Load(dir_.File("header.frb", std::string(20, '\x11')));
  EXPECT_EQ(Hex(Buffer), Hex(Expected(0x00, {})));

  Choose("STM8S105K4");
  std::string image(60000, '\x33');
  for (int i = 0; i < 32; ++i) image[32 + 0x4800 + i] = static_cast<char>(0xA0 + i);
  image[32 + 0x487E] = '\x5A';
  Load(dir_.File("image.FRB", image));
  // Offsets 0..31 from the image, then the STM8 complements over them.
  EXPECT_EQ(Hex(Buffer),
            Hex(Expected(0x00, {{0, "A0 A1 5E A3 5C A5 5A A7 58 A9 56 AB 54 AD 52 AF "
                                    "B0 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA BB BC BD BE BF"},
                                {126, "5A A5"}})));
}

TEST_F(OptionFileTest, HexAndSRecordLandAtTheFamilyBase) {
  Choose("STM8S105K4");
  const uint8_t stm8[] = {0xAA, 0x11, 0x00, 0x22};
  const auto hex = dir_.Path("opt.hex");
  ASSERT_TRUE(WriteIntelHexFile(hex, stm8, 0x4800, 0x4800, 0x4803).Ok);
  Load(hex);
  EXPECT_EQ(Hex(Buffer), Hex(Expected(0x00, {{0, "AA 11 EE 22 DD 00 FF 00 FF 00 FF 00 FF 00 FF"},
                                              {127, "FF"}})));

  Choose("STM32F103xB");
  const uint8_t f1[] = {0xA5, 0x00, 0x7F};
  const auto s19 = dir_.Path("opt.S19");
  ASSERT_TRUE(WriteSRecordFile(s19, f1, 0x1FFFF800, 0x1FFFF800, 0x1FFFF802).Ok);
  Load(s19);
  EXPECT_EQ(Hex(Buffer),
            Hex(Expected(0xFF, {{0, "A5 5A 7F 80 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})));
}

TEST_F(OptionFileTest, DamagedHexIsReportedAndKeepsWhatLoaded) {
  Choose("STM32F429xI");
  // The third line's checksum is wrong.
  const auto path = dir_.File("bad.HEX",
                              ":020000041FFFDC\n"
                              ":04C00000EFAAFF3F65\n"
                              ":04C00400010203040F\n"
                              ":00000001FF\n");
  Load(path);
  EXPECT_EQ(Hex(Buffer), Hex(Expected(0xFF, {{0, "EF AA FF 3F"}})));
  ASSERT_GE(Log.Lines().size(), 2u);
  EXPECT_NE(Log.Lines()[1].find("line 3"), std::string::npos) << Log.Lines()[1];

  Log.Clear();
  Load(dir_.Path("missing.bin"));
  EXPECT_EQ(Log.Lines().size(), 4u);  // announce, the reason, two printed lines
}

TEST_F(OptionFileTest, UnknownExtensionLeavesTheFillWithComplements) {
  Choose("STM32F103xB");
  Load(dir_.File("opt.txt", "whatever"));
  EXPECT_EQ(Hex(Buffer),
            Hex(Expected(0xFF, {{0, "FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00 FF 00"}})));
  EXPECT_EQ(Log.Lines().size(), 3u);
  EXPECT_EQ(UpperExtension("/a.b/name"), "");
  EXPECT_EQ(UpperExtension("x.s19"), "S19");
}

TEST_F(OptionFileTest, SaveWritesPlainBinaryAndTheCheckValues) {
  Choose("STM32F103xB");
  const auto path = dir_.Path("saved.HEX");
  Prompts.FileNames = {path};
  uint16_t optSum = 0, optCrc = 0;
  auto ctx = Ctx();
  ASSERT_TRUE(SaveOptionByteCommand(ctx, optSum, optCrc));
  std::string bytes, error;
  ASSERT_TRUE(ReadFileBytes(path, bytes, error));
  ASSERT_EQ(bytes.size(), 128u);
  EXPECT_EQ(0, std::memcmp(bytes.data(), Buffer.data(), 128));
  EXPECT_EQ(optSum, ComputeOptionChecksums(Buffer).OptSum);
  EXPECT_EQ(optCrc, ComputeOptionChecksums(Buffer).OptCrc);

  Prompts.FileNames = {dir_.Path("no/such/dir/x.bin")};
  EXPECT_FALSE(SaveOptionByteCommand(ctx, optSum, optCrc));
  EXPECT_EQ(Log.Lines().size(), 1u);
  Prompts.FileNames = {std::nullopt};
  EXPECT_FALSE(SaveOptionByteCommand(ctx, optSum, optCrc));
}

// Bit by bit, independent of the table-driven one under test.
uint16_t ReferenceCrc(const OptionBuffer& b) {
  uint16_t crc = 0xFFFF;
  for (uint8_t v : b) {
    crc ^= static_cast<uint16_t>(v << 8);
    for (int i = 0; i < 8; ++i)
      crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

TEST(OptionChecksums, SumAndCrcOverAll128Bytes) {
  OptionBuffer b{};
  EXPECT_EQ(ComputeOptionChecksums(b).OptSum, 0x0000);  // a zero sum stays 0
  EXPECT_EQ(ComputeOptionChecksums(b).OptCrc, ReferenceCrc(b));
  b.fill(0xFF);
  EXPECT_EQ(ComputeOptionChecksums(b).OptSum, 0x8080);
  b[127] = 0x00;
  EXPECT_EQ(ComputeOptionChecksums(b).OptSum, 0x817F);
  EXPECT_EQ(ComputeOptionChecksums(b).OptCrc, ReferenceCrc(b));
}

}  // namespace
}  // namespace korvel
