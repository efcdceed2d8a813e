// Serial numbers end to end: the whole host against ten in-process units,
// each unit keeping what it programmed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "sim/SimHostFixture.h"
#include "target/Checksums.h"

namespace korvel::test {
namespace {

class SimSerial : public SimHostFixture {
 protected:
  void Start(const std::vector<std::string>& faultTexts) { StartUnits(faultTexts); }
  void LoadImage() { LoadPattern("STM32F103xB"); }
  void SerialsOn(const char* first, const char* address) {
    MainControls& c = host->App.Controls;
    c.CheckBoxSN.Checked = c.ChkBoxPCSN.Checked = true;
    c.SNEdit.Text = first;
    c.AddrEdit.Text = address;
  }
  // The four bytes a unit's chip holds at flash offset, most significant first.
  uint32_t ChipNumber(int c, uint32_t offset) const {
    const auto b = units[c]->Target().ReadFlash(offset, 4);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
  }
};

TEST_F(SimSerial, TenChipsOfOneAutoGetTenNumbersAndAFailedOnesNumberComesBackFirst) {
  Start({"4:flip"});
  LoadImage();
  SerialsOn("0x00000100", "0x0800FFFE");  // the number spans two rows
  const std::vector<uint8_t> shared = host->Buffers.Main;
  EXPECT_EQ(host->Operations().Auto(), kChannelCount);
  Pump();
  for (int c = 0; c < kChannelCount; ++c) {
    SCOPED_TRACE(c);
    if (c == 3) {
      EXPECT_EQ(Outcome(c).Result, ChannelResult::Failure);
      continue;
    }
    ASSERT_EQ(Outcome(c).Result, ChannelResult::Success);
    EXPECT_EQ(ChipNumber(c, 0xFFFE), 0x100u + c);
    // The check values each channel sent are those of its own image.
    EXPECT_EQ(host->Steps().Job(c).Checks.FlashCrc, GetBrevanCheckSum(units[c]->Target().Flash, 0, 0x1FFFF));
    char line[64];
    std::snprintf(line, sizeof line, "Programming Success! SN 0x%08x", 0x100u + c);
    EXPECT_EQ(Outcome(c).Text, line);
  }
  // The job's own image is left as it was; SNEdit shows what comes next.
  EXPECT_EQ(host->Buffers.Main, shared);
  EXPECT_EQ(host->App.Controls.SNEdit.Text, "0x0000010a");

  // Channel 4's unit stays away; its number goes to the first chip now.
  host->OnTimer1Tick();
  host->App.Channels[3].Connected = false;
  EXPECT_EQ(host->Operations().Auto(), kChannelCount - 1);
  Pump();
  EXPECT_EQ(ChipNumber(0, 0xFFFE), 0x103u);
  EXPECT_EQ(ChipNumber(1, 0xFFFE), 0x10Au);
  EXPECT_EQ(ChipNumber(9, 0xFFFE), 0x111u);
  EXPECT_EQ(host->App.Controls.SNEdit.Text, "0x00000112");
  EXPECT_EQ(host->App.Flags.OnlineCounter, 18u);
}

TEST_F(SimSerial, ALoneChannelWritesItsNumberIntoTheJobAndMovesOnAfterEachSuccess) {
  Start({});
  LoadImage();
  for (int c = 1; c < kChannelCount; ++c) host->App.Channels[c].Connected = false;
  MainControls& ctl = host->App.Controls;
  SerialsOn("1000", "0x0800FFF0");
  ctl.ChkBoxStrSN.Checked = ctl.ChkBoxSNDP.Checked = true;
  ctl.ChkBoxIgnOptB.Checked = true;  // the chain ends after the verification
  for (const std::string text : {"1000", "1001", "1002"}) {
    EXPECT_EQ(host->Operations().Auto(), 1);
    EXPECT_EQ(std::string(host->Buffers.Main.begin() + 0xFFF0, host->Buffers.Main.begin() + 0xFFF4), text);
    EXPECT_EQ(ctl.SNEdit.Text, text);  // until the chip succeeded
    Pump();
    ASSERT_EQ(Outcome(0).Result, ChannelResult::Success);
    const auto chip = units[0]->Target().ReadFlash(0xFFF0, 4);
    EXPECT_EQ(std::string(chip.begin(), chip.end()), text);
    // Without an option-byte step the number stands on a line of its own.
    char line[32];
    std::snprintf(line, sizeof line, "SN 0x%08x", unsigned(std::stoul(text)));
    EXPECT_EQ(Outcome(0).Text, line);
  }
  EXPECT_EQ(ctl.SNEdit.Text, "1003");  // three chips: three steps on
}

TEST_F(SimSerial, NoNumberIsUsedUpForAnAddressOutsideTheChip) {
  Start({});
  LoadImage();
  SerialsOn("0x00000100", "0x0000FFF0");
  const std::vector<uint8_t> shared = host->Buffers.Main;
  host->App.Log.Clear();
  EXPECT_EQ(host->Operations().Auto(), kChannelCount);
  Pump();
  ASSERT_FALSE(host->App.Log.Lines().empty());
  EXPECT_EQ(host->App.Log.Lines()[0], "> 07:14:11 序列号地址超出了芯片的有效地址空间，请核对清楚并重新设定！");
  for (int c = 0; c < kChannelCount; ++c) EXPECT_EQ(Outcome(c).Text, "Programming Success!") << c;
  EXPECT_EQ(host->App.Controls.SNEdit.Text, "0x00000100");
  EXPECT_EQ(host->Buffers.Main, shared);
}

// --sn 0x100 --sn-step 1 --run auto on ten units leaves 0x100 .. 0x109 in
// the ten chips, each once.
TEST_F(SimSerial, TheCommandLineRunNumbersTenChips) {
  Start({});
  const auto dir = std::filesystem::temp_directory_path() / "korvel-sim-serial";
  std::filesystem::create_directories(dir);
  const auto image = (dir / "image.bin").string();
  {
    std::ofstream out(image, std::ios::binary);
    for (int i = 0; i < 4096; ++i) out.put(char(i * 13));
  }
  const CommandLineResult cmd = ParseCommandLine(
      {"--chip", "STM32F103xB", "--load", image, "--sn", "0x100", "--sn-step", "1", "--sn-address",
       "0x0800FFF0", "--run", "auto"});
  ASSERT_FALSE(cmd.Error) << *cmd.Error;
  std::vector<std::string> summary;
  Host::CommandLineOutput out;
  out.Summary = [&summary](const std::string& l) { summary.push_back(l); };
  out.Error = [](const std::string& e) { ADD_FAILURE() << e; };
  ASSERT_TRUE(host->StartUnattended(cmd.Line, {}, out));
  host->Unattended()->SearchStarted();
  host->OnTimer1Tick();
  Pump();
  host->OnTimer1Tick();
  ASSERT_TRUE(host->Unattended()->Finished());
  EXPECT_EQ(host->Unattended()->ExitCode(), 0);
  std::set<uint32_t> numbers;
  for (int c = 0; c < kChannelCount; ++c) {
    const uint32_t n = ChipNumber(c, 0xFFF0);
    EXPECT_EQ(n, 0x100u + c);
    numbers.insert(n);
  }
  EXPECT_EQ(numbers.size(), size_t(kChannelCount));
  ASSERT_EQ(summary.size(), size_t(kChannelCount) + 1);
  EXPECT_NE(summary[9].find("Programming Success! SN 0x00000109"), std::string::npos) << summary[9];
  std::filesystem::remove_all(dir);
}

TEST_F(SimSerial, AnAddressOutsideTheChipRefusesTheRun) {
  Start({});
  const CommandLineResult cmd = ParseCommandLine({"--chip", "STM8S105K4", "--sn", "1", "--run", "auto"});
  ASSERT_FALSE(cmd.Error) << *cmd.Error;
  std::string error;
  Host::CommandLineOutput out;
  out.Error = [&error](const std::string& e) { error = e; };
  int code = -1;
  host->StartUnattended(cmd.Line, [&code](int c) { code = c; }, out);
  ASSERT_TRUE(host->Unattended()->Finished());
  EXPECT_EQ(host->Unattended()->ExitCode(), 64);
  EXPECT_NE(error.find("0x0000fff0"), std::string::npos) << error;
}

}  // namespace
}  // namespace korvel::test
