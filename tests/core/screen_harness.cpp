#include "core/screen_harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <utility>

#include "core/shell/Pkg_ped00800.h"
#include "hostlib/database.h"
#include "hostlib/options_store.h"
#include "netclient/net_connection.h"
#include "support/demo_server.h"

namespace ped::core::testing {

HeadlessWindow::~HeadlessWindow() {
  if (toolkit_.window == this) toolkit_.window = nullptr;
}

void HeadlessWindow::setUpdatesLocked(bool on) {
  if (on == locked) throw std::logic_error(on ? "janela travada duas vezes" : "janela destravada sem trava");
  locked = on;
  ++(on ? locks : unlocks);
}

void HeadlessWindow::showNormal() {
  ++shows;
  visible = true;
  minimized = false;
  if (!active) activate();
}

void HeadlessWindow::activate() {
  active = true;
  screen_.handle([this] { screen_.FormActivate(); });
}

std::unique_ptr<ScreenWindow> HeadlessToolkit::createWindow(TfrmLiquidaItem& screen) {
  auto w = std::make_unique<HeadlessWindow>(screen, *this);
  window = w.get();
  return w;
}

void HeadlessToolkit::runModal(TfrmFiltroLiquidaItem& dialog) {
  ++filterShowings;
  dialog.FormActivate();
  if (inFilter) inFilter(dialog);
  dialog.FormClose();
}

void HeadlessToolkit::processEvents() {
  while (!posted_.empty()) {
    auto task = std::move(posted_.front());
    posted_.pop_front();
    task();
  }
}

namespace {

std::string logIn(const ped::testing::DemoServer& server, Login login) {
  netclient::TNetConnection net;
  net.Port = server.port;
  net.Open();
  const hostlib::RemoteResult r = net.Login(login.operatorCode, login.password);
  EXPECT_TRUE(r.ok) << r.error;
  return net.token();
}

std::string branchName(const std::string& code) {
  if (code == "0001") return "Matriz São Paulo";
  if (code == "0002") return "Filial Campinas";
  return "Filial Belo Horizonte";
}

}  // namespace

struct ScreenHarness::Parts {
  explicit Parts(const std::string& databaseFile) : database(databaseFile), options(optionsRoot()) {}
  ~Parts() {
    std::error_code ignored;
    std::filesystem::remove_all(optionsRoot(), ignored);
  }
  // One folder per test process, so saved options never leak between runs.
  static std::filesystem::path optionsRoot() {
    return std::filesystem::temp_directory_path() / ("ped-core-tests-opcoes-" + std::to_string(::getpid()));
  }
  hostlib::SqlDatabase database;
  hostlib::OptionsStore options;
  ScreenEnvironment environment;
};

ScreenHarness::ScreenHarness(Login login, bool boundToBranch, std::string branch)
    : ScreenHarness(ped::testing::demoServer(), login, boundToBranch, std::move(branch)) {}

ScreenHarness::ScreenHarness(const ped::testing::DemoServer& server, Login login, bool boundToBranch,
                             std::string branch)
    : vantora(
          [&] {
            hostlib::HostContext c;
            c.operador = login.operatorCode;
            c.filiProc = branch;
            c.nomeFiliProc = branchName(branch);
            c.moduFili = boundToBranch;
            c.webURL = "127.0.0.1";
            c.webPort = server.port;
            c.sessionToken = logIn(server, login);
            return c;
          }(),
          [this](std::string_view code, std::string_view parameter) { host.openScreen(code, parameter); }),
      clock(server.today),
      parts_(std::make_unique<Parts>(server.database)) {
  parts_->environment = {.host = {.vantora = &vantora,
                                  .dialogs = &host,
                                  .busy = &host,
                                  .searches = &host,
                                  .database = &parts_->database,
                                  .options = &parts_->options},
                         .toolkit = &toolkit,
                         .clock = &clock};
  setScreenEnvironment(&parts_->environment);
  Initialize();
}

ScreenHarness::~ScreenHarness() {
  toolkit.processEvents();
  Finalize();
  setScreenEnvironment(nullptr);
}

void ScreenHarness::open() { IniProc(); }

void ScreenHarness::enterBranchField() {
  TfrmLiquidaItem& s = screen();
  s.handle([&] { s.enterBranchField(); });
}

void ScreenHarness::typeBranch(const std::string& code) {
  screen().handle([&] { screen().setCdFilial(code); });
}

void ScreenHarness::leaveBranchField() {
  TfrmLiquidaItem& s = screen();
  s.handle([&] { s.leaveBranchField(); });
  toolkit.processEvents();
}

void ScreenHarness::clickBranchSearch() {
  screen().handle([&] { screen().click(screen().btnFilial); });
  toolkit.processEvents();
}

}  // namespace ped::core::testing
