#include "views/allocation_grid_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include "hostlib/controls.h"
#include "views/allocation_cell_delegate.h"
#include "views/grid_model.h"

namespace ped::views {

AllocationGridView::AllocationGridView(hostlib::Grid& grid, AllocationGridMoves moves,
                                       GridCellDelegate::Painter painter, QWidget* parent)
    : QTableView(parent), grid_(grid), moves_(std::move(moves)), model_(new GridModel(grid, this)) {
  model_->editInPlace();
  setModel(model_);
  AllocationCellDelegate::Hooks hooks{
      .write =
          [this](std::size_t column, const QString& text) {
            const std::string typed = text.toStdString();
            return moves_.run([this, column, &typed] { moves_.typeCell(column, typed); });
          },
      .key = [this](QKeyEvent* event) { return editorKey(event); },
      .button =
          [this] {
            if (commitEditor()) moves_.run(moves_.pickList);
          }};
  delegate_ = new AllocationCellDelegate(*model_, grid, std::move(painter), std::move(hooks), this);
  setItemDelegate(delegate_);
  setTabKeyNavigation(true);
  setEditTriggers(AnyKeyPressed | EditKeyPressed | DoubleClicked | SelectedClicked);
  QPointer<AllocationGridView> self(this);
  grid.listen([self](hostlib::Control&) {
    if (self) self->followGrid();
  });
}

AllocationCellEditor* AllocationGridView::openEditor() const { return delegate_->openEditor(); }

bool AllocationGridView::commitEditor() {
  QPointer<AllocationCellEditor> editor = openEditor();
  if (!editor) return true;
  if (!delegate_->writeOpenEditor()) return false;
  // The core may have closed it meanwhile (editing switched off).
  if (editor && editor == openEditor()) closeEditor(editor, QAbstractItemDelegate::NoHint);
  return true;
}

void AllocationGridView::discardEditor() {
  if (AllocationCellEditor* editor = openEditor()) {
    editor->setModified(false);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

int AllocationGridView::coreSection() const {
  bool reached = false;
  for (int s = 0; s < model_->columnCount(); ++s) {
    const std::size_t column = model_->gridColumn(s);
    reached = reached || column == grid_.selectedColumn;
    if (reached && grid_.columns[column].visible) return s;
  }
  return -1;
}

bool AllocationGridView::askColumn(int section) {
  const std::size_t before = grid_.selectedColumn;
  const std::size_t target = model_->gridColumn(section);
  if (target != before) moves_.run([this, target] { moves_.moveColumn(target); });
  followGrid();
  return grid_.selectedColumn != before;
}

void AllocationGridView::followGrid() {
  if (openEditor()) {
    const hostlib::Grid::Column& edited = grid_.columns[delegate_->editedColumn()];
    if (!grid_.editing() || edited.readOnly || !edited.visible ||
        delegate_->editedColumn() != grid_.selectedColumn)
      discardEditor();
    else
      delegate_->showButton();
  }
  const QModelIndex current = currentIndex();
  const int section = coreSection();
  if (current.isValid() && section >= 0 && current.column() != section) {
    following_ = true;
    selectionModel()->setCurrentIndex(model_->index(current.row(), section),
                                      QItemSelectionModel::ClearAndSelect);
    following_ = false;
  }
  openEditorForButtonLater();
  viewport()->update();
}

void AllocationGridView::openEditorForButtonLater() {
  if (editorPending_) return;
  editorPending_ = true;
  QTimer::singleShot(0, this, [this] {
    editorPending_ = false;
    const QModelIndex current = currentIndex();
    if (!hasFocus() || openEditor() != nullptr || !current.isValid()) return;
    const hostlib::Grid::Column& column = grid_.columns[model_->gridColumn(current.column())];
    if (column.ellipsis) QAbstractItemView::edit(current);
  });
}

void AllocationGridView::stepColumn(int direction) {
  if (!commitEditor()) return;
  const QModelIndex from = currentIndex();
  int section = from.isValid() ? from.column() + direction : -1;
  while (section >= 0 && section < model_->columnCount() && isColumnHidden(section)) section += direction;
  if (section < 0 || section >= model_->columnCount()) {
    // Past the row's last cell: Tab leaves the grid as it leaves any field.
    QWidget::focusNextPrevChild(direction > 0);
    return;
  }
  askColumn(section);
}

void AllocationGridView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Tab:
      stepColumn(+1);
      return event->accept();
    case Qt::Key_Backtab:
      stepColumn(-1);
      return event->accept();
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (commitEditor()) moves_.run(moves_.post);
      return event->accept();
    case Qt::Key_Escape:
      discardEditor();
      moves_.run(moves_.cancel);
      return event->accept();
    default:
      QTableView::keyPressEvent(event);
  }
}

bool AllocationGridView::editorKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // Leaving the row: the text goes in first, the move posts it.
      if (commitEditor()) QTableView::keyPressEvent(event);
      return true;
    default:
      keyPressEvent(event);
      return true;
  }
}

void AllocationGridView::mousePressEvent(QMouseEvent* event) {
  const QModelIndex at = indexAt(event->position().toPoint());
  const QModelIndex from = currentIndex();
  // A click in another column is a column move the core may refuse; in the
  // same row that is all it does (no editor opens, as on a second click).
  if (at.isValid() && from.isValid() && at.column() != from.column()) {
    const bool moved = askColumn(at.column());
    if (!moved || at.row() == from.row()) return event->accept();
  }
  QTableView::mousePressEvent(event);
}

QModelIndex AllocationGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const QModelIndex from = currentIndex();
  const QModelIndex to = QTableView::moveCursor(action, modifiers);
  if (!from.isValid() || !to.isValid() || to.column() == from.column()) return to;
  if (!askColumn(to.column())) return from;
  return model_->index(to.row(), coreSection());
}

void AllocationGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (following_ || !current.isValid()) return;
  // A row shown anew (the data set moved or was reloaded) keeps the core's column.
  const int section = coreSection();
  if (section >= 0 && current.column() != section) {
    following_ = true;
    selectionModel()->setCurrentIndex(model_->index(current.row(), section),
                                      QItemSelectionModel::ClearAndSelect);
    following_ = false;
  }
  openEditorForButtonLater();
}

bool AllocationGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Only the cell holding the core's cursor takes typing; the model says
  // whether the core lets it.
  if (index.isValid() && (index != currentIndex() || index.column() != coreSection())) return false;
  return QTableView::edit(index, trigger, event);
}

void AllocationGridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                     const QList<int>& roles) {
  QTableView::dataChanged(topLeft, bottomRight, roles);
  // Code wrote the cell being edited (a pick from the list): the editor shows
  // it unless the operator has typed over it.
  AllocationCellEditor* editor = openEditor();
  if (editor && !editor->isModified() && currentIndex().isValid())
    delegate_->setEditorData(editor, currentIndex());
}

void AllocationGridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  openEditorForButtonLater();
}

void AllocationGridView::keyboardSearch(const QString&) {}

}  // namespace ped::views
