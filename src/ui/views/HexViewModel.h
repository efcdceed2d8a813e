#pragma once
#include <QAbstractTableModel>
#include <functional>

#include "target/HexViewLayout.h"

class QTableView;

namespace korvel {

// One hex grid (HexViewer or EEPDataView) as a table model over the image
// buffers: nothing is copied or formatted until the view asks for a cell.
class HexViewModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // layout is asked again on every Rebuild, so the model follows chip
  // changes and loads without holding any state of its own.
  explicit HexViewModel(std::function<HexViewLayout()> layout, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // After a load or chip change: the whole grid.
  void Rebuild();
  // After a few bytes changed (a serial number): the rows holding them.
  void RowsChanged(uint32_t firstRow, uint32_t lastRow);

  const HexViewLayout& Layout() const { return layout_; }

 private:
  std::function<HexViewLayout()> source_;
  HexViewLayout layout_;
};

// Column widths of the grids: 25 by default, column 0 as given (70 for the
// flash view, 73 for the data view), column 17 130; fixed-pitch cells.
// Call it once the model is set.
void SetUpHexGrid(QTableView& view, int firstColumnWidth);
// The same widths, widened where the view's font needs more room: an
// eight-digit address, two hex digits, sixteen characters.
void FitHexColumns(QTableView& view, int firstColumnWidth);

}  // namespace korvel
