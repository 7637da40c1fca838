#include "views/allocation_cell_delegate.h"

#include <QKeyEvent>
#include <QToolButton>

#include "engine/data_set.h"
#include "hostlib/controls.h"
#include "views/grid_model.h"

namespace ped::views {

AllocationCellDelegate::AllocationCellDelegate(const GridModel& model, hostlib::Grid& grid, Painter painter,
                                               Hooks hooks, QObject* parent)
    : GridCellDelegate(model, std::move(painter), grid.alwaysShowSelection, parent),
      model_(model),
      grid_(grid),
      hooks_(std::move(hooks)) {}

AllocationCellDelegate::~AllocationCellDelegate() { grid_.editorMode = false; }

QWidget* AllocationCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                              const QModelIndex& index) const {
  column_ = model_.gridColumn(index.column());
  const engine::Field* field =
      grid_.dataSource ? grid_.dataSource->findField(grid_.columns[column_].fieldName) : nullptr;
  const bool quantity = field && field->type() == engine::FieldType::Float;
  const bool text = field && field->type() == engine::FieldType::Text;
  auto* editor = new AllocationCellEditor(quantity, text ? field->size() : 0, parent);
  editor->setFont(parent->font());
  // Queued: the click's own handling is done before the pick list's window
  // takes the focus and closes this editor.
  QObject::connect(
      editor->button(), &QToolButton::clicked, this, [this] { hooks_.button(); }, Qt::QueuedConnection);
  editor_ = editor;
  grid_.editorMode = true;
  showButton();
  return editor;
}

void AllocationCellDelegate::showButton() const {
  if (editor_ && column_ < grid_.columns.size()) editor_->setButtonVisible(grid_.columns[column_].ellipsis);
}

void AllocationCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* e = static_cast<AllocationCellEditor*>(editor);
  e->setText(index.data().toString());
  e->setModified(false);
}

void AllocationCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const {
  // The core writes the data set; a leaving editor (the focus went elsewhere)
  // hands its text on like Tab does.
  if (editor == editor_) const_cast<AllocationCellDelegate*>(this)->writeOpenEditor();
}

bool AllocationCellDelegate::writeOpenEditor() {
  if (!editor_ || !editor_->isModified()) return true;
  editor_->setModified(false);
  if (hooks_.write(column_, editor_->text())) return true;
  // Refused: what the operator typed stays for him to correct.
  if (editor_) editor_->setModified(true);
  return false;
}

void AllocationCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                  const QModelIndex&) const {
  editor->setGeometry(option.rect.adjusted(0, 0, -1, -1));
}

void AllocationCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  if (editor == editor_) {
    editor_ = nullptr;
    grid_.editorMode = false;
  }
  GridCellDelegate::destroyEditor(editor, index);
}

bool AllocationCellDelegate::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == editor_) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // The "..." button from the keyboard: Ctrl+Enter, or F4 as in a list box.
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if ((key->key() == Qt::Key_F4 || (enter && key->modifiers().testFlag(Qt::ControlModifier))) &&
        editor_->button()->isVisibleTo(editor_)) {
      editor_->button()->click();
      return true;
    }
    switch (key->key()) {
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        if (hooks_.key(static_cast<QKeyEvent*>(event))) return true;
        break;
      default:
        break;
    }
  }
  return GridCellDelegate::eventFilter(watched, event);
}

}  // namespace ped::views
