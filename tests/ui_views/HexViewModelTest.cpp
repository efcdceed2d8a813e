#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
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

// Room the item delegate leaves for the text of a cell.
int TextRoom(const QTableView& view, const QModelIndex& index) {
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  return view.visualRect(index).width() - 2 * margin;
}

TEST(HexViewModel, ColumnsFitEightDigitAddressesInTheFontInUse) {
  MemoryBuffers buffers;
  ChipInfo chip;
  chip.HasOtp = true;
  chip.EepBase = 0x1FFF7800;
  chip.EepSize = 528;
  std::fill_n(buffers.Data.begin(), 16, uint8_t{'W'});
  HexViewModel model([&] { return DataViewLayout(chip, buffers); });
  QTableView view;
  view.setModel(&model);
  view.resize(900, 300);
  SetUpHexGrid(view, 73);
  EXPECT_GE(view.columnWidth(0), 73);
  EXPECT_GE(view.columnWidth(17), 130);
  EXPECT_GE(view.columnWidth(1), 25);
  EXPECT_TRUE(view.verticalHeader()->isHidden());

  for (int pixels : {6, 12, 20, 28}) {
    QFont font = view.font();
    font.setPixelSize(pixels);
    view.setFont(font);
    FitHexColumns(view, 73);
    const QFontMetrics fm(font);
    for (int column : {0, 1, 17}) {
      const QModelIndex cell = model.index(0, column);
      EXPECT_GE(TextRoom(view, cell), fm.horizontalAdvance(cell.data().toString()))
          << pixels << " px, column " << column << " " << cell.data().toString().toStdString();
    }
    if (pixels == 6) {
      // Where the font leaves room, the grid keeps its usual widths.
      EXPECT_EQ(view.columnWidth(0), 73);
      EXPECT_EQ(view.columnWidth(1), 25);
      EXPECT_EQ(view.columnWidth(17), 130);
    }
  }
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
