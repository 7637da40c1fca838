#pragma once
// Everything the host keeps for a logged-in operator: the session context,
// the look-up database, the saved options, the main window with the Qt host
// services, the module loader and the ScreenHost published to the modules.
// Destroying it finalizes the modules first (last loaded first), then
// destroys their windows, unloads them, and only then the services they used.

#include <filesystem>
#include <memory>
#include <string>

#include "hostapp/main_window.h"
#include "hostapp/module_loader.h"
#include "hostlib/database.h"
#include "hostlib/options_store.h"
#include "hostlib/vantora.h"
#include "hostlib_qt/qt_host.h"
#include "hostlib_qt/screen_host.h"

namespace ped::hostapp {

class HostRuntime {
 public:
  // Takes over `database`; publishes its ScreenHost at once.
  HostRuntime(hostlib::HostContext context, std::unique_ptr<hostlib::Database> database,
              hostlib::OptionsStore options, std::filesystem::path modulesDir);
  ~HostRuntime();
  HostRuntime(const HostRuntime&) = delete;
  HostRuntime& operator=(const HostRuntime&) = delete;

  // Opens a screen; a failure is an error box, never an exception, since
  // modules reach here through Vantora::LoadBPL.
  void openScreen(const std::string& code);

  MainWindow& window() { return *window_; }
  hostlib_qt::ScreenHost& screenHost() { return screenHost_; }
  ModuleLoader& loader() { return loader_; }

 private:
  std::unique_ptr<hostlib::Database> database_;
  hostlib::OptionsStore options_;
  hostlib::Vantora vantora_;
  std::unique_ptr<MainWindow> window_;
  hostlib_qt::QtHost qtHost_;
  hostlib_qt::ScreenHost screenHost_;
  ModuleLoader loader_;
};

}  // namespace ped::hostapp
