#include "ui/views/HexViewModel.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QTableView>

namespace korvel {

HexViewModel::HexViewModel(std::function<HexViewLayout()> layout, QObject* parent)
    : QAbstractTableModel(parent), source_(std::move(layout)), layout_(source_()) {}

int HexViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(layout_.Rows);
}

int HexViewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : HexViewLayout::kColumns;
}

QVariant HexViewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole)
    return QString::fromStdString(layout_.CellText(uint32_t(index.row()), index.column()));
  if (role == Qt::TextAlignmentRole)
    return int((index.column() == 17 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
  return {};
}

QVariant HexViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return QString::fromStdString(HexViewLayout::HeaderText(section));
}

void HexViewModel::Rebuild() {
  beginResetModel();
  layout_ = source_();
  endResetModel();
}

void HexViewModel::RowsChanged(uint32_t firstRow, uint32_t lastRow) {
  if (layout_.Rows == 0 || firstRow >= layout_.Rows) return;
  lastRow = std::min(lastRow, layout_.Rows - 1);
  emit dataChanged(index(int(firstRow), 0), index(int(lastRow), HexViewLayout::kColumns - 1),
                   {Qt::DisplayRole});
}

void SetUpHexGrid(QTableView& view, int firstColumnWidth) {
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.verticalHeader()->hide();
  // Uniform rows let the view place any row without measuring the others.
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(18);
  view.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.horizontalHeader()->setDefaultSectionSize(25);
  view.horizontalHeader()->setMinimumSectionSize(10);
  for (int c = 1; c <= 16; ++c) view.setColumnWidth(c, 25);
  view.setColumnWidth(0, firstColumnWidth);
  view.setColumnWidth(17, 130);
  view.setWordWrap(false);
  view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

}  // namespace korvel
