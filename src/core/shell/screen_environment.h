#pragma once
// Everything a screen of this module needs from outside: the host's services
// and the windowing toolkit that draws the screen. The module glue (or a
// test) sets it before the first IniProc; it must outlive every screen.

#include <functional>
#include <memory>

#include "engine/date_time.h"
#include "hostlib/host_services.h"

namespace ped::hostlib {
class Control;
}

namespace ped::core {

class TfrmLiquidaItem;
class TfrmFiltroLiquidaItem;

// The window that shows the main screen; owned by the screen.
class ScreenWindow {
 public:
  virtual ~ScreenWindow() = default;
  // Restores a minimised window and brings it to the front; when it gains
  // the focus the window runs the screen's FormActivate.
  virtual void showNormal() = 0;
  virtual void repaint() = 0;
  // The window-update lock: while locked the window draws nothing; the
  // unlock draws it once, as it stands then.
  virtual void setUpdatesLocked(bool locked) = 0;
  // Opens one of the screen's pop-up menus (a container of menu entries) at
  // the mouse pointer and returns; the entry the operator chooses reaches
  // the screen later as a click, like any menu entry.
  virtual void popupAtPointer(hostlib::Control& menu) = 0;
};

// What the windowing toolkit does for the screens.
class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // A window for a newly created main screen, not yet shown.
  virtual std::unique_ptr<ScreenWindow> createWindow(TfrmLiquidaItem& screen) = 0;
  // Shows the filter dialog modally; returns when it has closed. The toolkit
  // runs the dialog's FormActivate when it shows and FormClose when it hides.
  virtual void runModal(TfrmFiltroLiquidaItem& dialog) = 0;
  // Asked from one of the dialog's own handlers: the dialog hides once that
  // handler is done, and runModal returns.
  virtual void closeModal(TfrmFiltroLiquidaItem& dialog) = 0;
  // Runs `task` once the current event is done (a posted message).
  virtual void post(std::function<void()> task) = 0;
  // The application's hourglass cursor.
  virtual void setWaitCursor(bool on) = 0;
};

struct ScreenEnvironment {
  hostlib::HostServices host;
  Toolkit* toolkit = nullptr;
  const engine::Clock* clock = nullptr;  // null: the system's
};

// The environment's clock, or the system's.
const engine::Clock& clockOf(const ScreenEnvironment& environment);

// REQUIRES: every pointer but the clock set; null clears it.
void setScreenEnvironment(const ScreenEnvironment* environment);
// Throws std::logic_error when none was set.
const ScreenEnvironment& screenEnvironment();

// The hourglass for the life of the guard.
class WaitCursor {
 public:
  explicit WaitCursor(Toolkit& toolkit) : toolkit_(toolkit) { toolkit_.setWaitCursor(true); }
  ~WaitCursor() { toolkit_.setWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Toolkit& toolkit_;
};

}  // namespace ped::core
