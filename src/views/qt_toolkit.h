#pragma once
// The toolkit the screen's core uses, drawn with Qt: the main screen as a
// child window of the host's workspace (a window of its own without one),
// the modal filter dialog, posted messages and the hourglass.

#include <QObject>
#include <QPointer>
#include <map>
#include <memory>

#include "core/shell/screen_environment.h"

class QMdiArea;

namespace ped::views {

class FilterDialogWindow;

class QtToolkit : public core::Toolkit {
 public:
  // `workspace` may be null; `host` must outlive the toolkit.
  QtToolkit(const hostlib::HostServices& host, QMdiArea* workspace);
  ~QtToolkit() override;

  std::unique_ptr<core::ScreenWindow> createWindow(core::TfrmLiquidaItem& screen) override;
  void runModal(core::TfrmFiltroLiquidaItem& dialog) override;
  void closeModal(core::TfrmFiltroLiquidaItem& dialog) override;
  void post(std::function<void()> task) override;
  void setWaitCursor(bool on) override;

 private:
  const hostlib::HostServices& host_;
  QPointer<QMdiArea> workspace_;
  QObject context_;  // posted tasks die with it
  std::map<core::TfrmFiltroLiquidaItem*, QPointer<FilterDialogWindow>> dialogs_;
};

}  // namespace ped::views
