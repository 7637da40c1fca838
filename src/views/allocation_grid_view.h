#pragma once
// The allocation grid drawn with Qt. It decides nothing: the core owns the
// cell cursor's column, which cells take typing and which show the "..."
// button; the view shows that and forwards the operator's moves (a column
// asked for, a cell typed, Enter, Esc, the button), each as one event.

#include <QTableView>
#include <functional>
#include <string>

#include "views/grid_cell_delegate.h"

namespace ped::hostlib {
class Grid;
}

namespace ped::views {

class AllocationCellDelegate;
class AllocationCellEditor;
class GridModel;

// What the view asks of the core.
struct AllocationGridMoves {
  // Runs a handler as one event; false when it was refused (its message shown).
  std::function<bool(const std::function<void()>&)> run;
  // The operator asks for the cell cursor in a grid column; the core moves
  // it, skips a hidden column or keeps it.
  std::function<void(std::size_t column)> moveColumn;
  // What the operator typed into a grid column's cell (a decimal comma).
  std::function<void(std::size_t column, const std::string& text)> typeCell;
  std::function<void()> post;      // Enter
  std::function<void()> cancel;    // Esc
  std::function<void()> pickList;  // the "..." button
};

class AllocationGridView : public QTableView {
 public:
  // REQUIRES: `grid` and its data source outlive the view.
  AllocationGridView(hostlib::Grid& grid, AllocationGridMoves moves, GridCellDelegate::Painter painter,
                     QWidget* parent = nullptr);

  GridModel& gridModel() const { return *model_; }
  // The open cell editor, or null.
  AllocationCellEditor* openEditor() const;
  // Writes what the open editor holds, when the operator changed it, and
  // closes it; false (the editor left open) when the core refused the text.
  bool commitEditor();
  // Closes the open editor, dropping what it holds.
  void discardEditor();
  // Typing in a cell that takes none moves no row.
  void keyboardSearch(const QString& search) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = QList<int>()) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  // Asks the core for `section`'s column; true when the cursor left the
  // column it was in.
  bool askColumn(int section);
  // Tab (+1) and Shift+Tab (-1); past the last cell the focus moves on.
  void stepColumn(int direction);
  bool editorKey(QKeyEvent* event);
  // Shows what the core holds: the cursor's column, the editor and its button.
  void followGrid();
  // Where the core's cursor column is drawn: the next shown one if it is hidden.
  int coreSection() const;
  // The core gives a key cell the button: its editor opens so it is there to
  // click.
  void openEditorForButtonLater();

  hostlib::Grid& grid_;
  AllocationGridMoves moves_;
  GridModel* model_;
  AllocationCellDelegate* delegate_;
  bool following_ = false;  // set while the view shows the core's column
  bool editorPending_ = false;
};

}  // namespace ped::views
