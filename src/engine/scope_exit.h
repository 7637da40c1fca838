#pragma once
// Clean-ups bound to a scope, for the cases the specific guards
// (ControlsDisabled, DetachedHandler, BusyGuard, sql::Transaction) do not
// cover:
//
//   ScopeExit undo{[&] { ... }};     runs on every way out of the scope
//   OnFailure undo{[&] { ... }};     runs only when the scope is left by an
//                                    exception (the exception goes on)
//
// dismiss() cancels the clean-up. The clean-up must not throw: it runs from a
// destructor, possibly while an exception is on its way out.

#include <exception>
#include <utility>

namespace ped::engine {

template <class Cleanup>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
  ~ScopeExit() {
    if (armed_) cleanup_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

  void dismiss() noexcept { armed_ = false; }

 private:
  Cleanup cleanup_;
  bool armed_ = true;
};

template <class Cleanup>
class [[nodiscard]] OnFailure {
 public:
  explicit OnFailure(Cleanup cleanup)
      : cleanup_(std::move(cleanup)), exceptions_(std::uncaught_exceptions()) {}
  ~OnFailure() {
    if (armed_ && std::uncaught_exceptions() > exceptions_) cleanup_();
  }
  OnFailure(const OnFailure&) = delete;
  OnFailure& operator=(const OnFailure&) = delete;

  void dismiss() noexcept { armed_ = false; }

 private:
  Cleanup cleanup_;
  int exceptions_;
  bool armed_ = true;
};

}  // namespace ped::engine
