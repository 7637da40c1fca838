// What posting an allocation row checks and books, on the demo server.

#include <cmath>

#include "core/stock/allocation_steps.h"

namespace ped::core::testing {
namespace {

using AllocationValidation = AllocationTest;

const char* const kNotAvailable = "erro: A Qtde. a Liquidar informada não está disponível.";
const char* const kNotPositive = "erro: Qtde. a Liquidar deve ser maior que 0.";

// 0002 keeps stock by warehouse only; an item without rows yet. A new row
// takes its warehouse from the pick list, and `available` stands for what the
// position has for the item.
class NewRowOnWarehouses : public AllocationValidation {
 protected:
  void SetUp() override {
    onBranch("0002");
    ASSERT_TRUE(onItem([&] { return !itemHasRows(); }));
  }
  void newRow(double available) {
    ASSERT_TRUE(include());
    ASSERT_TRUE(pick("CDALMOXARIFE", 1));
    type("QTDISPONIVEL", available);
    messages();
  }
  // The quantity left available is stored as it reads: 0 is +0, no dust.
  void expectAvailable(double left) {
    EXPECT_EQ(number("QTDISPONIVEL"), left);
    EXPECT_FALSE(std::signbit(number("QTDISPONIVEL")));
  }
};

TEST_F(NewRowOnWarehouses, AQuantityIsAcceptedUpToWhatIsAvailableAndBooked) {
  newRow(10);
  type("QTEXP", 10.001);
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{kNotAvailable});
  EXPECT_EQ(focus(), "QTEXP");
  EXPECT_EQ(rows().state(), engine::DataSetState::Insert);
  EXPECT_EQ(number("QTDISPONIVEL"), 10);

  type("QTEXP", 10.0);
  ASSERT_TRUE(post());
  EXPECT_EQ(messages(), Lines{});
  expectAvailable(0);
  EXPECT_EQ(rows().changeCount(), 0u);

  // Without lots the same warehouse may be named again; 0.1 + 0.2 of 0.3 takes it all.
  const std::string warehouse = text("CDALMOXARIFE");
  newRow(0.3);
  EXPECT_EQ(text("CDALMOXARIFE"), warehouse);
  type("QTEXP", 0.1 + 0.2);
  ASSERT_TRUE(post()) << messages().back();
  expectAvailable(0);
  EXPECT_EQ(rows().recordCount(), 2u);
}

TEST_F(NewRowOnWarehouses, ARowWithoutAPositiveQuantityIsRefused) {
  newRow(5);
  for (const engine::Value& q :
       {engine::Value(0.0), engine::Value(-1.0), engine::Value(0.0004), engine::Value()}) {
    type("QTEXP", q);
    EXPECT_FALSE(post());
    EXPECT_EQ(messages(), Lines{kNotPositive});
    EXPECT_EQ(focus(), "QTEXP");
  }
}

// An edited row books only the difference, against what was left at its last post.
TEST_F(NewRowOnWarehouses, AnEditedQuantityBooksTheDifference) {
  newRow(5);
  type("QTEXP", 3.0);
  ASSERT_TRUE(post());
  expectAvailable(2);

  ASSERT_TRUE(alter());
  type("QTEXP", 5.5);
  EXPECT_FALSE(post());
  EXPECT_EQ(messages(), Lines{kNotAvailable});
  EXPECT_EQ(rows().state(), engine::DataSetState::Edit);
  type("QTEXP", 5.0);
  ASSERT_TRUE(post());
  expectAvailable(0);

  // Unchanged, with nothing left: accepted as it is.
  ASSERT_TRUE(alter());
  type("QTEXP", 5.0);
  ASSERT_TRUE(post());
  expectAvailable(0);
  // A refused change cancelled: the row as last posted.
  ASSERT_TRUE(alter());
  type("QTEXP", 6.0);
  EXPECT_FALSE(post());
  ASSERT_TRUE(cancel());
  EXPECT_EQ(number("QTEXP"), 5);
  EXPECT_EQ(rows().changeCount(), 0u);
  messages();

  // A deleted row gives nothing back to the others.
  newRow(4);
  type("QTEXP", 1.0);
  ASSERT_TRUE(post());
  ASSERT_TRUE(h_.screen().handle([&] { rows().remove(); }));
  rows().first();
  EXPECT_EQ(rows().recordCount(), 1u);
  expectAvailable(0);
}

// With lots, a post asks the server again for every key; a row whose keys
// did not change is not a duplicate of itself.
TEST_F(AllocationValidation, AServerRowPostedAgainKeepsItsPositionAndAvailability) {
  onBranch("0001");
  ASSERT_TRUE(onItem([&] { return itemHasRows(); }));
  const std::string before = rows().dump("CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTDISPONIVEL;QTEXP");
  ASSERT_TRUE(alter());
  type("QTEXP", number("QTEXP"));
  ASSERT_TRUE(post()) << messages().back();
  EXPECT_EQ(messages(), Lines{});
  EXPECT_EQ(rows().dump("CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTDISPONIVEL;QTEXP"), before);
}

}  // namespace
}  // namespace ped::core::testing
