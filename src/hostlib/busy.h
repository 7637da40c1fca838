#pragma once
// The busy indicator ("Aguarde..."): nested activations are counted, and only
// the first shows it and the last takes it down.

namespace ped::hostlib {

// What the indicator shows the operator is waiting for.
enum class BusyKind {
  Confirmation = 1,  // a confirmation being sent
  Loading = 6,       // look-ups and loads
};

// What the host draws: the wait cursor and a small non-modal indicator.
class BusyIndicator {
 public:
  virtual ~BusyIndicator() = default;
  virtual void showBusy(BusyKind kind) = 0;
  virtual void hideBusy() = 0;
};

// The nesting of one indicator. Not thread-safe: the UI thread's.
class Showavi {
 public:
  explicit Showavi(BusyIndicator& indicator) : indicator_(indicator) {}
  void ActiveShowAvi(BusyKind kind);
  // One level down. Extra deactivations are ignored.
  void DeactiveShowAvi();
  // Takes the indicator down whatever the nesting, so that a message can
  // show; the guards raised before it then leave the count alone.
  void DeactiveAll();
  int depth() const { return depth_; }
  // Changes with every DeactiveAll.
  unsigned generation() const { return generation_; }

 private:
  BusyIndicator& indicator_;
  int depth_ = 0;
  unsigned generation_ = 0;
};

// Shows the indicator for the life of the guard and takes its level down on
// every way out, an Abort included; nothing when a DeactiveAll came between.
// REQUIRES: `showavi` outlives the guard.
class BusyGuard {
 public:
  BusyGuard(Showavi& showavi, BusyKind kind) : showavi_(showavi) {
    showavi_.ActiveShowAvi(kind);
    generation_ = showavi_.generation();
  }
  ~BusyGuard() {
    if (showavi_.generation() == generation_) showavi_.DeactiveShowAvi();
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  Showavi& showavi_;
  unsigned generation_ = 0;
};

}  // namespace ped::hostlib
