#include "views/grid_cell_delegate.h"

#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTableView>
#include <algorithm>
#include <exception>
#include <map>

#include "hostlib/controls.h"
#include "hostlib_qt/qt_conversions.h"
#include "views/grid_model.h"

namespace ped::views {

QColor toQColor(const core::CellColour& colour, const QPalette& palette) {
  using Kind = core::CellColour::Kind;
  switch (colour.kind) {
    case Kind::InfoBk:
      return palette.color(QPalette::ToolTipBase);
    case Kind::Highlight:
      return palette.color(QPalette::Highlight);
    case Kind::CaptionText:
      return palette.color(QPalette::HighlightedText);
    case Kind::Rgb:
      break;
  }
  return hostlib_qt::rgbColour(colour.rgb);
}

const QImage& toQImage(const core::MarkImage& image) {
  static std::map<const core::MarkImage*, QImage> cache;
  auto [it, added] = cache.try_emplace(&image);
  if (added) {
    constexpr int n = core::MarkImage::kSize;
    QImage& q = it->second;
    q = QImage(n, n, QImage::Format_ARGB32);
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x)
        q.setPixel(x, y, image.transparent(x, y) ? qRgba(0, 0, 0, 0) : (0xFF000000u | image.pixel(x, y)));
  }
  return it->second;
}

GridCellDelegate::GridCellDelegate(const GridModel& model, Painter painter, bool alwaysShowSelection,
                                   QObject* parent)
    : QStyledItemDelegate(parent),
      model_(model),
      painter_(std::move(painter)),
      alwaysShowSelection_(alwaysShowSelection) {}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const bool viewFocused = option.widget != nullptr && option.widget->hasFocus();
  core::CellState state;
  state.selected = option.state.testFlag(QStyle::State_Selected) && (alwaysShowSelection_ || viewFocused);
  state.focused = option.state.testFlag(QStyle::State_HasFocus) && viewFocused;
  core::CellPainting cell;
  try {
    cell = painter_(static_cast<std::size_t>(index.row()), model_.gridColumn(index.column()), state);
  } catch (const std::exception&) {
    // A cell that cannot be described stays blank rather than take the
    // window down in the middle of a paint.
  }

  const QRect r = option.rect;
  painter->save();
  painter->setClipRect(r);
  painter->fillRect(r, toQColor(cell.background, option.palette));
  const QColor textColour = toQColor(cell.textColour, option.palette);
  if (!cell.text.empty()) {
    const QString text = QString::fromStdString(cell.text);
    const QFontMetrics metrics(option.font);
    const int x = cell.alignment == core::TextAlignment::Left
                      ? r.left() + cell.textOffset
                      : r.left() + r.width() - (metrics.horizontalAdvance(text) + cell.textOffset);
    painter->setFont(option.font);
    painter->setPen(textColour);
    painter->drawText(QPoint(x, r.top() + cell.textTop + metrics.ascent()), text);
  }
  if (cell.focusRect) {
    painter->setPen(QPen(textColour, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(r.adjusted(0, 0, -1, -1));
  }
  if (cell.image) {
    const QImage& image = toQImage(*cell.image);
    painter->drawImage(QPoint(r.left() + cell.imageLeft, r.top()), image,
                       QRect(0, 0, image.width(), std::min(image.height(), r.height())));
  }
  painter->restore();
}

void usePaintedCells(QTableView& view, hostlib::Grid& grid, GridCellDelegate::Painter painter) {
  auto* model = static_cast<GridModel*>(view.model());
  view.setItemDelegate(new GridCellDelegate(*model, std::move(painter), grid.alwaysShowSelection, &view));
  QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged, &view,
                   [model, &grid](const QModelIndex& current) {
                     // A reset of the rows leaves no current cell; the cursor's
                     // column stays where it was.
                     if (current.isValid()) grid.selectedColumn = model->gridColumn(current.column());
                   });
}

}  // namespace ped::views
