#include "EditorCaseSupport.h"
#include "target/ChipRules.h"

namespace korvel {
namespace {


constexpr const char* kB8Word = "33 55 AA 66 99 35 69 5A";

// The job right after a BlueTooth chip was chosen: layout applied, the
// option buffer all 0xFF, then the bytes a case puts there first.
struct BlueToothJob : test::OptionJob {
  BlueToothJob(const std::string& chip, const std::vector<test::Run>& preset) {
    Choose(chip);
    ApplyBlueNrgLayout(Chip, Buffer);
    Buffer = test::Overlaid(Buffer, preset);
  }
  // Opens the dialog, applies the actions, then OK or the window button.
  std::unique_ptr<OptionEditorModel> Open() {
    return std::make_unique<OptionEditorModel>(EditorTableFor(EditorFor(Chip, true)), EditorChipOf(Chip, true),
                                               Buffer, Prompts);
  }
  void Use(const std::vector<std::string>& actions, bool ok) {
    auto dialog = Open();
    for (const auto& a : actions) ASSERT_EQ(ApplyEditorAction(*dialog, *ParseEditorAction(a)), "") << a;
    ok ? dialog->Ok() : dialog->Cancel();
  }
};

TEST(BlueNrgEditor, OkWritesTheProtectionWordOfTheCode) {
  const std::string b8Ticked = std::string(kB8Word) + " FF FF";
  struct Case {
    const char* Chip;
    std::vector<test::Run> Preset;
    bool ShownTicked;
    std::vector<std::string> Actions;
    bool Ok;
    std::string Offsets0To9;
  } cases[] = {
      // A chip change leaves 0xFF: the box opens clear and OK keeps it so.
      {"BlueNRG-232", {}, false, {}, true, "FF FF FF FF FF FF FF FF FF FF"},
      {"BlueNRG-232", {{8, "12 34"}}, false, {"CheckBoxNRG"}, true, b8Ticked},
      {"LSM6DB0", {{0, "00"}}, true, {}, true, b8Ticked},
      {"BlueNRG-132", {{0, "33 55 AA 66 99 35 69 5A 12 34"}}, true, {"CheckBoxNRG=0"}, true,
       "FF FF FF FF FF FF FF FF FF FF"},
      // BlueNRG-3: eight 0xAA, and only clearing touches offsets 8 and 9.
      {"BlueNRG-345xx", {{8, "12 34"}}, false, {"CheckBoxNRG=1"}, true, "AA AA AA AA AA AA AA AA 12 34"},
      {"BlueNRG-355xx", {{0, "FE"}}, true, {}, true, "AA AA AA AA AA AA AA AA FF FF"},
      {"BlueNRG-345xx", {{0, "AA AA AA AA AA AA AA AA 12 34"}}, true, {"CheckBoxNRG=0"}, true,
       "FF FF FF FF FF FF FF FF FF FF"},
      // The window button instead of OK writes nothing.
      {"BlueNRG-232", {{8, "12 34"}}, false, {"CheckBoxNRG"}, false, "FF FF FF FF FF FF FF FF 12 34"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.Chip) + " " + ::testing::PrintToString(k.Actions));
    BlueToothJob job(k.Chip, k.Preset);
    const OptionBuffer before = job.Buffer;
    EXPECT_EQ(job.Open()->Find("CheckBoxNRG")->State, k.ShownTicked ? 1 : 0);
    job.Use(k.Actions, k.Ok);
    EXPECT_EQ(test::Hex(job.Buffer), test::Hex(test::Overlaid(before, {{0, k.Offsets0To9.c_str()}})));
  }
}

TEST(BlueNrgEditor, TitleAndTheOneControl) {
  BlueToothJob job("BlueNRG-232", {});
  auto dialog = job.Open();
  EXPECT_EQ(dialog->Caption(), "BlueNRG Config");
  EXPECT_EQ(ListEditorControls(*dialog),
            (std::vector<std::string>{"TBlugNrgSetForm",
                                      "CheckBoxNRG\tcheck-box\t0 1\tEnable Read Out Protection\t(written on OK)"}));
  EXPECT_NE(ApplyEditorAction(*dialog, {"CheckBoxNRG", "2"}).find("out of range"), std::string::npos);
}

// The button: dialog, then for code 0xB8 the buffer's word (whatever the
// dialog left) at the end of the flash image; nothing printed.
TEST(BlueNrgEditor, ButtonCopiesTheWordIntoTheFlashImageFor0xB8Only) {
  struct Case {
    const char* Chip;
    bool Ok;
    const char* FlashTail;
  } cases[] = {
      {"BlueNRG-232", true, kB8Word},
      {"BlueNRG-132", false, "FF FF FF FF FF FF FF FF"},
      {"BlueNRG-345xx", true, "00 00 00 00 00 00 00 00"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Chip);
    BlueToothJob job(k.Chip, {});
    MemoryBuffers memory;
    OptionEditorHooks hooks;
    hooks.ShowEditor = [&](OptionEditor) { job.Use({"CheckBoxNRG"}, k.Ok); };
    hooks.CopyProtectionToFlash = [&](const OptionBuffer& b) { CopyProtectionToFlash(memory, job.Chip, b); };
    auto ctx = job.Ctx();
    OnOptionConfigClicked(ctx, hooks);

    const std::size_t tail = (job.Chip.FlashEnd - job.Chip.FlashBase) / 16 * 16 + 8;
    std::vector<uint8_t> expected(memory.Main.size(), 0x00);
    const auto word = test::Overlaid(OptionBuffer{}, {{0, k.FlashTail}});
    std::copy_n(word.begin(), 8, expected.begin() + static_cast<std::ptrdiff_t>(tail));
    EXPECT_TRUE(memory.Main == expected);
    EXPECT_TRUE(job.Log.Lines().empty());
  }
}

}  // namespace
}  // namespace korvel
