// The allocation grid as the operator works it: which cells take typing and
// offer the ellipsis button, the column cursor, the toolbar's row actions,
// typed quantities, the key cascade and the cells' look.

#include <gtest/gtest.h>

#include "core/allocation_packet.h"
#include "core/allocation_steps.h"

namespace ped::core::testing {
namespace {

class AllocationGrid : public AllocationTest {
 protected:
  // The grid's options for the selected cell: typing allowed, and which
  // columns carry the button.
  std::string options() {
    std::string out = s().dbgLiqEst.editing() ? "edita" : "-";
    for (const auto& column : s().dbgLiqEst.columns)
      if (column.ellipsis) out += " ..." + column.fieldName;
    return out;
  }
  engine::DataSetState state() { return rows().state(); }
};

TEST_F(AllocationGrid, KeysTakeTypingOnlyInANewRowAndTheQuantityInAnyRow) {
  onBranch("0001");
  ASSERT_TRUE(onItem([&] { return itemHasRows(); }));
  const std::size_t count = rows().recordCount();
  const std::string warehouse = text("CDALMOXARIFE");

  // A stored row: its position is fixed, only the quantity may change.
  EXPECT_EQ(options(), "-");  // the cursor starts on the warehouse
  EXPECT_TRUE(type("CDALMOXARIFE", "XX"));
  EXPECT_EQ(state(), engine::DataSetState::Browse);
  EXPECT_EQ(text("CDALMOXARIFE"), warehouse);
  ASSERT_TRUE(go("QTDISPONIVEL"));
  EXPECT_EQ(options(), "-");
  ASSERT_TRUE(go("QTEXP"));
  EXPECT_EQ(options(), "edita");
  EXPECT_TRUE(type("QTEXP", "1.234,5"));
  EXPECT_EQ(state(), engine::DataSetState::Edit);
  EXPECT_EQ(number("QTEXP"), 1234.5);
  for (auto [text, typed] : {std::pair{"1.234", 1234.0}, {" 1.5 ", 1.5}, {",25", 0.25}, {"-2", -2.0}}) {
    EXPECT_TRUE(type("QTEXP", text));
    EXPECT_EQ(number("QTEXP"), typed) << text;
  }
  EXPECT_TRUE(type("QTEXP", ""));
  EXPECT_TRUE(rows().field("QTEXP").isNull());
  EXPECT_TRUE(cancel());

  // A new row: every key with its button, on the warehouse first.
  ASSERT_TRUE(include());
  ASSERT_EQ(state(), engine::DataSetState::Insert);
  EXPECT_EQ(focus(), "CDALMOXARIFE");
  EXPECT_EQ(options(), "edita ...CDALMOXARIFE");
  ASSERT_TRUE(go("NRLOTEESTQ"));
  EXPECT_EQ(options(), "edita ...NRLOTEESTQ");
  EXPECT_TRUE(cancel());
  EXPECT_EQ(rows().recordCount(), count);
}

// Settled and cancelled items keep their rows for reading.
TEST_F(AllocationGrid, AnItemPastApprovalShowsItsRowsButNothingTakesTypingOrAButton) {
  onBranch("0001");
  ASSERT_TRUE(onItem([&] { return itemHasRows(); }));
  s().cdsItemPedido.edit();
  s().cdsItemPedido.field("IDSITITEMPED").setString("4");
  s().cdsItemPedido.post();
  const double quantity = number("QTEXP");
  for (const auto& column : s().dbgLiqEst.columns) {
    if (!column.visible) continue;
    ASSERT_TRUE(go(column.fieldName.c_str()));
    EXPECT_EQ(options(), "-") << column.fieldName;
  }
  EXPECT_TRUE(type("QTEXP", "3"));
  EXPECT_EQ(state(), engine::DataSetState::Browse);
  EXPECT_EQ(number("QTEXP"), quantity);
}

TEST_F(AllocationGrid, ABranchWithWarehousesOnlySkipsTheHiddenKeyColumns) {
  onBranch("0002");
  ASSERT_TRUE(onItem());
  for (const char* hidden : {"CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
    EXPECT_FALSE(s().dbgLiqEst.columns[columnOf(hidden)].visible) << hidden;
  ASSERT_TRUE(go("CDLOCALESTOQ"));
  EXPECT_EQ(focus(), "DTENTRLOTE");
  EXPECT_EQ(options(), "-");
}

TEST_F(AllocationGrid, RowActionsActOnlyOnTheFocusedGridAndDeleteAsksFirst) {
  onBranch("0001");
  ASSERT_TRUE(onItem([&] { return itemHasRows(); }));
  const std::size_t count = rows().recordCount();

  // The item grid focused: the handlers leave the rows alone.
  ASSERT_TRUE(act(h_, [&] { s().enterGrid(s().dbgItemPedido); }));
  for (auto handler : {&TfrmLiquidaItem::sbtIncluirClick, &TfrmLiquidaItem::sbtAlterarClick,
                       &TfrmLiquidaItem::sbtExcluirClick})
    EXPECT_TRUE(act(h_, [&] { (s().*handler)(); }));
  EXPECT_EQ(state(), engine::DataSetState::Browse);
  EXPECT_EQ(rows().recordCount(), count);

  ASSERT_TRUE(enterAllocationGrid());
  s().click(s().mnuAlterar);
  EXPECT_EQ(state(), engine::DataSetState::Edit);
  EXPECT_TRUE(cancel());
  ASSERT_TRUE(s().sbtExcluir.enabled());
  h_.host.take();
  h_.host.answer(false);
  s().click(s().sbtExcluir);
  EXPECT_EQ(h_.host.take(), (Lines{"pergunta: Confirma exclusão? -> Não"}));
  EXPECT_EQ(rows().recordCount(), count);
  h_.host.answer(true);
  s().click(s().mnuExcluir);
  EXPECT_EQ(rows().recordCount(), count - 1);

  // An item without rows: nothing to delete, nothing asked.
  ASSERT_TRUE(onItem([&] { return !itemHasRows(); }));
  EXPECT_TRUE(act(h_, [&] { s().sbtExcluirClick(); }));
  EXPECT_TRUE(h_.host.take().empty());
  EXPECT_EQ(state(), engine::DataSetState::Browse);
}

TEST_F(AllocationGrid, AChangedKeyClearsWhatDependsOnItAndABadQuantityChangesNothing) {
  onBranch("0001");
  ASSERT_TRUE(onItem([&] { return !itemHasRows(); }));
  ASSERT_TRUE(include());
  ASSERT_TRUE(pick("CDALMOXARIFE", 1));
  auto row = [&] { return rows().dump("CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTEXP"); };
  const std::string subLot = text("NRSUBLOTE");
  // The same text committed again is no change.
  const std::string picked = row();
  ASSERT_TRUE(type("CDALMOXARIFE", text("CDALMOXARIFE")));
  EXPECT_EQ(row(), picked);

  ASSERT_TRUE(type("QTEXP", "2,5"));
  const std::string typed = row();
  h_.host.take();
  EXPECT_FALSE(type("QTEXP", "2,5x"));
  EXPECT_EQ(h_.host.take(), (Lines{"erro: \"2,5x\" não é uma quantidade válida."}));
  EXPECT_EQ(row(), typed);

  ASSERT_TRUE(type("NRSUBLOTE", "99"));
  EXPECT_TRUE(rows().field("QTEXP").isNull());
  EXPECT_FALSE(rows().field("NRLOTEESTQ").isNull());
  // Back to a known sub-lot (its check sets the quantity to 0), then another warehouse.
  ASSERT_TRUE(type("NRSUBLOTE", subLot));
  ASSERT_TRUE(type("CDALMOXARIFE", "ZZZ")) << h_.host.shown().back();
  for (const char* cleared :
       {"DSALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE", "QTDISPONIVEL", "QTEXP"})
    EXPECT_TRUE(rows().field(cleared).isNull()) << cleared;
  EXPECT_TRUE(cancel());
}

using AllocationCells = AllocationTest;

// The look of a row with a warehouse name, a quantity and no available one.
TEST_F(AllocationCells, QuantitiesNamesAndTheCodeBeingTyped) {
  h_.open();
  TfrmLiquidaItem& s = h_.screen();
  loadAllocationRows(s.cdsEvolEst, {{{"CDALMOXARIFE", engine::Value("ALM01")},
                                     {"DSALMOXARIFE", engine::Value("Almoxarifado Central")},
                                     {"QTEXP", engine::Value(1234.5)}},
                                    {{"CDALMOXARIFE", engine::Value("ALM09")}}});
  auto paint = [&](const char* field, CellState state = {}) {
    return s.dbgLiqEstDrawColumnCell(0, columnOf(field), state);
  };

  EXPECT_EQ(std::pair(paint("QTEXP").text, paint("QTEXP").alignment),
            std::pair(std::string("1234,500"), TextAlignment::Right));
  EXPECT_EQ(paint("QTDISPONIVEL").text, "");  // null: not 0,000

  EXPECT_EQ(paint("CDALMOXARIFE").text, "Almoxarifado Central");
  const CellPainting selected = paint("CDALMOXARIFE", {.selected = true});
  EXPECT_EQ(std::tuple(selected.background, selected.textColour, selected.text),
            std::tuple(clHighlight, clCaptionText, std::string("Almoxarifado Central")));
  s.dbgLiqEst.editorMode = true;
  EXPECT_EQ(paint("CDALMOXARIFE", {.selected = true}).text, "ALM01");
  EXPECT_EQ(paint("CDALMOXARIFE", {.selected = true, .focused = true}).text, "Almoxarifado Central");
  EXPECT_EQ(paint("CDLOCALESTOQ", {.selected = true}).text, "");  // no code: nothing over it
  s.dbgLiqEst.editorMode = false;
  EXPECT_EQ(s.dbgLiqEstDrawColumnCell(1, columnOf("CDALMOXARIFE"), {}).text, "ALM09");  // no name: the code
}

}  // namespace
}  // namespace ped::core::testing
