#pragma once
// The busy indicator ("Aguarde..."): nested activations are counted, and only
// the first shows it and the last takes it down.

namespace ped::hostlib {

// What the host draws: the wait cursor and a small non-modal indicator.
class BusyIndicator {
 public:
  virtual ~BusyIndicator() = default;
  virtual void showBusy(int kind) = 0;  // kind 6: look-ups and loads; 1: confirmation
  virtual void hideBusy() = 0;
};

class Showavi {
 public:
  explicit Showavi(BusyIndicator& indicator) : indicator_(indicator) {}
  void ActiveShowAvi(int kind);
  // Extra deactivations are ignored, so a guard and a manual call can meet.
  void DeactiveShowAvi();
  int depth() const { return depth_; }

 private:
  BusyIndicator& indicator_;
  int depth_ = 0;
};

// Shows the indicator for the life of the guard and takes it down on every
// way out, an Abort included.
class BusyGuard {
 public:
  BusyGuard(Showavi& showavi, int kind) : showavi_(showavi) { showavi_.ActiveShowAvi(kind); }
  ~BusyGuard() { showavi_.DeactiveShowAvi(); }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  Showavi& showavi_;
};

}  // namespace ped::hostlib
