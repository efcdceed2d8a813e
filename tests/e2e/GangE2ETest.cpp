// Whole gang runs of the real host over pseudo-terminals: ten simulated
// units, the real serial links, object files loaded as the operator would,
// and "自动" on every channel at once.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "e2e/HeadlessHost.h"
#include "sim/PtyUnitServer.h"

namespace korvel::e2e {
namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> Pattern(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

class GangE2E : public ::testing::Test {
 protected:
  void Start(std::map<int, UnitFaults> faults = {}) {
    server = std::make_unique<PtyUnitServer>(kChannelCount, std::move(faults));
    std::string error;
    ASSERT_TRUE(server->Start(error)) << error;
    gang = std::make_unique<HeadlessHost>(server->SlavePaths());
  }
  void Start(const std::vector<std::string>& faultTexts) {
    std::string error;
    auto faults = ParseUnitFaults(faultTexts, error);
    ASSERT_TRUE(faults) << error;
    Start(*faults);
  }
  void TearDown() override {
    gang.reset();
    server.reset();
  }

  // Selects the chip, loads the file, waits for the search and runs Auto
  // until no channel is busy. False when a stage missed its deadline.
  bool AutoRun(const std::string& chip, const std::vector<ImageChunk>& image, bool eeprom = false) {
    const std::string file = gang->dir / "image.hex";
    if (!WriteHexFile(file, image)) return false;
    Host& host = *gang->host;
    auto err = host.SelectChipByName(chip);
    if (!err) err = host.LoadObjectFileByName(file, true);
    if (err) {
      ADD_FAILURE() << *err;
      return false;
    }
    host.App.Controls.EnWrtEep.Checked = eeprom;
    started = 0;
    const size_t met = gang->Run({{[&] { return gang->Connected() == kChannelCount; },
                                   [&] { started = host.Operations().Auto(); }},
                                  {[&] { return !gang->AnyBusy(); }, {}}},
                                 40s);
    return met == 2;
  }

  std::vector<uint8_t> ChipBytes(int k, uint32_t offset, size_t n) {
    return server->WithUnit(k, [&](SimUnit& u) {
      const auto& f = u.Target().Flash;
      return std::vector<uint8_t>(f.begin() + offset, f.begin() + offset + n);
    });
  }
  int ChannelLines(int c, const std::string& text) const { return gang->LinesWith(ChannelPrefix(c) + text); }

  std::unique_ptr<PtyUnitServer> server;
  std::unique_ptr<HeadlessHost> gang;
  int started = 0;
};

TEST_F(GangE2E, AutoOnStm32ProgramsAllTenChipsWithTheImage) {
  Start();
  const auto bytes = Pattern(128 * 1024, 1);
  ASSERT_TRUE(AutoRun("STM32F103xB", {{0x08000000, bytes}})) << gang->LogText();
  EXPECT_EQ(started, 10);
  for (int c = 0; c < kChannelCount; ++c) {
    EXPECT_EQ(ChannelLines(c, "Programming Success!"), 1) << c;
    // The chip holds exactly the file: nothing short, nothing written past it.
    EXPECT_TRUE(ChipBytes(c, 0, bytes.size()) == bytes) << c;
    EXPECT_EQ(ChipBytes(c, bytes.size(), 1024), std::vector<uint8_t>(1024, 0xFF)) << c;
    EXPECT_EQ(gang->App().Channels[c].Gauge.Color, kGaugeBlue) << c;
  }
  EXPECT_EQ(gang->LinesWith("操作超时！"), 0);
}

TEST_F(GangE2E, AutoOnStm8WritesFlashAndEeprom) {
  Start();
  const auto flash = Pattern(16 * 1024, 2);
  const auto eeprom = Pattern(1024, 3);
  ASSERT_TRUE(AutoRun("STM8S105K4", {{0x4000, eeprom}, {0x8000, flash}}, true)) << gang->LogText();
  EXPECT_EQ(started, 10);
  for (int c = 0; c < kChannelCount; ++c) {
    EXPECT_EQ(ChannelLines(c, "Programming Success!"), 1) << c;
    EXPECT_TRUE(ChipBytes(c, 0x8000, flash.size()) == flash) << c;
    EXPECT_TRUE(ChipBytes(c, 0x4000, eeprom.size()) == eeprom) << c;
  }
}

TEST_F(GangE2E, OneSilentUnitTimesOutAloneWhileNineSucceed) {
  Start({"3:silent=2"});
  const auto bytes = Pattern(16 * 1024, 4);
  ASSERT_TRUE(AutoRun("STM32F103xB", {{0x08000000, bytes}})) << gang->LogText();
  EXPECT_EQ(gang->LinesWith("Programming Success!"), 9);
  EXPECT_EQ(gang->LinesWith("操作超时！"), 1);
  EXPECT_EQ(ChannelLines(2, "操作超时！"), 1);
  EXPECT_EQ(ChannelLines(2, "Programming Success!"), 0);
  EXPECT_EQ(gang->App().Channels[2].Gauge.Color, kGaugeRed);
  for (int c : {0, 1, 3, 9}) EXPECT_TRUE(ChipBytes(c, 0, bytes.size()) == bytes) << c;
}

TEST_F(GangE2E, NotBlankChipIsErasedThenProgrammed) {
  Start({"4:notblank"});
  const auto bytes = Pattern(16 * 1024, 5);
  ASSERT_TRUE(AutoRun("STM32F103xB", {{0x08000000, bytes}})) << gang->LogText();
  EXPECT_EQ(gang->LinesWith("Programming Success!"), 10);
  EXPECT_EQ(gang->LinesWith("芯片不为空！"), 1);
  EXPECT_EQ(ChannelLines(3, "芯片不为空！"), 1);
  EXPECT_EQ(ChannelLines(3, "擦除芯片操作成功！"), 1);
  // The used part's old data is gone past the image, and the image is in.
  EXPECT_TRUE(ChipBytes(3, 0, bytes.size()) == bytes);
  EXPECT_EQ(ChipBytes(3, bytes.size(), 1024), std::vector<uint8_t>(1024, 0xFF));
}

TEST_F(GangE2E, HangUpMidProgramDisconnectsOnlyThatChannel) {
  // Wake-up, blank check, then 32 program blocks of 4 KB: the 20th request is one.
  Start({"6:hangup=20"});
  const std::string port = gang->host->Channels().PortName(5);
  const auto bytes = Pattern(128 * 1024, 6);
  const std::string file = gang->dir / "image.hex";
  ASSERT_TRUE(WriteHexFile(file, {{0x08000000, bytes}}));
  Host& host = *gang->host;
  ASSERT_FALSE(host.SelectChipByName("STM32F103xB"));
  ASSERT_FALSE(host.LoadObjectFileByName(file, true));
  auto othersDone = [&] {
    for (int c = 0; c < kChannelCount; ++c)
      if (c != 5 && gang->App().Channels[c].Busy) return false;
    return true;
  };
  const size_t met = gang->Run({{[&] { return gang->Connected() == kChannelCount; },
                                 [&] { started = host.Operations().Auto(); }},
                                {[&] { return !gang->App().Channels[5].Connected && othersDone(); }, {}}},
                               40s);
  ASSERT_EQ(met, 2u) << gang->LogText();
  EXPECT_EQ(started, 10);
  EXPECT_EQ(gang->Connected(), 9);
  const auto& box = gang->App().Controls.ComboBoxCOMItems;
  EXPECT_EQ(box.size(), 9u);
  EXPECT_EQ(std::count(box.begin(), box.end(), port), 0);
  EXPECT_EQ(gang->LinesWith("Programming Success!"), 9);
  EXPECT_EQ(ChannelLines(5, "Programming Success!"), 0);
  // It stopped inside the program blocks: some of the image, not all of it.
  const auto chip = ChipBytes(5, 0, bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1024, chip.begin()));
  EXPECT_FALSE(chip == bytes);
}

}  // namespace
}  // namespace korvel::e2e
