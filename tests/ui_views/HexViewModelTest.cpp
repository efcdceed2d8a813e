#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include "target/ChipInfo.h"
#include "target/MemoryBuffers.h"
#include "ui/views/FormOfsAddr.h"
#include "ui/views/HexViewModel.h"

namespace korvel {
namespace {


ChipInfo Stm32(uint32_t kb) {
  ChipInfo c;
  c.FlashBase = 0x08000000;
  c.FlashEnd = c.FlashBase + kb * 1024 - 1;
  return c;
}

TEST(HexViewModel, ShowsTheBuffersThroughTheModel) {
  MemoryBuffers buffers;
  ChipInfo chip = Stm32(2048);
  HexViewModel model([&] { return FlashViewLayout(chip, buffers); });
  EXPECT_EQ(model.rowCount(), 0x20000);
  EXPECT_EQ(model.columnCount(), 18);
  EXPECT_EQ(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "  4");
  EXPECT_EQ(model.data(model.index(0x1FFFF, 0), Qt::DisplayRole).toString(), "0x81ffff0");

  buffers.Main[0x1FFFFF] = 0x41;
  chip = Stm32(128);
  model.Rebuild();
  EXPECT_EQ(model.rowCount(), 0x2000);
  buffers.Main[0x1FFF] = 0x7A;
  model.RowsChanged(0x1FF, 0x1FF);
  EXPECT_EQ(model.data(model.index(0x1FF, 16), Qt::DisplayRole).toString(), "7a");
  EXPECT_EQ(model.data(model.index(0x1FF, 17), Qt::DisplayRole).toString(), "...............z");
}

TEST(HexViewModel, GridWidthsAsTheWindowNeeds) {
  MemoryBuffers buffers;
  ChipInfo chip = Stm32(64);
  HexViewModel model([&] { return FlashViewLayout(chip, buffers); });
  QTableView view;
  view.setModel(&model);
  SetUpHexGrid(view, 70);
  EXPECT_EQ(view.columnWidth(0), 70);
  EXPECT_EQ(view.columnWidth(1), 25);
  EXPECT_EQ(view.columnWidth(16), 25);
  EXPECT_EQ(view.columnWidth(17), 130);
  EXPECT_TRUE(view.verticalHeader()->isHidden());
}

TEST(FormOfsAddr, ReturnsTheTextOnOkAndNothingOtherwise) {
  FormOfsAddr form;
  EXPECT_EQ(form.objectName(), "TFormOfsAddr");
  QTimer::singleShot(0, &form, [&] {
    EXPECT_EQ(form.Text(), "0x08000000");
    form.findChild<QLineEdit*>("EditOfsAddr")->setText("0x08001000");
    form.accept();
  });
  EXPECT_EQ(form.Ask("0x08000000"), std::optional<std::string>("0x08001000"));
  QTimer::singleShot(0, &form, [&] { form.reject(); });
  EXPECT_EQ(form.Ask("0x00008000"), std::nullopt);
}

}  // namespace
}  // namespace korvel
