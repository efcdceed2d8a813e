#include "ui/views/HexViewModel.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <algorithm>

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

namespace {

// The width a column needs to show text without eliding it: the text,
// the item's margins on both sides and the grid line.
int NeededWidth(const QTableView& view, const QFontMetrics& fm, const QString& text) {
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  return fm.horizontalAdvance(text) + 2 * margin + 2;
}

// The widest text of count characters drawn from chars.
QString Widest(const QFontMetrics& fm, const QString& chars, int count) {
  QChar widest = chars.front();
  for (QChar c : chars)
    if (fm.horizontalAdvance(c) > fm.horizontalAdvance(widest)) widest = c;
  return QString(count, widest);
}

}  // namespace

void FitHexColumns(QTableView& view, int firstColumnWidth) {
  const QFontMetrics fm(view.font());
  const QString hexDigits = QStringLiteral("0123456789abcdef");
  QString printable;
  for (char16_t c = 0x20; c < 0x7F; ++c) printable += QChar(c);
  // Addresses run to eight digits: always in the data view, and in the
  // flash view for the BlueTooth chips (0x10040000).
  const int address = NeededWidth(view, fm, QStringLiteral("0x") + Widest(fm, hexDigits, 8));
  const int byte = NeededWidth(view, fm, Widest(fm, hexDigits, 2));
  const int chars = NeededWidth(view, fm, Widest(fm, printable, 16));
  const QFontMetrics headerFm(view.horizontalHeader()->font());
  const int header =
      NeededWidth(view, headerFm, QStringLiteral("  ") + Widest(headerFm, hexDigits, 1));
  const int byteColumn = std::max({25, byte, header});
  view.horizontalHeader()->setDefaultSectionSize(byteColumn);
  for (int c = 1; c <= 16; ++c) view.setColumnWidth(c, byteColumn);
  view.setColumnWidth(0, std::max(firstColumnWidth, address));
  view.setColumnWidth(17, std::max(130, chars));
}

void SetUpHexGrid(QTableView& view, int firstColumnWidth) {
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.verticalHeader()->hide();
  // Uniform rows let the view place any row without measuring the others.
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(18);
  view.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.horizontalHeader()->setMinimumSectionSize(10);
  view.setWordWrap(false);
  view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  FitHexColumns(view, firstColumnWidth);
}

}  // namespace korvel
