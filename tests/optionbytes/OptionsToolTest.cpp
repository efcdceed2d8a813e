// korvelimg options as a process, and the editor of every listed chip.
#include <sys/wait.h>

#include <fstream>
#include <set>
#include <sstream>

#include "EditorCaseSupport.h"
#include "target/ChipListing.h"
#include "target/ChipSeries.h"
#include "support/FileText.h"

namespace korvel {
namespace {

TEST(OptionEditors, EveryListedChipHasAnEditorThatShowsOnItsDefault) {
  int chips = 0;
  for (bool stm32 : {false, true}) {
    const auto series = SeriesOf(stm32);
    for (int s = 0; s < static_cast<int>(series.size()); ++s) {
      for (int i = 0; i < static_cast<int>(series[s].ChipNames().size()); ++i) {
        const ChipInfo chip = FreshConfirmation(stm32, s, i);
        OptionBuffer buffer{};
        ResetOptionBuffer(buffer, chip, stm32);
        RecordingPrompts prompts;
        const EditorTable& table = EditorTableFor(EditorFor(chip, stm32));
        OptionEditorModel editor(table, EditorChipOf(chip, stm32), buffer, prompts);
        const auto lines = ListEditorControls(editor);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], EditorFormName(EditorFor(chip, stm32))) << chip.ChipName;
        // A table's control names are unique for any one chip.
        std::set<std::string> names;
        for (const auto& c : editor.Controls())
          EXPECT_TRUE(names.insert(c.Row->Name).second) << chip.ChipName << " " << c.Row->Name;
        EXPECT_TRUE(prompts.Messages.empty()) << chip.ChipName;
        ++chips;
      }
    }
  }
  EXPECT_GT(chips, 100);
}

#ifdef KORVELIMG_PATH
struct ToolRun {
  int Status = -1;
  std::string Out, Err;
};

std::string Slurp(const std::string& path) { return test::FileText(path); }

ToolRun Tool(const test::TempDir& dir, const std::string& args) {
  const std::string out = dir.Path("stdout.txt"), err = dir.Path("stderr.txt");
  const int raw = std::system(
      (std::string(KORVELIMG_PATH) + " options " + args + " >" + out + " 2>" + err + " </dev/null").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
}

TEST(OptionsTool, PrintsTheBytesAfterTheActionsThenTheOptionLines) {
  test::TempDir dir;
  const ToolRun r = Tool(dir, "--chip STM32F103xB STM32xEROP PnlP3B7=0");
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::string expected = "00ffff00ff00ff00ff00ff00ff007f80" + std::string(224, 'f') + "\n";
  expected += "> Option Byte: 00 ff ff ff ff ff ff 7f \n";
  expected += "> Option Buffer: 00 ff ff 00 ff 00 ff 00 ff 00 ff 00 ff 00 7f 80 \n";
  EXPECT_EQ(r.Out, expected);

  // Level 2 warns on standard error and goes on as if OK was pressed.
  const ToolRun otp = Tool(dir, "--chip STM32F030x6 ComBoxM0ROP=1");
  EXPECT_EQ(otp.Status, 0);
  EXPECT_EQ(otp.Out.substr(0, 4), "cc33");
  EXPECT_NE(otp.Err.find("警告：选择此设置芯片将不能再擦除和编程（OTP）!"), std::string::npos) << otp.Err;
}

TEST(OptionsTool, StartsFromAnOptionFileAsTheWindowLoadsIt) {
  test::TempDir dir;
  // Complements are recomputed after the load, then the action applies.
  const std::string bin = dir.File("opt.bin", std::string("\xAA\x00\xF0\x00\x10\x00", 6));
  const ToolRun r = Tool(dir, "--chip STM32F103xB --from " + bin + " PnlD0B0=1");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, 16), "aa55f00f11eeff00");
}

TEST(OptionsTool, RefusalsNameTheirReason) {
  test::TempDir dir;
  const std::string txt = dir.File("opt.txt", "x");
  struct Case {
    std::string Args;
    int Status;
    const char* Says;
  } cases[] = {
      {"--chip STM32W108CB ComBoxM0ROP=0", 2, "ComBoxM0ROP: hidden for STM32W108CB"},
      {"--chip STM32F030x6 ComBoxM0ROP=3", 2, "ComBoxM0ROP=3: out of range (0..2)"},
      {"--chip STM32F103xB Nothing=1", 2, "Nothing: TSTM32F1xOptByteForm has no such control"},
      {"--chip STM32F999 STM32xEROP", 64, "unknown chip"},
      {"--chip STM32F103xB --from " + txt, 64, "not an option file"},
      {"--chip STM32F103xB --from " + dir.Path("gone.bin"), 64, "cannot open"},
      {"--chip STM32F103xB --controls STM32xEROP", 64, "usage"},
      {"STM32xEROP", 64, "usage"},
  };
  for (const auto& k : cases) {
    const ToolRun r = Tool(dir, k.Args);
    EXPECT_EQ(r.Status, k.Status) << k.Args << "\n" << r.Err;
    EXPECT_NE(r.Err.find(k.Says), std::string::npos) << k.Args << "\n" << r.Err;
    EXPECT_EQ(r.Out, "") << k.Args;
  }
}

TEST(OptionsTool, ListsTheDialogAndTheControlsOfTheChip) {
  test::TempDir dir;
  const ToolRun r = Tool(dir, "--chip STM32F042x6 --controls");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), "TSTM32F1xOptByteForm");
  EXPECT_NE(r.Out.find("\nComBoxBT1\tcombo-box\t0..1\n\t0\tnBOOT1 Bit = 0\n"), std::string::npos) << r.Out;
  EXPECT_EQ(r.Out.find("RadioBtnBotE1"), std::string::npos) << r.Out;
}
#endif

}  // namespace
}  // namespace korvel
