// The load commands over real files, the check-value report and EnWrtEep.
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

#include "BufferTestJob.h"
#include "ImageTestFiles.h"
#include "target/ChecksumReport.h"
#include "target/ImageCommands.h"
#include "target/ImageFile.h"
#include "target/ImageLoading.h"

namespace korvel {
namespace {

using namespace testfiles;
using namespace testjob;

std::string Hex4(uint32_t v) {
  char t[16];
  std::snprintf(t, sizeof t, "0x%.4x", v);
  return t;
}
std::string Hex8(uint32_t v) {
  char t[16];
  std::snprintf(t, sizeof t, "0x%.8x", v);
  return t;
}

uint32_t Sum(const std::vector<uint8_t>& v, size_t first, size_t last) {
  return std::accumulate(v.begin() + first, v.begin() + last + 1, 0u);
}

const std::string kSep = "...........................................";

TEST(BufferLoad, Stm8OpenHexReportsEveryLineInOrder) {
  TempDir dir;
  TestJob t(Stm8S105K4(), false);
  std::vector<uint8_t> image(0x10000, 0);
  for (uint32_t a = 0x8000; a < 0x8100; ++a) image[a] = uint8_t(a * 7 + 1);
  image[0x4001] = 0x5A;  // one EEPROM byte
  const std::string file = dir / "app.hex";
  ASSERT_TRUE(WriteIntelHexFile(file, image, 0, 0x8000, 0x80FF).Ok);
  ASSERT_TRUE(WriteIntelHexFile(dir / "eep.hex", image, 0, 0x4000, 0x400F).Ok);
  t.Prompts.FileNames = {file};
  ImageJob job = t.Job();
  OpenObjectFileCommand(job);

  const uint32_t flash = Sum(image, 0x8000, 0xBFFF);
  const uint32_t fileSum = Sum(image, 0x8000, 0x80FF);
  const std::vector<std::string> expected = {
      "Load object file of \"" + file + "\" at 2026-12-05",
      "Current EEP Data CheckSum = 0x0000",
      "Current EEP Data CRC Sum  = " + Hex4(t.Buffers.EepCrc),
      kSep,
      "目标EEP Data首地址 = 0x4000.",
      "目标EEP Data尾地址 = 0x43ff.",
      kSep,
      "目标Flash首地址 = 0x8000.",
      "目标Flash尾地址 = 0xbfff.",
      kSep,
      "目标文件首地址 = 0x8000.",
      "目标文件尾地址 = 0x80ff.",
      kSep,
      "主 Flash CheckSum  = " + Hex4((0x10000 - flash) & 0xFFFF),
      "EEP Data CheckSum  = 0x0000",
      "ST Flash CheckSum  = " + Hex8(flash),
      "Open File CheckSum  = " + Hex8(fileSum),
      kSep};
  EXPECT_EQ(t.Texts(), expected);
  EXPECT_EQ(t.App.Controls.StatusPanels[0], "文件校验和：" + Hex4((0x10000 - fileSum) & 0xFFFF));
  EXPECT_EQ(t.App.Controls.StatusPanels[1], "芯片校验和：" + Hex4((0x10000 - flash) & 0xFFFF));
  EXPECT_EQ(t.App.Controls.StatusPanels[2], file);
  EXPECT_TRUE(t.App.Flags.ImageLoaded);
  // Cleared to 0x00 and no EEP data yet: nothing to write.
  EXPECT_FALSE(t.App.Controls.EnWrtEep.Checked);

  t.Prompts.FileNames = {dir / "eep.hex"};
  LoadEepDataCommand(job);
  EXPECT_TRUE(t.App.Controls.EnWrtEep.Checked);
  EXPECT_EQ(t.Texts().back(), "Current EEP Data CRC Sum  = " + Hex4(t.Buffers.EepCrc));
  EXPECT_EQ(t.Buffers.EepSum, 0x10000 - 0x5A);
}

TEST(BufferLoad, Stm32S28WithOptionBytesFillsOptionBuffer) {
  TempDir dir;
  TestJob t(Stm32F103xB(), true);
  std::vector<uint8_t> code = RandomBytes(0x400, 3), option = {0xA5, 0x5A, 0x00, 0xFF};
  // Code and option records in one file: the first part without its
  // count and terminator records.
  std::string text = FormatSRecord(code, 0x08000000, 0x08000000, 0x080003FF, "x");
  text = text.substr(0, text.find("\r\nS5") + 2);
  text += FormatSRecord(option, 0x1FFFF800, 0x1FFFF800, 0x1FFFF803, "y");
  WriteText(dir / "app.s28", text);
  t.Prompts.FileNames = {dir / "app.s28"};
  ImageJob job = t.Job();
  OpenObjectFileCommand(job);
  EXPECT_EQ(t.Option[0], 0xA5);
  EXPECT_EQ(t.Option[3], 0xFF);
  EXPECT_EQ(t.Option[4], 0xEE);
  EXPECT_EQ(t.Buffers.LoadLow, 0x08000000u);
  EXPECT_EQ(t.Buffers.LoadHigh, 0x0801FFFFu);
  EXPECT_TRUE(std::equal(code.begin(), code.end(), t.Buffers.Main.begin()));
  EXPECT_EQ(t.Buffers.Main[0x400], 0xFF);  // an STM32 F1 image is cleared to 0xFF
  EXPECT_TRUE(t.Prompts.Messages.empty());
  const auto texts = t.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "目标文件尾地址 = 0x801ffff."), texts.end());
}

TEST(BufferLoad, LowerCaseBinAtTheOffsetTheOperatorGave) {
  TempDir dir;
  TestJob t(Stm8S105K4(), false);
  auto bytes = RandomBytes(0x8000, 9);
  WriteBytes(dir / "app.bin", bytes);
  t.OffsetAnswer = "0x00008000";
  ImageJob job = t.Job();
  LoadObjectFile(job, dir / "app.bin", true);
  EXPECT_EQ(t.OffsetShown, std::vector<std::string>{"0x00008000"});
  EXPECT_EQ(t.Buffers.LoadLow, 0x8000u);
  EXPECT_EQ(t.Buffers.LoadHigh, 0xFFFFu);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), t.Buffers.Main.begin() + 0x8000));
  // The file is larger than the 16 KB chip.
  ASSERT_EQ(t.Prompts.Messages.size(), 1u);
  EXPECT_EQ(t.Prompts.Messages[0].Text, "文件大小超出芯片空间，请确认芯片型号是否正确!");
}

TEST(BufferLoad, BinOffsetOutsideTheBufferLoadsNothing) {
  TempDir dir;
  TestJob t(Stm32F103xB(), true);
  WriteBytes(dir / "app.bin", RandomBytes(64, 1));
  ImageJob job = t.Job();
  const std::pair<const char*, const char*> kOutside[] = {{"0x07FFFFF0", "0x07fffff0"},
                                                          {"0x08200000", "0x08200000"}};
  for (auto [text, shown] : kOutside) {
    t.Buffers.Main.assign(MemoryBuffers::kMainSize, 0x11);
    t.OffsetAnswer = text;
    LoadObjectFile(job, dir / "app.bin", false);
    EXPECT_EQ(t.Texts().back(),
              "BIN offset " + std::string(shown) + " lies outside the image buffer; nothing loaded");
    EXPECT_EQ(std::count(t.Buffers.Main.begin(), t.Buffers.Main.end(), 0x11),
              ptrdiff_t(MemoryBuffers::kMainSize));
  }
  // Closing the dialog without OK loads at the start of the flash area.
  t.OffsetAnswer.reset();
  LoadObjectFile(job, dir / "app.bin", false);
  EXPECT_EQ(t.Buffers.LoadLow, 0x08000000u);
  EXPECT_EQ(t.Buffers.LoadHigh, 0x0800003Fu);
}

TEST(BufferLoad, LoadMoreKeepsEarlierDataAndReportsTheLastRange) {
  TempDir dir;
  TestJob t(Stm32F103xB(), true);
  std::vector<uint8_t> a(16, 0x11), b(16, 0x22);
  ASSERT_TRUE(WriteIntelHexFile(dir / "a.hex", a, 0x08000000, 0x08000000, 0x0800000F).Ok);
  ASSERT_TRUE(WriteIntelHexFile(dir / "b.HEX", b, 0x08010000, 0x08010000, 0x0801000F).Ok);
  t.Prompts.FileNames = {dir / "a.hex", dir / "b.HEX"};
  ImageJob job = t.Job();
  OpenObjectFileCommand(job);
  LoadMoreFilesCommand(job);
  EXPECT_EQ(t.Buffers.Main[0x0], 0x11);
  EXPECT_EQ(t.Buffers.Main[0x10000], 0x22);
  EXPECT_EQ(t.Buffers.LoadLow, 0x08010000u);
  EXPECT_EQ(t.Buffers.LoadHigh, 0x0801000Fu);
}

TEST(BufferLoad, UnknownExtensionAndMissingChip) {
  TestJob t(Stm8S105K4(), false);
  ImageJob job = t.Job();
  const ObjectLoad load = LoadObjectFile(job, "/tmp/app.elf", true);
  EXPECT_EQ(t.Texts().back(), "读取文件失败：无效的文件格式!");
  EXPECT_FALSE(t.App.Flags.ImageLoaded);
  EXPECT_EQ(load.Error, "/tmp/app.elf: 读取文件失败：无效的文件格式!");

  TestJob none(ChipInfo{}, false);
  none.App.Flags.ChipSelected = false;
  ImageJob j2 = none.Job();
  for (auto* command : {&OpenObjectFileCommand, &LoadMoreFilesCommand, &LoadEepDataCommand,
                        &LoadOtpDataCommand}) {
    none.Prompts.Messages.clear();
    command(j2);
    ASSERT_EQ(none.Prompts.Messages.size(), 1u);
    EXPECT_EQ(none.Prompts.Messages[0].Text, "请先选择芯片型号！");
  }
  EXPECT_TRUE(none.App.Log.Lines().empty());
}

TEST(BufferLoad, ExtensionKinds) {
  EXPECT_EQ(ObjectFileKind("/x/app.bin"), ImageKind::Binary);
  EXPECT_EQ(ObjectFileKind("/x.y/app"), ImageKind::Binary);
  EXPECT_EQ(ObjectFileKind("app.hexa"), ImageKind::IntelHex);
  EXPECT_EQ(ObjectFileKind("app.s37"), ImageKind::SRecord);
  EXPECT_EQ(ObjectFileKind("app.sx"), ImageKind::Unknown);
  EXPECT_EQ(ObjectFileKind("app.mot"), ImageKind::Unknown);
  EXPECT_EQ(EepFileKind("e.s28"), ImageKind::Unknown);
  EXPECT_EQ(EepFileKind("e.bin"), ImageKind::Binary);
}

TEST(BufferLoad, ZeroKilobyteChipShowsNoFlashRange) {
  ChipInfo chip = Stm32F103xB();
  chip.FlashSizeKB = 0;
  chip.FlashEnd = chip.FlashBase - 1;
  TestJob t(chip, true);
  ImageJob job = t.Job();
  const auto texts = ReportChecksums(job);
  for (const auto& line : texts) EXPECT_EQ(line.find("目标Flash"), std::string::npos) << line;
  EXPECT_EQ(texts.at(1), "主 Flash CheckSum  = 0x0000");
  EXPECT_EQ(texts.at(2), "ST Flash CheckSum  = 0x00000000");
}

TEST(BufferLoad, OtpFileChecksumsAndFills) {
  TempDir dir;
  TestJob t(Stm32F407xG(), true);
  std::vector<uint8_t> otp = {1, 2, 3, 4};
  ASSERT_TRUE(WriteIntelHexFile(dir / "otp.hex", otp, 0x1FFF7800, 0x1FFF7800, 0x1FFF7803).Ok);
  t.Prompts.FileNames = {dir / "otp.hex"};
  ImageJob job = t.Job();
  LoadOtpDataCommand(job);
  EXPECT_EQ(t.Buffers.Data[0], 1);
  EXPECT_EQ(t.Buffers.Data[4], 0xFF);
  const uint32_t sum = 10 + 524 * 0xFF;
  EXPECT_EQ(t.Texts().back(), "OTP Data CheckSum  = " + Hex4((0x10000 - sum) & 0xFFFF));
  EXPECT_TRUE(t.App.Controls.EnWrtEep.Checked);

  FillDataMemory(job, 0xFF);
  EXPECT_EQ(t.Buffers.Data[0], 0xFF);
  EXPECT_EQ(t.Texts().back(), "Cuurent OTP Data CRC Sum = " + Hex4(t.Buffers.EepCrc));
  UpdateEepWriteEnable(job);
  EXPECT_FALSE(t.App.Controls.EnWrtEep.Checked);
}

TEST(BufferLoad, SavedImagesLoadBackIdentically) {
  TempDir dir;
  TestJob t(Stm32F103xB(), true);
  auto code = RandomBytes(0x20000, 4);
  std::copy(code.begin(), code.end(), t.Buffers.Main.begin());
  t.App.Flags.ImageLoaded = true;
  ImageJob job = t.Job();
  for (const char* name : {"out.bin", "out.hex", "out.S19"}) {
    t.Prompts.FileNames = {dir / name};
    SaveMemoryCommand(job);
    ASSERT_EQ(t.Prompts.Messages.back().Text, "文件\"" + (dir / name) + "\"以保存！");
    std::vector<uint8_t> back(0x20000, 0);
    if (std::string(name) == "out.bin") {
      back = ReadBytes(dir / name);
    } else {
      ImageRegion r{0x08000000, back};
      auto res = name[4] == 'h' ? ReadIntelHexFile(dir / name, {&r, 1})
                                : ReadSRecordFile(dir / name, {&r, 1});
      EXPECT_EQ(res.IssueCount, 0u);
    }
    EXPECT_TRUE(back == code) << name;
  }
}

}  // namespace
}  // namespace korvel
