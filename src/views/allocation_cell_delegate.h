#pragma once
// Paints the allocation grid's cells through the core and edits them in
// place: an editor opens only where the grid's editing option and the column
// allow it, marks the grid's editor mode while it is open, and hands what the
// operator typed, his keys and the "..." button to the grid's view.

#include <QPointer>
#include <functional>

#include "views/allocation_cell_editor.h"
#include "views/grid_cell_delegate.h"

class QKeyEvent;

namespace ped::views {

class AllocationCellDelegate : public GridCellDelegate {
 public:
  struct Hooks {
    // Writes what the operator typed into the cell of a grid column; false
    // when the core refused it.
    std::function<bool(std::size_t column, const QString& text)> write;
    // A key the view handles for an open editor (Tab, Enter, Esc, rows); true
    // when it took it.
    std::function<bool(QKeyEvent* key)> key;
    // The "..." button was clicked.
    std::function<void()> button;
  };

  // REQUIRES: `model` and `grid` outlive the delegate.
  AllocationCellDelegate(const GridModel& model, hostlib::Grid& grid, Painter painter, Hooks hooks,
                         QObject* parent = nullptr);
  ~AllocationCellDelegate() override;

  // The open editor (null when none) and the grid column it edits.
  AllocationCellEditor* openEditor() const { return editor_; }
  std::size_t editedColumn() const { return column_; }
  // Writes the open editor's text when the operator changed it; true when
  // there was nothing to write or the core took it.
  bool writeOpenEditor();
  // Shows or hides the open editor's button as its column says.
  void showButton() const;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const GridModel& model_;
  hostlib::Grid& grid_;
  Hooks hooks_;
  // Qt's editor calls are const; the one open editor is this delegate's state.
  mutable QPointer<AllocationCellEditor> editor_;
  mutable std::size_t column_ = 0;
};

}  // namespace ped::views
