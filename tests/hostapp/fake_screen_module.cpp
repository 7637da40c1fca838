// A screen module for the host's tests, built under several screen codes
// (FAKE_SCREEN_CODE), one without IniProc and one that is never ready. Each entry point appends "<code>
// <entry>" to the file named by $PED_FAKE_MODULE_LOG; IniProc opens a window in the workspace of the host it
// finds through findScreenHost, titled with the host's operator.

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <cstdlib>
#include <fstream>

#include "hostlib_qt/screen_host.h"

namespace {

void record(const std::string& what) {
  if (const char* path = std::getenv("PED_FAKE_MODULE_LOG"))
    std::ofstream(path, std::ios::app) << FAKE_SCREEN_CODE " " << what << '\n';
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void Initialize() noexcept { record("Initialize"); }

__attribute__((visibility("default"))) void Finalize() noexcept {
  record(ped::hostlib_qt::findScreenHost() ? "Finalize" : "Finalize sem host");
}

#ifdef FAKE_NOT_READY
__attribute__((visibility("default"))) int PedModuleReady() noexcept { return 0; }
#endif

#ifndef FAKE_WITHOUT_INIPROC
__attribute__((visibility("default"))) void IniProc() noexcept {
  ped::hostlib_qt::ScreenHost* host = ped::hostlib_qt::findScreenHost();
  if (host == nullptr || host->workspace == nullptr) {
    record("IniProc sem host");
    return;
  }
  auto* screen = new QWidget;
  screen->setWindowTitle(QStringLiteral(FAKE_SCREEN_CODE " - ") +
                         QString::fromStdString(host->services.vantora->Operador()));
  host->workspace->addSubWindow(screen)->show();
  record("IniProc " + host->services.vantora->Operador());
}
#endif
}
