// The order's settlement history opened from the operations menu when the
// server fails: its message, and no list. (The list itself is checked in
// the window, tests/views/order_history_window_test.cpp.)

#include "core/confirmation/confirmation_steps.h"

namespace ped::core::testing {
namespace {

class History : public ConfirmationTest {};

TEST_F(History, AServerFailureIsToldAndNothingIsShown) {
  listOrders("0001");
  ASSERT_TRUE(s().mnuHistorico.enabled());
  proxy.fail("GetHistorico", "Falha simulada no servidor.");
  watchMessages();
  EXPECT_FALSE(choose(s().mnuHistorico));
  EXPECT_EQ(messages(), (Lines{"erro: Falha simulada no servidor."}));
  EXPECT_EQ(s().showavi.depth(), 0);
}

}  // namespace
}  // namespace ped::core::testing
