#include "hostapp/host_runtime.h"

#include <QMdiArea>
#include <iostream>

#include "hostapp/screen_host_export.h"

namespace ped::hostapp {

HostRuntime::HostRuntime(hostlib::HostContext context, std::unique_ptr<hostlib::Database> database,
                         hostlib::OptionsStore options, std::filesystem::path modulesDir)
    : database_(std::move(database)),
      options_(std::move(options)),
      // The parameter of LoadBPL stops here: screens are opened through
      // IniProc, which takes none.
      vantora_(std::move(context),
               [this](std::string_view code, std::string_view) { openScreen(std::string(code)); }),
      window_(std::make_unique<MainWindow>(vantora_.context(),
                                           [this](const std::string& code) { openScreen(code); })),
      qtHost_(window_.get()),
      loader_(std::move(modulesDir)) {
  screenHost_.services = {&vantora_, &qtHost_, &qtHost_, &qtHost_, database_.get(), &options_};
  screenHost_.workspace = window_->workspace();
  vantora_.onBranchChanged([this](const hostlib::HostContext& context) { window_->showBranch(context); });
  publishScreenHost(&screenHost_);
}

HostRuntime::~HostRuntime() {
  const auto failures = loader_.unloadAll([this] { window_->discardScreens(); });
  for (const std::string& failure : failures) std::cerr << "ped-host: " << failure << '\n';
  publishScreenHost(nullptr);
}

void HostRuntime::openScreen(const std::string& code) {
  try {
    loader_.open(code);
  } catch (const std::exception& e) {
    qtHost_.showError(e.what());
  }
}

}  // namespace ped::hostapp
