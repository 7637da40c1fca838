#pragma once
// The main screen as an operator meets it, without a display: a headless
// toolkit that plays the window's part (showing, activation, the modal
// filter dialog, posted messages), the scripted host, and a real
// application server with the demo data.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"
#include "support/demo_server.h"
#include "support/scripted_host.h"

namespace ped::core::testing {

class HeadlessToolkit;

class HeadlessWindow : public ScreenWindow {
 public:
  HeadlessWindow(TfrmLiquidaItem& screen, HeadlessToolkit& toolkit) : screen_(screen), toolkit_(toolkit) {}
  ~HeadlessWindow() override;
  void showNormal() override;
  void repaint() override { ++repaints; }
  void setUpdatesLocked(bool locked) override;
  void popupAtPointer(hostlib::Control& menu) override { popups.push_back(menu.name()); }
  // The operator comes back to the window from another one.
  void activate();
  void deactivate() { active = false; }

  bool visible = false, minimized = false, active = false;
  int shows = 0, repaints = 0;
  bool locked = false;
  // Every lock and every unlock the window was asked for; a frozen window
  // is never asked to lock again.
  int locks = 0, unlocks = 0;
  // The pop-up menus opened at the pointer, by name.
  std::vector<std::string> popups;

 private:
  TfrmLiquidaItem& screen_;
  HeadlessToolkit& toolkit_;
};

class HeadlessToolkit : public Toolkit {
 public:
  std::unique_ptr<ScreenWindow> createWindow(TfrmLiquidaItem& screen) override;
  void runModal(TfrmFiltroLiquidaItem& dialog) override;
  void closeModal(TfrmFiltroLiquidaItem&) override { ++filterCloseRequests; }
  void post(std::function<void()> task) override { posted_.push_back(std::move(task)); }
  void setWaitCursor(bool on) override { waitDepth += on ? 1 : -1; }

  // Runs the posted messages, as the event loop does after an event.
  void processEvents();

  HeadlessWindow* window = nullptr;  // the main screen's, while it exists
  int filterShowings = 0;
  int filterCloseRequests = 0;  // asked by the dialog itself (Confirma)
  int waitDepth = 0;
  // What the operator does in the filter dialog, if anything, before it closes.
  std::function<void(TfrmFiltroLiquidaItem&)> inFilter;

 private:
  std::deque<std::function<void()>> posted_;
};

struct Login {
  const char* operatorCode;
  const char* password;
};
inline constexpr Login kGerente{"GERENTE", "gerente123"};
inline constexpr Login kVendedor{"VENDEDOR1", "vendedor123"};
inline constexpr Login kSemVendedor{"SEMVEND", "semvend123"};

// One loaded module with its host, logged in on the demo server.
class ScreenHarness {
 public:
  explicit ScreenHarness(Login login = kGerente, bool boundToBranch = false, std::string branch = "0001");
  // The same on another running server (benchmarks bring a larger database).
  // REQUIRES: `server` serves the demo operators and outlives the harness.
  ScreenHarness(const ped::testing::DemoServer& server, Login login = kGerente, bool boundToBranch = false,
                std::string branch = "0001");
  ~ScreenHarness();

  TfrmLiquidaItem& screen() const { return *frmLiquidaItem; }
  // The operator opens the screen from the host's menu.
  void open();

  // The operator's moves in the branch panel; each runs as one event.
  void enterBranchField();
  void typeBranch(const std::string& code);
  void leaveBranchField();
  void clickBranchSearch();

  hostlib::ScriptedHost host;
  HeadlessToolkit toolkit;
  hostlib::Vantora vantora;
  // "Today" for the screen: the demo data's day unless a test moves it.
  engine::FixedClock clock;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace ped::core::testing
