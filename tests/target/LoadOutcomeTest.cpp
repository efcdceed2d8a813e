// What a load leaves the job with: an image to program only when the file
// was read whole, every record was good and some of it is for the chip.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <numeric>

#include "BufferTestJob.h"
#include "ImageTestFiles.h"
#include "target/ChipListing.h"
#include "target/ChipSeries.h"
#include "target/ImageCommands.h"
#include "target/ImageFile.h"
#include "target/ImageLoading.h"

namespace korvel {
namespace {

using namespace testfiles;
using namespace testjob;

bool Logged(const TestJob& t, const std::string& text) {
  const auto texts = t.Texts();
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A chip as the chip dialog confirms it.
TestJob JobFor(const std::string& name) {
  const ChipLocation at = FindChip(name);
  EXPECT_TRUE(at.Found()) << name;
  return TestJob(FreshConfirmation(at.Stm32, at.Series, at.Index), at.Stm32);
}

// Opens path as "&Load Object File" does and returns how the load ended.
ObjectLoad Open(TestJob& t, const std::string& path) {
  ImageJob job = t.Job();
  ClearBuffersForOpen(t.Buffers, t.App.Flags.Stm32Family, t.Chip.FamilyCode);
  t.Buffers.ShowFileRange = true;
  return LoadObjectFile(job, path, true);
}

const char* const kGoodHex = ":0480000011223344D2\n:0480040055667788BE\n:0280080099AA33\n:00000001FF\n";

struct DamageCase {
  const char* Name;
  const char* File;
  const char* Text;
  const char* FirstBad;
};

// Line 1 is good in each, the damage is on line 2.
const DamageCase kDamaged[] = {
    {"Checksum", "app.hex", ":0480000011223344D2\n:0480040055667788BF\n:0280080099AA33\n",
     "line 2: checksum error"},
    {"LengthByte", "app.hex", ":0480000011223344D2\n:0580040055667788BE\n:0280080099AA33\n",
     "line 2: bad length: record truncated"},
    {"TruncatedLine", "app.hex", ":0480000011223344D2\n:04800400556677",
     "line 2: bad length: record truncated"},
    {"NonHexCharacter", "app.hex", ":0480000011223344D2\n:0480040055667G88BE\n",
     "line 2: non-hex character"},
    {"UnknownRecordType", "app.hex", ":0480000011223344D2\n:00000007F9\n:00000001FF\n",
     "line 2: unknown record type 07"},
    {"SRecordChecksum", "app.s19", "S107800011223344CE\nS107800455667788BB\nS9030000FC\n",
     "line 2: checksum error"},
};

class DamagedFile : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFile, LeavesNoLoadedImageButKeepsTheGoodRecordsToLookAt) {
  const DamageCase& c = GetParam();
  TempDir dir;
  const std::string path = dir / c.File;
  WriteText(path, c.Text);
  TestJob t(Stm8S105K4(), false);
  int flashViewRefreshed = 0;
  ImageJob job = t.Job();
  job.Views.FlashViewChanged = [&] { ++flashViewRefreshed; };
  ClearBuffersForOpen(t.Buffers, false, t.Chip.FamilyCode);
  const ObjectLoad load = LoadObjectFile(job, path, true);

  EXPECT_FALSE(load.Loaded);
  EXPECT_FALSE(t.App.Flags.ImageLoaded);
  EXPECT_EQ(load.Error, path + ": " + c.FirstBad);
  EXPECT_TRUE(Logged(t, load.Error));
  EXPECT_EQ(t.Buffers.Main[0x8000], 0x11);
  EXPECT_EQ(t.Buffers.Main[0x8003], 0x44);
  EXPECT_EQ(flashViewRefreshed, 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedFile, ::testing::ValuesIn(kDamaged),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LoadOutcome, AFailedFileSpoilsLoadMoreUntilTheNextOpen) {
  TempDir dir;
  WriteText(dir / "good.hex", kGoodHex);
  WriteText(dir / "more.hex", ":014000005A65\n:00000001FF\n");
  WriteText(dir / "bad.hex", ":0480000011223344D3\n");
  TestJob t(Stm8S105K4(), false);
  ImageJob job = t.Job();

  t.Prompts.FileNames = {dir / "good.hex", dir / "bad.hex", dir / "more.hex"};
  OpenObjectFileCommand(job);
  EXPECT_TRUE(t.App.Flags.ImageLoaded);
  LoadMoreFilesCommand(job);
  EXPECT_FALSE(t.App.Flags.ImageLoaded);
  // A good file on top does not make the image whole again.
  LoadMoreFilesCommand(job);
  EXPECT_FALSE(t.App.Flags.ImageLoaded);
  EXPECT_EQ(t.Buffers.Main[0x4000], 0x5A);
  EXPECT_TRUE(Logged(t, dir / "more.hex" +
                            ": an earlier file of this image failed to load; load the object file again"));

  t.Prompts.FileNames = {dir / "good.hex"};
  OpenObjectFileCommand(job);
  EXPECT_TRUE(t.App.Flags.ImageLoaded);

  // A data file that cannot be read whole spoils the job the same way.
  WriteText(dir / "bad-eep.hex", ":014000005A66\n");
  t.Prompts.FileNames = {dir / "bad-eep.hex"};
  LoadEepDataCommand(job);
  EXPECT_FALSE(t.App.Flags.ImageLoaded);
  EXPECT_TRUE(Logged(t, dir / "bad-eep.hex" + ": line 1: checksum error"));
}

struct Chunk {
  uint32_t Address;
  size_t Size;
};

struct CoverageCase {
  const char* Name;
  const char* Chip;
  std::vector<Chunk> Chunks;
  bool Loaded;
  bool Warned;  // "file exceeds the chip"
};

const CoverageCase kCoverage[] = {
    {"Stm8FlashOnly", "STM8S105K4", {{0x8000, 64}}, true, false},
    {"Stm8EepromOnly", "STM8S105K4", {{0x4000, 16}}, true, false},
    {"Stm8RamOnly", "STM8S105K4", {{0x0100, 16}}, false, false},
    {"Stm8PastTheFlash", "STM8S105K4", {{0xBFF0, 32}}, true, true},
    {"Stm8WhollyPastTheChip", "STM8S105K4", {{0x20000, 16}}, false, true},
    {"F1FlashAndOptionBytes", "STM32F103xB", {{0x08000000, 64}, {0x1FFFF800, 16}}, true, false},
    {"F1OptionBytesOnly", "STM32F103xB", {{0x1FFFF800, 16}}, false, false},
    // Chips without data memory have their data end far above everything.
    {"F1PastTheFlash", "STM32F103xB", {{0x0801FFF0, 32}}, true, true},
    {"F1PastTheFlashWithOptionBytes", "STM32F103xB",
     {{0x08000000, 16}, {0x08020000, 16}, {0x1FFFF800, 16}}, true, true},
    // OTP chips have their data memory in system memory.
    {"F4OtpChipPastTheFlash", "STM32F407xG", {{0x08000000, 16}, {0x08100000, 16}}, true, true},
    {"F4OtpBytesBesideFlash", "STM32F407xG", {{0x08000000, 16}, {0x1FFF7800, 16}}, true, false},
    {"L1EepromAboveTheFlash", "STM32L152xB", {{0x08000000, 16}, {0x08080000, 16}}, true, false},
    {"L1PastTheFlashBelowTheEeprom", "STM32L152xB", {{0x08000000, 16}, {0x08030000, 16}}, true,
     true},
    {"BlueNrgFlash", "BlueNRG-232", {{0x10040000, 256}}, true, false},
};

class Coverage : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(Coverage, LoadedWhenSomeOfItIsForTheChipWarnedWhenSomeIsBeyond) {
  const CoverageCase& c = GetParam();
  TempDir dir;
  std::vector<ImageChunk> chunks;
  for (size_t i = 0; i < c.Chunks.size(); ++i)
    chunks.push_back({c.Chunks[i].Address, RandomBytes(c.Chunks[i].Size, unsigned(i) + 1)});
  const std::string path = dir / "app.hex";
  WriteText(path, FormatIntelHex(chunks));
  TestJob t = JobFor(c.Chip);
  const ObjectLoad load = Open(t, path);

  EXPECT_EQ(load.Loaded, c.Loaded) << load.Error;
  EXPECT_EQ(t.App.Flags.ImageLoaded, c.Loaded);
  if (!c.Loaded) {
    EXPECT_EQ(load.Error, path + ": none of its data lies in the chip's flash or data memory");
  }
  size_t warnings = 0;
  for (const auto& m : t.Prompts.Messages)
    if (m.Text == "文件大小超出芯片空间，请确认芯片型号是否正确!") ++warnings;
  EXPECT_EQ(warnings, c.Warned ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, Coverage, ::testing::ValuesIn(kCoverage),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LoadOutcome, BlueNrgFileChecksumIsOverTheBytesWhereTheImageLies) {
  TempDir dir;
  const auto bytes = RandomBytes(300, 7);
  const std::string hex = dir / "app.hex", bin = dir / "app.bin";
  WriteText(hex, FormatIntelHex(std::vector<ImageChunk>{{0x10040000, bytes}}));
  WriteBytes(bin, bytes);
  const uint32_t sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
  char panel[64], line[64];
  std::snprintf(panel, sizeof panel, "文件校验和：0x%.4x", (0x10000 - sum) & 0xFFFF);
  std::snprintf(line, sizeof line, "Open File CheckSum  = 0x%.8x", sum);
  for (const std::string& path : {hex, bin}) {
    TestJob t = JobFor("BlueNRG-232");
    ASSERT_TRUE(Open(t, path).Loaded) << path;
    EXPECT_EQ(t.App.Controls.StatusPanels[0], panel) << path;
    EXPECT_TRUE(Logged(t, line)) << path;
  }
}

TEST(LoadOutcome, OnlyRegularFilesOfUpTo64MegabytesAreRead) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "folder.hex").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.bin").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((dir / "fifo.s19").c_str(), 0600), 0);
  WriteText(dir / "big.hex", "");
  ASSERT_EQ(truncate((dir / "big.hex").c_str(), (64 << 20) + 1), 0);  // sparse
  const std::pair<std::string, std::string> kRefused[] = {
      {dir / "folder.hex", "is a directory, not a file"},
      {dir / "fifo.bin", "not a regular file"},
      {dir / "fifo.s19", "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {dir / "big.hex", "larger than 64 MB"},
      {dir / "missing.hex", "No such file or directory"},
  };
  for (const auto& [path, why] : kRefused) {
    TestJob t(Stm8S105K4(), false);
    const ObjectLoad load = Open(t, path);
    EXPECT_FALSE(t.App.Flags.ImageLoaded) << path;
    EXPECT_EQ(load.Error, path + ": " + why);
    EXPECT_TRUE(Logged(t, load.Error)) << path;
  }
  // The same rule for every reader of whole files.
  std::string bytes, error;
  EXPECT_FALSE(ReadFileBytes(dir / "fifo.bin", bytes, error));
  EXPECT_EQ(error, dir / "fifo.bin" + ": not a regular file");
}

TEST(LoadOutcome, FileNameThatIsNotUtf8IsKeptAsItsBytes) {
  TempDir dir;
  const std::string path = dir / "\xff\xfe image \xc3(.hex";
  WriteText(path, kGoodHex);
  TestJob t(Stm8S105K4(), false);
  std::string shown;
  ImageJob job = t.Job();
  job.Views.ProductNameChanged = [&](const std::string& name) { shown = name; };
  t.Prompts.FileNames = {path};
  OpenObjectFileCommand(job);
  EXPECT_TRUE(t.App.Flags.ImageLoaded);
  EXPECT_EQ(shown, "\xff\xfe image \xc3(.hex");
  EXPECT_EQ(t.App.Controls.StatusPanels[2], path);
  EXPECT_EQ(t.Texts().front(), "Load object file of \"" + path + "\" at 2026-12-05");
}

}  // namespace
}  // namespace korvel
