#include "engine/scope_exit.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ped::engine {

// An OnFailure inside a destructor that runs during unwinding must still tell
// its own scope's failure from the one already on its way out.
TEST(ScopeExit, CleanUpsRunOnTheWaysOutTheyAreFor) {
  int exits = 0, failures = 0;
  {
    ScopeExit e{[&] { ++exits; }};
    OnFailure f{[&] { ++failures; }};
  }
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(failures, 0);

  EXPECT_THROW(
      {
        ScopeExit e{[&] { ++exits; }};
        OnFailure f{[&] { ++failures; }};
        throw std::runtime_error("x");
      },
      std::runtime_error);
  EXPECT_EQ(exits, 2);
  EXPECT_EQ(failures, 1);

  struct Unwinder {
    int& failures;
    ~Unwinder() {
      OnFailure inner{[&] { ++failures; }};
    }
  };
  EXPECT_THROW(
      {
        Unwinder u{failures};
        throw std::runtime_error("y");
      },
      std::runtime_error);
  EXPECT_EQ(failures, 1);

  {
    ScopeExit e{[&] { ++exits; }};
    e.dismiss();
  }
  EXPECT_EQ(exits, 2);
}

}  // namespace ped::engine
