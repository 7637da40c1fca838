#pragma once
// The screen an operator works in, for the operator benchmarks: the real
// screen core, headless, on a real application server over loopback with a
// SQLite demo database of 90,000 orders (seed 7) generated for the run, its
// order list holding 10,000 orders listed through the filter's Confirma.

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/screen_harness.h"
#include "support/demo_server.h"

namespace ped::bench {

inline constexpr std::size_t kListedOrders = 10'000;

// The application server, counting the calls it answers.
struct OperatorServer {
  OperatorServer();
  // The number range holding the first `count` orders of `branch` with one
  // of `statuses` (IDSITPEDIDO codes), in number order.
  std::pair<std::string, std::string> rangeOf(const std::string& branch, std::string_view statuses,
                                              std::size_t count) const;

  std::atomic<long> calls{0};
  // PED_BENCH_CALLS set: every call answered printed with its time.
  const bool traceCalls = std::getenv("PED_BENCH_CALLS") != nullptr;
  std::unique_ptr<ped::testing::RunningDemoServer> server;
};
OperatorServer& operatorServer();

// Branch 0001 moves stock (its marks check the allocation rows); 0003 does not.
class OperatorScreen {
  std::string branch_, statuses_;
  std::pair<std::string, std::string> range_;
  core::testing::ScreenHarness h_;

 public:
  // Lists the first 10,000 orders of `branch` with `statuses`, every item
  // status, through the filter dialog.
  OperatorScreen(std::string branch, std::string statuses);

  core::TfrmLiquidaItem& s;

  // Filtrar, the dialog filled as the constructor did, Confirma; `confirm`
  // clicks Confirma (and may time it).
  void filterAgain(const std::function<void(const std::function<void()>& confirm)>& confirm);
  // Runs a handler as one event; aborts the run if it was refused.
  void run(const std::function<void()>& handler, const char* what);
  // Whatever the host showed since the last look.
  std::vector<std::string> shown() { return h_.host.take(); }
  void answer(bool yes) { h_.host.answer(yes); }

  // Clicks on the order grid's mark cell and title, as the window forwards them.
  void clickMark(const char* what);
  void clickMarkTitle(const char* what);
  // Orders whose mark is `mark` and (when given) status is `status`, read
  // without moving the cursor.
  std::size_t count(std::string_view mark, std::string_view status = {}) const;
  std::size_t orders() const;

  // Gives every item of the listed orders the stock check looks at an
  // allocation row for its whole quantity, so marking any order passes it.
  void allocateEveryItem();

  [[noreturn]] void fail(const std::string& what);

 private:
  core::TfrmLiquidaItem& list();
  void fillFilter(core::TfrmFiltroLiquidaItem& d) const;
};

// The calls the server answered while it lived.
struct CallCount {
  long start = operatorServer().calls;
  long since() const { return operatorServer().calls - start; }
};

}  // namespace ped::bench
