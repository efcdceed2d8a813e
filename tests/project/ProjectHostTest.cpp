// Saving and opening whole jobs through the host, as the menu entries and
// the start-up argument do.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "app/CaptureJobSettings.h"
#include "app/Clock.h"
#include "engine/Host.h"
#include "engine/ProjectLoad.h"
#include "engine/ProjectSave.h"
#include "support/ClosedLink.h"
#include "target/ChecksumReport.h"
#include "target/ImageTestFiles.h"

namespace korvel {
namespace {

using namespace testfiles;

using testing_support::ClosedLink;

// One program: its host, clock and the prompts it showed.
struct Program {
  Program() {
    HostOptions o;
    o.Links = [](int) { return std::make_unique<ClosedLink>(); };
    o.ExplicitPorts = std::vector<std::string>{};
    host = std::make_unique<Host>(clock, prompts, std::move(o));
  }
  Host& operator*() { return *host; }
  Host* operator->() { return host.get(); }

  FixedClock clock{MakeTime(2026, 12, 5, 7, 14, 11)};
  RecordingPrompts prompts;
  std::unique_ptr<Host> host;
  std::string sourceName;
};

std::string Hex8(uint32_t v) {
  char t[16];
  std::snprintf(t, sizeof t, "0x%08X", v);
  return t;
}

auto ChipFields(const ChipInfo& c) {
  return std::tuple(c.ChipName, c.FamilyCode, c.ChipSubCode, c.FlashSizeKB, c.FlashBase,
                    c.FlashEnd, c.BlockSize, c.FlashBlocks, c.EepSize, c.EepBase, c.EepEnd,
                    c.OptionByteAddr, c.HasOtp, c.SectorMapCode, c.FlashVariantCode,
                    c.VariantFlag, c.DualBank, c.Needs18V, c.BlueNrgMode);
}

auto SettingFields(const JobSettings& s) {
  return std::tuple(s.ModeFlags, s.PowerFlags, s.OptionFlags, s.AutoDetect, s.InsertSettleTime,
                    s.RemoveSettleTime, s.PowerUpDelay, s.PowerDownDelay, s.SignalFlags,
                    s.LimitFlag, s.MaxCount, s.SnMode, s.SnWidth, s.SnStep, s.SnValue,
                    s.SnAddress, s.EepEnabled);
}

auto CheckFields(const MemoryBuffers& b) {
  return std::tuple(b.FlashSum, b.FlashCrc, b.EepSum, b.EepCrc, b.OptSum, b.OptCrc);
}

// Where the data-memory image of the chip lives.
std::span<uint8_t> DataRegion(Host& h) {
  const ChipInfo& c = h.Chip;
  if (!h.App.Flags.Stm32Family) return std::span(h.Buffers.Main).subspan(c.EepBase, c.EepSize);
  if (c.HasOtp) return std::span(h.Buffers.Data).first(c.EepSize);
  return std::span(h.Buffers.Main).subspan(MainIndex(c.EepBase), c.EepSize);
}

std::span<uint8_t> FlashRegion(Host& h) {
  const ChipInfo& c = h.Chip;
  return std::span(h.Buffers.Main)
      .subspan(ProjectFlashStart(h.App.Flags.Stm32Family, c), size_t{c.FlashSizeKB} * 1024);
}

// A job as an operator would leave it: chip, image, data, option bytes and
// settings off their defaults.
void PrepareJob(Program& p, const std::string& chipName, unsigned seed) {
  Host& h = *p;
  ASSERT_FALSE(h.SelectChipByName(chipName)) << chipName;
  const auto fill = [seed](std::span<uint8_t> s, unsigned salt) {
    const auto v = RandomBytes(s.size(), seed + salt);
    std::copy(v.begin(), v.end(), s.begin());
  };
  fill(FlashRegion(h), 1);
  fill(DataRegion(h), 2);
  fill(h.Options, 3);
  MainControls& c = h.App.Controls;
  c.CheckBoxSN.Checked = true;
  c.SNEdit.Text = "0x00001234";
  c.GainEdit.Text = "0x02";
  c.AddrEdit.Text = Hex8(h.Chip.FlashBase + 0x100);
  c.ChkBoxSNDP.Checked = seed % 2 == 1;
  c.CheckBoxCtrl.Checked = true;
  c.SpinEditNum.Value = 500;
  c.ChkBoxAuto.Checked = true;
  c.SpinEditIn.Value = 510;
  c.SpinEditOut.Value = 2000;
  c.SpinEditVddTim.Value = 250;
  c.RadioGrpRST.ItemIndex = 1;
  c.ChkBoxVDD.Checked = false;
  c.CheckBoxRun.Checked = true;
  c.ChkBoxIgnOptB.Checked = true;
  c.EnWrtEep.Checked = true;
  h.App.Flags.Supports18V = true;
  h.App.Flags.ImageLoaded = true;
  ReportChecksums(h.Images());
  UpdateDataChecksums(h.Images());
}

ProjectSaveResult Save(Program& p, const std::string& path, uint32_t seed = 5) {
  StdRandomSource random(seed);
  return SaveProjectAs(p->Images(), {"Widget", p.sourceName}, path, random);
}

ProjectFileRead Open(Program& p, const std::string& path) {
  return OpenProject(p->Images(), p->ChipContext(), p.sourceName, path);
}

bool Logged(Host& h, const std::string& text) {
  for (const auto& line : h.App.Log.Lines())
    if (line.find(text) != std::string::npos) return true;
  return false;
}

struct RoundTrip {
  const char* Chip;
  size_t FileSize;  // flash, keys, data image and keys on top of the fixed parts
};

class ProjectRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ProjectRoundTrip, OpenRestoresTheSavedJobOverAnotherOne) {
  TempDir dir;
  const std::string path = dir / "job.PKV";
  Program a;
  PrepareJob(a, GetParam().Chip, 40);
  const ProjectSaveResult saved = Save(a, path);
  ASSERT_TRUE(saved.Saved) << saved.Message;
  EXPECT_EQ(saved.Message, "Created Project File : " + path);
  EXPECT_TRUE(Logged(*a, "Created Project File : " + path));
  const std::vector<uint8_t> file = ReadBytes(path);
  EXPECT_EQ(file.size(), 3434 + GetParam().FileSize + 3 + 2 + 4 + 256);
  // The saved header block repeats the job header record.
  const ProjectRead read = DecodeProject(file);
  ASSERT_EQ(read.Result, kProjectOk);
  EXPECT_TRUE(std::equal(read.Content.HeaderBlock.begin(), read.Content.HeaderBlock.begin() + 512,
                         read.Content.HeaderBlock.begin() + 512));
  EXPECT_EQ(read.Content.SourceName, "");

  Program b;
  PrepareJob(b, "STM32F103xB", 90);
  const ProjectFileRead opened = Open(b, path);
  ASSERT_EQ(opened.Result, kProjectOk) << opened.Message;
  EXPECT_TRUE(Logged(*b, "Load Brevan Project file of \"" + path + "\" at 2026-12-05"));
  EXPECT_TRUE(Logged(*b, "Project File Open Success!"));
  ASSERT_FALSE(b.prompts.Messages.empty());
  EXPECT_EQ(b.prompts.Messages.back().Text, "Project File Open Success!");

  EXPECT_EQ(ChipFields(b->Chip), ChipFields(a->Chip));
  EXPECT_EQ(b->App.Controls.MCUNameEdit, a->Chip.ChipName);
  EXPECT_EQ(b->App.Flags.Stm32Family, a->App.Flags.Stm32Family);
  EXPECT_TRUE(b->App.Flags.Supports18V);
  EXPECT_TRUE(b->App.Flags.ChipSelected);
  EXPECT_TRUE(b->App.Flags.ImageLoaded);
  EXPECT_EQ(SettingFields(b->App.Settings), SettingFields(a->App.Settings));
  EXPECT_EQ(b->Options, a->Options);
  EXPECT_TRUE(std::ranges::equal(FlashRegion(*b), FlashRegion(*a)));

  std::vector<uint8_t> data(DataRegion(*a).begin(), DataRegion(*a).end());
  MemoryBuffers expected = a->Buffers;
  if (a->Chip.FamilyCode == 0x08) {
    // The L4 OTP image carries option bytes 16..31, and its check values
    // describe the image the job now holds.
    std::copy_n(a->Options.begin() + 16, 16, data.begin() + 512);
    const BufferRange all = LeadingBytes(static_cast<uint32_t>(data.size()), data.size());
    expected.EepSum = RangeSum(data, all);
    expected.EepCrc = RangeCrc(data, all);
  }
  EXPECT_TRUE(std::ranges::equal(DataRegion(*b), data));
  EXPECT_EQ(CheckFields(b->Buffers), CheckFields(expected));

  // The controls show the job again: capturing them gives the saved settings.
  JobSettings again = b->App.Settings;
  ASSERT_FALSE(CaptureJobSettings(b->App.Controls, again,
                                  CaptureChipOf(b->Chip, b->App.Flags.Stm32Family)));
  EXPECT_EQ(SettingFields(again), SettingFields(a->App.Settings));
  EXPECT_EQ(b->App.Controls.SpinEditIn.Value, 510);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, ProjectRoundTrip,
    ::testing::Values(RoundTrip{"STM8S105K4", 16384 + 17 + 4096 + 5},
                      RoundTrip{"STM32F030x4", 16384 + 17},
                      RoundTrip{"STM32L152x6", 32768 + 33 + 2048 + 3},
                      RoundTrip{"STM32L476xC", 262144 + 257 + 1024 + 2},
                      RoundTrip{"BlueNRG-132", 163840 + 161}),
    [](const auto& info) {
      std::string n = info.param.Chip;
      std::erase(n, '-');
      return n;
    });

// A file that is not a sound project leaves the loaded job as it was.
TEST(ProjectOpen, UnsoundFilesRestoreNothing) {
  TempDir dir;
  Program a;
  PrepareJob(a, "STM8S105K4", 7);
  ASSERT_TRUE(Save(a, dir / "good.PKV").Saved);
  const std::vector<uint8_t> good = ReadBytes(dir / "good.PKV");

  struct Case {
    const char* Name;
    std::function<std::vector<uint8_t>()> Bytes;
    const char* Message;
  } cases[] = {
      {"flash byte flipped", [&] { auto f = good; f[3434 + 2000] ^= 0x40; return f; },
       "Project File Data Has Been Corrupted!"},
      {"bad magic", [&] { auto f = good; f[5] = 'N'; return f; }, "Not Valid Brevan Project File!"},
      {"cut in the flash", [&] { return std::vector(good.begin(), good.begin() + 9000); },
       "Project File Data Has Been Corrupted!"},
      {"empty", [] { return std::vector<uint8_t>{}; }, "Not Valid Brevan Project File!"},
      {"random after the magic",
       [] { auto f = RandomBytes(30000, 3); std::copy_n("Brevan", 6, f.begin()); return f; },
       "Project File Data Has Been Corrupted!"},
  };
  for (const Case& c : cases) {
    Program b;
    PrepareJob(b, "STM32F103xB", 9);
    const auto main = b->Buffers.Main;
    const auto data = b->Buffers.Data;
    const auto options = b->Options;
    const auto chip = ChipFields(b->Chip);
    const auto settings = SettingFields(b->App.Settings);
    const auto controls = b->App.Controls.SNEdit.Text;
    WriteBytes(dir / "bad.PKV", c.Bytes());

    const ProjectFileRead r = Open(b, dir / "bad.PKV");
    EXPECT_NE(r.Result, kProjectOk) << c.Name;
    EXPECT_EQ(r.Message, c.Message) << c.Name;
    EXPECT_TRUE(Logged(*b, c.Message)) << c.Name;
    EXPECT_EQ(b.prompts.Messages.back().Text, c.Message) << c.Name;
    EXPECT_TRUE(b->Buffers.Main == main && b->Buffers.Data == data) << c.Name;
    EXPECT_EQ(b->Options, options) << c.Name;
    EXPECT_EQ(ChipFields(b->Chip), chip) << c.Name;
    EXPECT_EQ(SettingFields(b->App.Settings), settings) << c.Name;
    EXPECT_EQ(b->App.Controls.SNEdit.Text, controls) << c.Name;
    EXPECT_EQ(b->App.Controls.MCUNameEdit, "STM32F103xB") << c.Name;
    EXPECT_TRUE(b->App.Flags.ImageLoaded) << c.Name;
  }
}

TEST(ProjectOpen, MissingFileDoesNothingAndADirectoryIsNotRead) {
  TempDir dir;
  Program b;
  b->App.Flags.CommandLineMode = true;
  const size_t lines = b->App.Log.Lines().size();
  EXPECT_FALSE(Open(b, dir / "none.PKV").Found);
  EXPECT_EQ(b->App.Log.Lines().size(), lines);

  std::filesystem::create_directory(dir / "folder.PKV");
  const ProjectFileRead r = Open(b, dir / "folder.PKV");
  EXPECT_TRUE(r.Found);
  EXPECT_EQ(r.Result, kProjectUnreadable);
  EXPECT_TRUE(Logged(*b, "not a regular file"));
  EXPECT_TRUE(b.prompts.Messages.empty()) << "no message boxes in command-line mode";
  EXPECT_FALSE(b->App.Flags.ChipSelected);
}

TEST(ProjectSave, RefusesAJobWithoutChipOrImage) {
  TempDir dir;
  Program p;
  EXPECT_EQ(Save(p, dir / "a.PKV").Message, "未选择芯片型号！");
  ASSERT_FALSE(p->SelectChipByName("STM8S105K4"));
  EXPECT_EQ(Save(p, dir / "a.PKV").Message, "未加载目标文件！");
  EXPECT_EQ(p.prompts.Messages.back().Text, "未加载目标文件！");
  EXPECT_FALSE(std::filesystem::exists(dir / "a.PKV"));
}

TEST(ProjectSave, MenuEntryAsksForTheNameAndACancelSavesNothing) {
  TempDir dir;
  Program p;
  PrepareJob(p, "STM32F030x4", 2);
  StdRandomSource random(1);
  p.prompts.FileNames = {std::nullopt, dir / "menu.PKV"};
  EXPECT_FALSE(SaveProjectFromMenu(p->Images(), {}, random).Saved);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(SaveProjectFromMenu(p->Images(), {}, random).Saved);
  EXPECT_EQ(DecodeProject(ReadBytes(dir / "menu.PKV")).Result, kProjectOk);
}

TEST(ProjectSave, AFailedWriteKeepsTheOldFileAndSaysWhy) {
  TempDir dir;
  Program p;
  PrepareJob(p, "STM8S105K4", 3);
  const std::string path = dir / "job.PKV";
  WriteText(path, "the old project");
  // The temporary file beside it cannot be made.
  std::filesystem::create_directory(path + ".part");
  const ProjectSaveResult r = Save(p, path);
  EXPECT_FALSE(r.Saved);
  EXPECT_NE(r.Message.find(path), std::string::npos) << r.Message;
  EXPECT_TRUE(Logged(*p, r.Message));
  EXPECT_EQ(ReadText(path), "the old project");

  std::filesystem::remove(path + ".part");
  ASSERT_TRUE(Save(p, path).Saved);
  EXPECT_EQ(DecodeProject(ReadBytes(path)).Result, kProjectOk);
}

TEST(ProjectSave, SourceNameOfAnOpenedProjectTravelsOn) {
  TempDir dir;
  Program a;
  PrepareJob(a, "STM32F030x4", 1);
  a.sourceName = "Line 3 controller";
  ASSERT_TRUE(Save(a, dir / "a.PKV").Saved);
  Program b;
  ASSERT_EQ(Open(b, dir / "a.PKV").Result, kProjectOk);
  EXPECT_EQ(b.sourceName, "Line 3 controller");
  EXPECT_EQ(b->App.Controls.StatusPanels[2], "Line 3 controller");
  EXPECT_EQ(b->Job().ProductName, "Line 3 controller");
}

}  // namespace
}  // namespace korvel
