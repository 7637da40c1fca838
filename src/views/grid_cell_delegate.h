#pragma once
// Draws the cells of a painted grid exactly as the screen describes them
// (core::CellPainting): fill, picture, text at its offset, focus rectangle.
// It decides nothing about colours, texts or pictures.

#include <QStyledItemDelegate>
#include <functional>

#include "core/shell/cell_painting.h"

class QTableView;

namespace ped::hostlib {
class Grid;
}

namespace ped::views {

class GridModel;

class GridCellDelegate : public QStyledItemDelegate {
 public:
  // The look of the cell at (view position, index into the grid's columns).
  using Painter = std::function<core::CellPainting(std::size_t row, std::size_t column, core::CellState)>;

  // REQUIRES: `model` outlives the delegate. `alwaysShowSelection`: the
  // selected cell keeps its highlight while the view has no focus.
  GridCellDelegate(const GridModel& model, Painter painter, bool alwaysShowSelection,
                   QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const GridModel& model_;
  Painter painter_;
  bool alwaysShowSelection_;
};

// The platform's colour for a cell colour: system colours come from `palette`.
QColor toQColor(const core::CellColour& colour, const QPalette& palette);

// A mark picture with its transparent colour as transparent pixels.
const QImage& toQImage(const core::MarkImage& image);

// Makes `view` (showing `grid` through a GridModel) paint its cells with
// `painter` and keeps the grid's cell-cursor column following the view's.
void usePaintedCells(QTableView& view, hostlib::Grid& grid, GridCellDelegate::Painter painter);

}  // namespace ped::views
