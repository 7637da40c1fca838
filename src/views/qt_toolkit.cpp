#include "views/qt_toolkit.h"

#include <QApplication>
#include <QCursor>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include "views/filter_dialog_window.h"
#include "views/liquida_item_window.h"

namespace ped::views {
namespace {

// The main screen's window: a child window of the workspace, or a window of
// its own. Destroyed with the screen, it takes the widgets with it at once,
// while the screen's data sets still exist.
class QtScreenWindow : public core::ScreenWindow {
 public:
  QtScreenWindow(core::TfrmLiquidaItem& screen, QMdiArea* workspace) {
    frame_ = new LiquidaItemWindow(screen);
    if (workspace) {
      sub_ = workspace->addSubWindow(frame_);
      sub_->setAttribute(Qt::WA_DeleteOnClose, false);
      sub_->setWindowTitle(frame_->windowTitle());
      sub_->setWindowIcon(QIcon());
      // The screen takes the workspace the host gives it.
      const QSize room = workspace->viewport()->size();
      sub_->resize(room.isEmpty() ? frame_->size() : room);
      activation_ =
          QObject::connect(workspace, &QMdiArea::subWindowActivated, frame_, [this](QMdiSubWindow* w) {
            if (w != nullptr && w == sub_) frame_->activated();
          });
    }
  }
  ~QtScreenWindow() override {
    QObject::disconnect(activation_);
    if (sub_)
      delete sub_.data();
    else if (frame_)
      delete frame_.data();
  }

  void showNormal() override {
    QWidget* top = sub_ ? static_cast<QWidget*>(sub_.data()) : frame_.data();
    if (!top) return;
    const bool wasActive = sub_ ? sub_->mdiArea()->activeSubWindow() == sub_ : top->isActiveWindow();
    top->showNormal();
    top->raise();
    if (sub_) {
      sub_->mdiArea()->setActiveSubWindow(sub_);
    } else {
      top->activateWindow();
    }
    // A window that was already active gains no focus, so it is not
    // activated again; a standalone window is activated here.
    if (!wasActive && !sub_ && frame_) frame_->activated();
  }
  void repaint() override {
    if (frame_) frame_->update();
  }
  void setUpdatesLocked(bool locked) override {
    QWidget* top = sub_ ? static_cast<QWidget*>(sub_.data()) : frame_.data();
    if (top) top->setUpdatesEnabled(!locked);  // enabling again repaints it once
  }
  void popupAtPointer(hostlib::Control& menu) override {
    if (!frame_) return;
    if (auto* popup = frame_->findChild<QMenu*>(QString::fromStdString(menu.name())))
      popup->popup(QCursor::pos());
  }

 private:
  QPointer<LiquidaItemWindow> frame_;
  QPointer<QMdiSubWindow> sub_;
  QMetaObject::Connection activation_;
};

}  // namespace

QtToolkit::QtToolkit(const hostlib::HostServices& host, QMdiArea* workspace)
    : host_(host), workspace_(workspace) {}

QtToolkit::~QtToolkit() {
  for (auto& [core, window] : dialogs_)
    if (window) delete window.data();
}

std::unique_ptr<core::ScreenWindow> QtToolkit::createWindow(core::TfrmLiquidaItem& screen) {
  return std::make_unique<QtScreenWindow>(screen, workspace_.data());
}

void QtToolkit::runModal(core::TfrmFiltroLiquidaItem& dialog) {
  QPointer<FilterDialogWindow>& window = dialogs_[&dialog];
  if (!window) window = new FilterDialogWindow(dialog, host_, workspace_ ? workspace_->window() : nullptr);
  window->runModal();
}

void QtToolkit::closeModal(core::TfrmFiltroLiquidaItem& dialog) {
  const auto found = dialogs_.find(&dialog);
  if (found != dialogs_.end() && found->second) found->second->accept();
}

void QtToolkit::post(std::function<void()> task) {
  QTimer::singleShot(0, &context_, [task = std::move(task)] { task(); });
}

void QtToolkit::setWaitCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace ped::views
