#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <array>

#include "app/AppState.h"
#include "ui/target/ChipSelectForm.h"

namespace {

template <class W>
W* Find(QWidget& parent, const char* name) {
  auto* w = parent.findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

class ChipSelectFormTest : public ::testing::Test {
 protected:
  ChipSelectFormTest() : clock_(korvel::MakeTime(2026, 1, 2, 3, 4, 5)), state_(clock_) {}
  korvel::ChipChangeContext Ctx() {
    return {chip_, state_.Flags, state_.Settings, state_.Controls, state_.Log, prompts_, options_,
            {}};
  }

  // Runs the dialog; act runs while it is shown.
  bool Run(const std::function<void()>& act) {
    QTimer::singleShot(0, [&] { act(); });
    auto ctx = Ctx();
    return RunChipDialog(form_, ctx);
  }

  korvel::FixedClock clock_;
  korvel::AppState state_;
  korvel::ChipInfo chip_;
  korvel::RecordingPrompts prompts_;
  std::array<uint8_t, 128> options_{};
  TCHipSelectForm form_;
};

TEST_F(ChipSelectFormTest, OpensOnTheJobsFamilyWithTheFirstSeries) {
  EXPECT_EQ(form_.windowTitle(), "STMxx Chip Selection Dialog");
  form_.Prepare(true);
  EXPECT_TRUE(Find<QRadioButton>(form_, "RadioButSTM32x")->isChecked());
  auto* series = Find<QListWidget>(form_, "ListBoxSeries");
  EXPECT_EQ(series->count(), 15);
  EXPECT_EQ(series->currentRow(), 0);
  EXPECT_EQ(Find<QListWidget>(form_, "ListBoxChips")->count(), 32);
  EXPECT_EQ(Find<QLineEdit>(form_, "EditSelChip")->text(), "STM32F030x4");

  Find<QRadioButton>(form_, "RadioButSTM8x")->click();
  EXPECT_EQ(series->count(), 7);
  series->setCurrentRow(3);  // STM8Sxxxx
  auto* chips = Find<QListWidget>(form_, "ListBoxChips");
  EXPECT_EQ(chips->count(), 42);
  chips->setCurrentRow(13);
  EXPECT_EQ(Find<QLineEdit>(form_, "EditSelChip")->text(), "STM8S105K4");
}

TEST_F(ChipSelectFormTest, OkConfirmsAndAdaptsTheWindow) {
  ASSERT_TRUE(Run([&] {
    Find<QListWidget>(form_, "ListBoxSeries")->setCurrentRow(3);
    Find<QListWidget>(form_, "ListBoxChips")->setCurrentRow(13);
    Find<QPushButton>(form_, "BitBtnOK")->click();
  }));
  EXPECT_EQ(state_.Controls.MCUNameEdit, "STM8S105K4");
  EXPECT_EQ(state_.Controls.lbFlashSize, "16K");
  EXPECT_EQ(state_.Controls.lbEEPSize, "1024Byte");
  EXPECT_FALSE(state_.Flags.Stm32Family);
}

TEST_F(ChipSelectFormTest, CancelAfterSwitchingFamilyLeavesTheJob) {
  ASSERT_TRUE(Run([&] { Find<QPushButton>(form_, "BitBtnOK")->click(); }));
  const std::string before = chip_.ChipName;
  EXPECT_FALSE(Run([&] {
    Find<QRadioButton>(form_, "RadioButSTM32x")->click();
    Find<QPushButton>(form_, "BitBtnCancel")->click();
  }));
  EXPECT_EQ(chip_.ChipName, before);
  EXPECT_FALSE(state_.Flags.Stm32Family);
}

TEST_F(ChipSelectFormTest, TypedNameIsConfirmedWithTheSeriesCode) {
  ASSERT_TRUE(Run([&] {
    Find<QRadioButton>(form_, "RadioButSTM32x")->click();
    Find<QListWidget>(form_, "ListBoxSeries")->setCurrentRow(1);  // STM32F1xxxx
    auto* edit = Find<QLineEdit>(form_, "EditSelChip");
    edit->clear();
    QTest::keyClicks(edit, "STM32F1XXxC");
    Find<QPushButton>(form_, "BitBtnOK")->click();
  }));
  EXPECT_EQ(chip_.ChipName, "STM32F1XXxC");
  EXPECT_EQ(chip_.FamilyCode, 0x00);
  EXPECT_EQ(chip_.FlashSizeKB, 256);
  EXPECT_TRUE(state_.Flags.Stm32Family);
}

}  // namespace
