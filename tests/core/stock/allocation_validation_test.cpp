// What posting an allocation row checks and books, on the demo server.

#include <cmath>

#include "core/allocation_steps.h"

namespace ped::core::testing {
namespace {

using AllocationValidation = AllocationTest;

const char* const kNotAvailable = "erro: A Qtde. a Liquidar informada não está disponível.";
const char* const kNotPositive = "erro: Qtde. a Liquidar deve ser maior que 0.";

// 0002 keeps stock by warehouse only; an item without rows yet. A new row
// takes its warehouse from the pick list, with what the position has for the item.
class NewRowOnWarehouses : public AllocationValidation {
 protected:
  void SetUp() override {
    onBranch("0002");
    ASSERT_TRUE(onItem([&] { return !itemHasRows(); }));
  }
  // The new row's available quantity.
  double newRow() {
    EXPECT_TRUE(include());
    EXPECT_TRUE(pick("CDALMOXARIFE", 1));
    messages();
    return number("QTDISPONIVEL");
  }
  // The quantity left available is stored as it reads: 0 is +0, no dust.
  void expectAvailable(double left) {
    EXPECT_DOUBLE_EQ(number("QTDISPONIVEL"), left);
    EXPECT_FALSE(std::signbit(number("QTDISPONIVEL")));
  }
};

TEST_F(NewRowOnWarehouses, AQuantityIsAcceptedUpToWhatIsAvailableAndBooked) {
  const double available = newRow();
  ASSERT_GT(available, 1);
  ASSERT_TRUE(type("QTEXP", typed(available + 0.001)));
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{kNotAvailable});
  EXPECT_EQ(focus(), "QTEXP");
  EXPECT_EQ(rows().state(), engine::DataSetState::Insert);
  EXPECT_EQ(number("QTDISPONIVEL"), available);

  ASSERT_TRUE(type("QTEXP", typed(available)));
  ASSERT_TRUE(post());
  EXPECT_EQ(messages(), Lines{});
  expectAvailable(0);
  EXPECT_EQ(rows().changeCount(), 0u);

  // Without lots the same warehouse may be named again, with what the
  // item's first row left of it.
  ASSERT_TRUE(alter());
  ASSERT_TRUE(type("QTEXP", typed(available - 1)));
  ASSERT_TRUE(post());
  const std::string warehouse = text("CDALMOXARIFE");
  EXPECT_EQ(newRow(), 1);
  EXPECT_EQ(text("CDALMOXARIFE"), warehouse);
  ASSERT_TRUE(type("QTEXP", "1,0005"));  // kept to thousandths
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{kNotAvailable});
  ASSERT_TRUE(type("QTEXP", "1"));
  ASSERT_TRUE(post()) << messages().back();
  EXPECT_EQ(rows().recordCount(), 2u);
}

TEST_F(NewRowOnWarehouses, ARowWithoutAPositiveQuantityIsRefused) {
  newRow();
  for (const char* q : {"0", "-1", "0,0004", ""}) {
    ASSERT_TRUE(type("QTEXP", q));
    EXPECT_FALSE(post());
    EXPECT_EQ(messages(), Lines{kNotPositive}) << q;
    EXPECT_EQ(focus(), "QTEXP");
  }
}

// An edited row books only the difference, against what was left at its last
// post; 0,1 then 0,7 then all of it leaves exactly nothing.
TEST_F(NewRowOnWarehouses, AnEditedQuantityBooksTheDifference) {
  const double available = newRow();
  ASSERT_TRUE(type("QTEXP", "0,1"));
  ASSERT_TRUE(post());
  expectAvailable(available - 0.1);
  ASSERT_TRUE(alter());
  ASSERT_TRUE(type("QTEXP", "0,7"));
  ASSERT_TRUE(post());
  expectAvailable(available - 0.7);

  ASSERT_TRUE(alter());
  ASSERT_TRUE(type("QTEXP", typed(available + 0.5)));
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{kNotAvailable});
  EXPECT_EQ(rows().state(), engine::DataSetState::Edit);
  ASSERT_TRUE(type("QTEXP", typed(available)));
  ASSERT_TRUE(post());
  expectAvailable(0);

  // Unchanged, with nothing left: accepted as it is.
  ASSERT_TRUE(alter());
  ASSERT_TRUE(post());
  expectAvailable(0);
  // A refused change cancelled: the row as last posted.
  ASSERT_TRUE(alter());
  ASSERT_TRUE(type("QTEXP", typed(available + 1)));
  EXPECT_FALSE(post());
  ASSERT_TRUE(cancel());
  EXPECT_EQ(number("QTEXP"), available);
  EXPECT_EQ(rows().changeCount(), 0u);
  messages();

  // A deleted row gives nothing back to the others; a new row finds it free.
  ASSERT_TRUE(remove());
  EXPECT_EQ(newRow(), available);
  EXPECT_TRUE(cancel());
}

// Rows the operator changed go only when he says so: closing the screen, and
// Verificar, which loads the server's rows again.
TEST_F(NewRowOnWarehouses, ChangedRowsAreNotDroppedUnasked) {
  newRow();
  ASSERT_TRUE(type("QTEXP", "1"));
  h_.host.answer(false);
  EXPECT_FALSE(s().FormCloseQuery());
  EXPECT_EQ(messages(), Lines{"pergunta: Cancelar operação? -> Não"});
  ASSERT_TRUE(post());

  ASSERT_TRUE(s().handle([&] { s().pgcPadrao.choosePage(s().tshPadrao); }));
  const std::string question =
      "pergunta: As alterações na alocação de estoque ainda não confirmadas serão perdidas. Deseja "
      "continuar?";
  h_.host.answer(false);
  ASSERT_TRUE(s().handle([&] { s().click(s().sbtVerificar); }));
  EXPECT_EQ(messages(), Lines{question + " -> Não"});
  h_.host.answer(true);
  ASSERT_TRUE(s().handle([&] { s().click(s().sbtVerificar); }));
  EXPECT_EQ(messages(), Lines{question + " -> Sim"});
  EXPECT_TRUE(s().FormCloseQuery());  // nothing left to lose: not asked
}

// With lots, a post asks the server again for every key; a row whose keys
// did not change is not a duplicate of itself. Tabbing across the sub-lot
// looks the availability up again and empties the quantity: retyped, the
// row is booked as a new one would be, and reads as before.
TEST_F(AllocationValidation, AServerRowPostedAgainKeepsItsPositionAndAvailability) {
  onBranch("0001");
  ASSERT_TRUE(onItem([&] { return itemHasRows(); }));
  const std::string before = rows().dump("CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTDISPONIVEL;QTEXP");
  const double quantity = number("QTEXP"), available = number("QTDISPONIVEL");
  ASSERT_TRUE(go("CDALMOXARIFE"));
  ASSERT_TRUE(alter());
  ASSERT_TRUE(tabTo("QTEXP")) << messages().back();
  EXPECT_EQ(number("QTEXP"), 0);
  EXPECT_DOUBLE_EQ(number("QTDISPONIVEL"), available + quantity);
  ASSERT_TRUE(type("QTEXP", typed(quantity)));
  ASSERT_TRUE(post()) << messages().back();
  EXPECT_EQ(messages(), Lines{});
  EXPECT_EQ(rows().dump("CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTDISPONIVEL;QTEXP"), before);
}

}  // namespace
}  // namespace ped::core::testing
