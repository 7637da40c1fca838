#pragma once
// The host's main window ("frmPrincipal"): the screens open as child windows
// of its workspace ("mdiTelas"); menus open screens and arrange windows; the
// status bar names the operator, the branch, the branch binding and the server.

#include <QMainWindow>
#include <functional>
#include <string>

#include "hostlib/vantora.h"

class QMdiArea;

namespace ped::hostapp {

class MainWindow : public QMainWindow {
 public:
  using ScreenOpener = std::function<void(const std::string& code)>;
  // `openScreen` is called with the code the operator chose or typed.
  MainWindow(const hostlib::HostContext& context, ScreenOpener openScreen);

  QMdiArea* workspace() const { return workspace_; }
  // Title and status bar name the context's current branch.
  void showBranch(const hostlib::HostContext& context);
  // Destroys every child window at once, without asking them, and whatever
  // they left for deferred deletion: objects whose code lives in a module
  // must be gone before the module is unloaded.
  void discardScreens();

 protected:
  // The host closes only when every screen agreed to close.
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildStatusBar(const hostlib::HostContext& context);
  void askScreenCode();

  ScreenOpener openScreen_;
  QMdiArea* workspace_;
};

// "Vendas - <operator> - Filial <code> <name>"
QString mainWindowTitle(const hostlib::HostContext& context);

}  // namespace ped::hostapp
