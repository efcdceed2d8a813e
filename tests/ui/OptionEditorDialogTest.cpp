// The option-byte editor dialog built from a table, offscreen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "optionbytes/EditorTables.h"
#include "optionbytes/OptionDefaults.h"
#include "optionbytes/OptionEditorDispatch.h"
#include "target/ChipSelect.h"
#include "ui/options/OptionEditorDialog.h"

namespace korvel {
namespace {

struct OpenDialog {
  explicit OpenDialog(const char* name) {
    const ChipLocation at = FindChip(name);
    ConfirmChip(chip, at.Stm32, at.Series, at.Index, name);
    stm32 = at.Stm32;
    ResetOptionBuffer(buffer, chip, stm32);
    model = std::make_unique<OptionEditorModel>(EditorTableFor(EditorFor(chip, stm32)),
                                                EditorChipOf(chip, stm32), buffer, prompts);
    dialog = std::make_unique<OptionEditorDialog>(*model);
    dialog->show();
  }
  template <class W>
  W* Find(const char* name) {
    auto* w = dialog->findChild<W*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  ChipInfo chip;
  bool stm32 = true;
  OptionBuffer buffer{};
  RecordingPrompts prompts;
  std::unique_ptr<OptionEditorModel> model;
  std::unique_ptr<OptionEditorDialog> dialog;
};

TEST(OptionEditorDialog, EditsReachTheBufferAndCancelKeepsThem) {
  OpenDialog d("STM32F030x6");
  EXPECT_EQ(d.dialog->objectName(), QStringLiteral("TSTM32F1xOptByteForm"));
  EXPECT_EQ(d.dialog->windowTitle(), QStringLiteral("STM32F030x6 Option Byte Setting"));
  EXPECT_FALSE(d.Find<QRadioButton>("STM32xEROP")->isVisible());
  EXPECT_TRUE(d.Find<QRadioButton>("RadioBtnBotE1")->isVisible());
  EXPECT_EQ(d.Find<QLabel>("PnlP3B7")->toolTip(), QStringLiteral("用鼠标右键进行设定"));

  // Right-press a bit panel, then "0" in its menu.
  auto* panel = d.Find<QLabel>("PnlP3B7");
  QTest::mousePress(panel, Qt::RightButton);
  QMenu* menu = d.dialog->MenuOf(QStringLiteral("PnlP3B7"));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 2);
  menu->actions()[0]->trigger();
  menu->hide();
  EXPECT_EQ(d.buffer[14], 0x7F);
  EXPECT_EQ(d.buffer[15], 0x80);
  EXPECT_EQ(panel->text(), QStringLiteral("Bit7=0"));
  EXPECT_EQ(d.Find<QLabel>("STM32xOptP3")->text(), QStringLiteral("0x7f"));

  // Down twice in the level box: level 2 warns first, then level 1.
  auto* rop = d.Find<QComboBox>("ComBoxM0ROP");
  EXPECT_EQ(rop->currentIndex(), 0);
  rop->setFocus();
  QTest::keyClick(rop, Qt::Key_Down);
  QTest::keyClick(rop, Qt::Key_Down);
  ASSERT_EQ(d.prompts.Messages.size(), 1u);
  EXPECT_EQ(d.prompts.Messages[0].Text, "警告：选择此设置芯片将不能再擦除和编程（OTP）!");
  EXPECT_EQ(d.buffer[0], 0x00);
  EXPECT_EQ(d.buffer[1], 0xFF);
  EXPECT_EQ(d.Find<QLabel>("PanelSTM32xROP")->text(), QStringLiteral("0x00"));

  // A radio button changes its own pair only.
  d.Find<QRadioButton>("RadBtnIWGHW")->click();
  EXPECT_EQ(d.buffer[2], 0xFE);
  EXPECT_FALSE(d.Find<QRadioButton>("RadBtnIWGSW")->isChecked());
  EXPECT_TRUE(d.Find<QRadioButton>("RadBtnNtRstStp")->isChecked());

  const OptionBuffer edited = d.buffer;
  d.Find<QPushButton>("BitBtnCancel")->click();
  EXPECT_EQ(d.dialog->result(), QDialog::Rejected);
  EXPECT_EQ(d.buffer, edited);
}

TEST(OptionEditorDialog, BootBoxesOnlyWhereTheChipHasThem) {
  OpenDialog f042("STM32F042x6");
  EXPECT_TRUE(f042.Find<QComboBox>("ComBoxBT1")->isVisible());
  EXPECT_FALSE(f042.Find<QRadioButton>("RadioBtnBotE1")->isVisible());
  auto* boot1 = f042.Find<QComboBox>("ComBoxBT1");
  boot1->setFocus();
  QTest::keyClick(boot1, Qt::Key_Up);
  EXPECT_EQ(f042.buffer[2], 0xEF);
  EXPECT_EQ(f042.buffer[3], 0x10);

  OpenDialog w("STM32W108CB");
  EXPECT_FALSE(w.Find<QComboBox>("ComBoxM0ROP")->isVisible());
  EXPECT_FALSE(w.Find<QRadioButton>("RadBtnIWGSW")->isEnabled());
}

}  // namespace
}  // namespace korvel
