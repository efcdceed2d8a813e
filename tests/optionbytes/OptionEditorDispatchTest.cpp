#include "optionbytes/OptionEditorDispatch.h"

#include "OptionTestSupport.h"
#include "optionbytes/OptionDefaults.h"

namespace korvel {
namespace {

using test::Named;

TEST(OptionEditorDispatch, EachFamilyOpensItsEditor) {
  struct Case {
    const char* Chip;
    OptionEditor Editor;
  } cases[] = {
      {"STM32F103xB", OptionEditor::Stm32F1x}, {"STM32F030x6", OptionEditor::Stm32F1x},
      {"STSPIN32F0", OptionEditor::Stm32F1x},  {"STM32F303xC", OptionEditor::Stm32F1x},
      {"STM32W108CB", OptionEditor::Stm32F1x}, {"STM32F205xB", OptionEditor::Stm32F2x},
      {"STM32F429xI", OptionEditor::Stm32F2x}, {"STM32L073xZ", OptionEditor::Stm32Lx},
      {"STM32L152xB", OptionEditor::Stm32Lx},  {"STM32L15xxCxxA", OptionEditor::Stm32Lx},
      {"STM32L476xG", OptionEditor::Stm32L4x}, {"STM32L4R5xG", OptionEditor::Stm32L4x},
      {"STM32G030x8", OptionEditor::Stm32G0x}, {"STM32G031x8", OptionEditor::Stm32G0x},
      {"STM32G474xE", OptionEditor::Stm32xG4}, {"BlueNRG-132", OptionEditor::BlueNrg},
      {"BlueNRG-345xx", OptionEditor::BlueNrg}, {"STM8S105K4", OptionEditor::Stm8Ax},
      {"STM8AH6168", OptionEditor::Stm8Ax},    {"STM8TL52F4", OptionEditor::Stm8Ax},
      {"STM8L101F3", OptionEditor::Stm8Lx},    {"STM8L152C6", OptionEditor::Stm8Lx},
  };
  for (const auto& k : cases) {
    const auto chip = Named(k.Chip);
    EXPECT_EQ(EditorFor(chip.Info, chip.Stm32), k.Editor) << k.Chip;
  }
  EXPECT_STREQ(EditorFormName(OptionEditor::Stm32xG4), "TSTM32xG4OptBForm");
}

class EditorClickTest : public ::testing::Test {
 protected:
  EditorClickTest() : clock_(MakeTime(2026, 1, 2, 3, 4, 5)), log_(clock_) {
    hooks_.ShowEditor = [this](OptionEditor e) { shown_.push_back(e); };
    hooks_.CopyProtectionToFlash = [this](const OptionBuffer&) { ++copies_; };
  }
  void Click(const std::string& name) {
    const auto c = Named(name);
    chip_ = c.Info;
    flags_.Stm32Family = c.Stm32;
    flags_.ChipSelected = true;
    ResetOptionBuffer(buffer_, chip_, c.Stm32);
    OptionEditorContext ctx{buffer_, chip_, flags_, log_, prompts_, hooks_};
    OnOptionConfigClicked(ctx);
  }

  FixedClock clock_;
  InfoLog log_;
  RecordingPrompts prompts_;
  OptionBuffer buffer_{};
  ChipInfo chip_;
  JobFlags flags_;
  OptionEditorHooks hooks_;
  std::vector<OptionEditor> shown_;
  int copies_ = 0;
};

TEST_F(EditorClickTest, WithoutAChipOnlyTheMessage) {
  OptionEditorContext ctx{buffer_, chip_, flags_, log_, prompts_, hooks_};
  OnOptionConfigClicked(ctx);
  ASSERT_EQ(prompts_.Messages.size(), 1u);
  EXPECT_EQ(prompts_.Messages[0].Text, "Please Select Chip Type First!");
  EXPECT_TRUE(shown_.empty());
  EXPECT_TRUE(log_.Lines().empty());
}

TEST_F(EditorClickTest, EditorThenTheBufferIsPrinted) {
  Click("STM32F103xB");
  EXPECT_EQ(shown_, std::vector<OptionEditor>{OptionEditor::Stm32F1x});
  ASSERT_EQ(log_.Lines().size(), 2u);
  EXPECT_EQ(log_.Lines()[0], "> Option Byte: a5 ff ff ff ff ff ff ff ");

  log_.Clear();
  hooks_.ShowEditor = nullptr;  // no editors yet: the button just prints
  Click("STM8L152C6");
  EXPECT_EQ(log_.Lines().size(), 2u);
}

TEST_F(EditorClickTest, BlueToothCopiesTheProtectionOnlyFor0xB8) {
  Click("BlueNRG-232");
  EXPECT_EQ(shown_, std::vector<OptionEditor>{OptionEditor::BlueNrg});
  EXPECT_EQ(copies_, 1);
  EXPECT_TRUE(log_.Lines().empty());
  Click("BlueNRG-345xx");
  EXPECT_EQ(copies_, 1);
}

}  // namespace
}  // namespace korvel
