#pragma once
// The "Liquidação Manual" main screen drawn with Qt: the base grid screen's
// frame, the branch panel, the three pages with their grids, the operations
// menu and the filter button. Every widget carries its component's name and
// shows the core's state; the operator's events go to the core's handlers.

#include <QPointer>

#include "core/shell/Cli_ped00800.h"
#include "hostlib_qt/base_frames.h"

class QLineEdit;
class QTabWidget;
class QTableView;

namespace ped::hostlib_qt {
class MaskedLineEdit;
}

namespace ped::views {

class AllocationGridView;

class LiquidaItemWindow : public hostlib_qt::GridScreenFrame {
 public:
  explicit LiquidaItemWindow(core::TfrmLiquidaItem& screen, QWidget* parent = nullptr);

  core::TfrmLiquidaItem& screen() const { return screen_; }
  // The toolkit calls this when the window gains the focus.
  void activated();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildBranchPanel(QWidget* parent);
  void buildPages(QWidget* parent);
  void buildMenus();
  // Binds `view` (its model set, or a GridModel given) to `grid`.
  QTableView* grid(hostlib::Grid& grid, QTableView* view);
  // A toolbar or menu button: an open allocation cell goes in first (Cancel
  // drops it), then the button's handler.
  void clickButton(hostlib::Control& button);
  void showActivePage();
  // Runs a handler of the screen as one event.
  void run(const std::function<void()>& handler) { screen_.handle(handler); }

  core::TfrmLiquidaItem& screen_;
  hostlib_qt::MaskedLineEdit* medCdFilial_ = nullptr;
  QLineEdit* edtCdJust_ = nullptr;
  QTabWidget* pages_ = nullptr;
  AllocationGridView* allocation_ = nullptr;
  bool closing_ = false;
};

}  // namespace ped::views
