// The allocation grid as the operator works it: which cells take typing and
// offer the ellipsis button, the column cursor, the toolbar's row actions,
// typed quantities, the key cascade and the cells' look.

#include <gtest/gtest.h>

#include "core/allocation_packet.h"
#include "core/allocation_steps.h"

namespace ped::core::testing {
namespace {

using Lines = std::vector<std::string>;

class AllocationGrid : public ::testing::Test {
 protected:
  TfrmLiquidaItem& s() { return h_.screen(); }
  // Moves the cell cursor as the operator does; the move must be taken.
  void move(const char* field) {
    ASSERT_TRUE(act(h_, [&] { s().moveLiqEstColumn(columnOf(s(), field)); })) << h_.host.shown().back();
  }
  bool type(const char* field, std::string_view text) {
    return act(h_, [&] { s().typeLiqEstCell(columnOf(s(), field), text); });
  }
  // The grid's options for the selected cell: typing allowed, and which
  // columns carry the button.
  std::string options() {
    std::string out = s().dbgLiqEst.editing() ? "edita" : "-";
    for (const auto& column : s().dbgLiqEst.columns)
      if (column.ellipsis) out += " ..." + column.fieldName;
    return out;
  }
  engine::DataSetState state() { return s().cdsEvolEst.state(); }

  ScreenHarness h_;
};

TEST_F(AllocationGrid, KeysTakeTypingOnlyInANewRowAndTheQuantityInAnyRow) {
  showItemsOf(h_, "0001");
  ASSERT_TRUE(goToOpenItemWithRows(s(), 1));
  enterAllocationGrid(h_);
  const std::size_t rows = s().cdsEvolEst.recordCount();
  const std::string warehouse = s().cdsEvolEst.field("CDALMOXARIFE").asString();

  // A stored row: its position is fixed, only the quantity may change.
  EXPECT_EQ(options(), "-");  // the cursor starts on the warehouse
  EXPECT_TRUE(type("CDALMOXARIFE", "XX"));
  EXPECT_EQ(state(), engine::DataSetState::Browse);
  EXPECT_EQ(s().cdsEvolEst.field("CDALMOXARIFE").asString(), warehouse);
  move("QTDISPONIVEL");
  EXPECT_EQ(options(), "-");
  move("QTEXP");
  EXPECT_EQ(options(), "edita");
  EXPECT_TRUE(type("QTEXP", "1.234,5"));
  EXPECT_EQ(state(), engine::DataSetState::Edit);
  EXPECT_EQ(s().cdsEvolEst.field("QTEXP").asFloat(), 1234.5);
  for (auto [text, typed] : {std::pair{"1.234", 1234.0}, {" 1.5 ", 1.5}, {",25", 0.25}, {"-2", -2.0}}) {
    EXPECT_TRUE(type("QTEXP", text));
    EXPECT_EQ(s().cdsEvolEst.field("QTEXP").asFloat(), typed) << text;
  }
  EXPECT_TRUE(type("QTEXP", ""));
  EXPECT_TRUE(s().cdsEvolEst.field("QTEXP").isNull());
  EXPECT_TRUE(act(h_, [&] { s().cancelLiqEst(); }));

  // A new row: every key with its button, on the warehouse first.
  s().click(s().sbtIncluir);
  ASSERT_EQ(state(), engine::DataSetState::Insert);
  EXPECT_EQ(s().dbgLiqEst.selectedField(), "CDALMOXARIFE");
  EXPECT_EQ(options(), "edita ...CDALMOXARIFE");
  s().focusLiqEstField("NRLOTEESTQ");
  s().Habilita_Botao_Grid_EstLiq();
  EXPECT_EQ(options(), "edita ...NRLOTEESTQ");
  EXPECT_TRUE(act(h_, [&] { s().cancelLiqEst(); }));
  EXPECT_EQ(s().cdsEvolEst.recordCount(), rows);
}

// Settled, cancelled and partly served items keep their rows for reading.
TEST_F(AllocationGrid, AnItemPastApprovalShowsItsRowsButNothingTakesTypingOrAButton) {
  showItemsOf(h_, "0001");
  ASSERT_TRUE(goToOpenItemWithRows(s(), 1));
  s().cdsItemPedido.edit();
  s().cdsItemPedido.field("IDSITITEMPED").setString("7");
  s().cdsItemPedido.post();
  enterAllocationGrid(h_);
  ASSERT_GT(s().cdsEvolEst.recordCount(), 0u);
  const double quantity = s().cdsEvolEst.field("QTEXP").asFloat();
  for (const auto& column : s().dbgLiqEst.columns) {
    if (!column.visible) continue;
    move(column.fieldName.c_str());
    EXPECT_EQ(options(), "-") << column.fieldName;
  }
  EXPECT_TRUE(type("QTEXP", "3"));
  EXPECT_EQ(state(), engine::DataSetState::Browse);
  EXPECT_EQ(s().cdsEvolEst.field("QTEXP").asFloat(), quantity);
}

TEST_F(AllocationGrid, ABranchWithWarehousesOnlySkipsTheHiddenKeyColumns) {
  showItemsOf(h_, "0002");
  ASSERT_TRUE(goToItem(
      s(), [&] { return domain::takesAllocationRows(s().cdsItemPedido.field("IDSITITEMPED").asString()); }));
  enterAllocationGrid(h_);
  for (const char* hidden : {"CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
    EXPECT_FALSE(s().dbgLiqEst.columns[columnOf(s(), hidden)].visible) << hidden;
  move("CDLOCALESTOQ");
  EXPECT_EQ(s().dbgLiqEst.selectedField(), "DTENTRLOTE");
  EXPECT_EQ(options(), "-");
}

TEST_F(AllocationGrid, RowActionsActOnlyOnTheFocusedGridAndDeleteAsksFirst) {
  showItemsOf(h_, "0001");
  ASSERT_TRUE(goToOpenItemWithRows(s(), 1));
  const std::size_t rows = s().cdsEvolEst.recordCount();

  // The item grid focused: the handlers leave the rows alone.
  ASSERT_TRUE(act(h_, [&] { s().enterGrid(s().dbgItemPedido); }));
  for (auto handler : {&TfrmLiquidaItem::sbtIncluirClick, &TfrmLiquidaItem::sbtAlterarClick,
                       &TfrmLiquidaItem::sbtExcluirClick})
    EXPECT_TRUE(act(h_, [&] { (s().*handler)(); }));
  EXPECT_EQ(state(), engine::DataSetState::Browse);
  EXPECT_EQ(s().cdsEvolEst.recordCount(), rows);

  enterAllocationGrid(h_);
  s().click(s().mnuAlterar);
  EXPECT_EQ(state(), engine::DataSetState::Edit);
  EXPECT_TRUE(act(h_, [&] { s().cancelLiqEst(); }));
  ASSERT_TRUE(s().sbtExcluir.enabled());
  h_.host.take();
  h_.host.answer(false);
  s().click(s().sbtExcluir);
  EXPECT_EQ(h_.host.take(), (Lines{"pergunta: Confirma exclusão? -> Não"}));
  EXPECT_EQ(s().cdsEvolEst.recordCount(), rows);
  h_.host.answer(true);
  s().click(s().mnuExcluir);
  EXPECT_EQ(s().cdsEvolEst.recordCount(), rows - 1);

  // An item without rows: nothing to delete, nothing asked.
  ASSERT_TRUE(goToItem(s(), [&] { return s().cdsEvolEst.isEmpty(); }));
  enterAllocationGrid(h_);
  h_.host.take();
  EXPECT_TRUE(act(h_, [&] { s().sbtExcluirClick(); }));
  EXPECT_TRUE(h_.host.take().empty());
  EXPECT_EQ(state(), engine::DataSetState::Browse);
}

TEST_F(AllocationGrid, AChangedKeyClearsWhatDependsOnItAndABadQuantityChangesNothing) {
  showItemsOf(h_, "0001");
  ASSERT_TRUE(goToOpenItemWithRows(s(), 0));
  enterAllocationGrid(h_);
  s().click(s().sbtIncluir);
  ASSERT_EQ(state(), engine::DataSetState::Insert);
  auto row = [&] { return s().cdsEvolEst.dump("CDALMOXARIFE;CDLOCALESTOQ;NRLOTEESTQ;NRSUBLOTE;QTEXP"); };
  for (auto [field, text] : {std::pair{"CDALMOXARIFE", "ALM01"},
                             {"CDLOCALESTOQ", "LC0101"},
                             {"NRLOTEESTQ", "L0001-01"},
                             {"NRSUBLOTE", "01"},
                             {"QTEXP", "2,5"}})
    ASSERT_TRUE(type(field, text)) << field;
  const std::string typed = row();
  EXPECT_EQ(s().cdsEvolEst.field("QTEXP").asFloat(), 2.5);

  // The same text committed again is no change.
  EXPECT_TRUE(type("CDALMOXARIFE", "ALM01"));
  EXPECT_EQ(row(), typed);
  h_.host.take();
  EXPECT_FALSE(type("QTEXP", "2,5x"));
  EXPECT_EQ(h_.host.take(), (Lines{"erro: \"2,5x\" não é uma quantidade válida."}));
  EXPECT_EQ(row(), typed);

  EXPECT_TRUE(type("NRSUBLOTE", "02"));
  EXPECT_TRUE(s().cdsEvolEst.field("QTEXP").isNull());
  EXPECT_EQ(s().cdsEvolEst.field("NRLOTEESTQ").asString(), "L0001-01");
  EXPECT_TRUE(type("CDALMOXARIFE", "ALM02"));
  for (const char* cleared : {"DSALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE", "QTEXP"})
    EXPECT_TRUE(s().cdsEvolEst.field(cleared).isNull()) << cleared;
  EXPECT_TRUE(act(h_, [&] { s().cancelLiqEst(); }));
}

// The look of a row with a warehouse name, a quantity and no available one.
TEST(AllocationCells, QuantitiesNamesAndTheCodeBeingTyped) {
  ScreenHarness h;
  h.open();
  TfrmLiquidaItem& s = h.screen();
  loadAllocationRows(s.cdsEvolEst, {{{"CDALMOXARIFE", engine::Value("ALM01")},
                                     {"DSALMOXARIFE", engine::Value("Almoxarifado Central")},
                                     {"QTEXP", engine::Value(1234.5)}}});
  auto paint = [&](const char* field, CellState state = {}) {
    return s.dbgLiqEstDrawColumnCell(0, columnOf(s, field), state);
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
}

}  // namespace
}  // namespace ped::core::testing
