// How the order and item grids paint their cells: colours and texts per
// status, mark pictures, number formats, the masked product code, and the
// order list's edit mode while the cell cursor stands in the mark column.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "core/items/item_grid_painting.h"
#include "core/orders/order_grid_painting.h"
#include "core/screen_harness.h"

namespace ped::core::testing {
namespace {

std::size_t columnOf(const hostlib::Grid& grid, std::string_view field) {
  for (std::size_t c = 0; c < grid.columns.size(); ++c)
    if (grid.columns[c].fieldName == field) return c;
  ADD_FAILURE() << "no column " << field;
  return 0;
}

class GridPainting : public ::testing::Test {
 protected:
  void SetUp() override {
    h_.open();
    s_ = &h_.screen();
    s_->cdsPedido.open();
    s_->cdsItemPedido.open();
  }

  void addOrder(const char* status, const char* mark, const char* number = "0000000001") {
    engine::DataSet& ds = s_->cdsPedido;
    ds.append();
    ds.field("IDSITPEDIDO").setString(status);
    ds.field("IDCHECK").setString(mark);
    ds.field("NRPEDIDO").setString(number);
    ds.field("DTPEDIDO").setDateTime(45658);  // 01/01/2025
    ds.post();
  }

  struct Item {
    const char* status = "1";
    const char* mark = "N";
    std::optional<double> quantity, price, discount;
    const char* product = nullptr;
  };
  void addItem(const Item& item) {
    engine::DataSet& ds = s_->cdsItemPedido;
    ds.append();
    ds.field("IDSITITEMPED").setString(item.status);
    ds.field("IDCHECK").setString(item.mark);
    if (item.quantity) ds.field("QTITEMPED").setFloat(*item.quantity);
    if (item.price) ds.field("VRPREUNITPED").setFloat(*item.price);
    if (item.discount) ds.field("VRDESITPED").setFloat(*item.discount);
    if (item.product) ds.field("CDARVPROD").setString(item.product);
    ds.post();
  }

  CellPainting order(std::size_t row, std::string_view field, CellState state = {}) {
    return s_->dbgPadraoDrawColumnCell(row, columnOf(s_->dbgPadrao, field), state);
  }
  CellPainting item(std::size_t row, std::string_view field, CellState state = {}) {
    return s_->dbgItemPedidoDrawColumnCell(row, columnOf(s_->dbgItemPedido, field), state);
  }

  ScreenHarness h_;
  TfrmLiquidaItem* s_ = nullptr;
};

TEST(MarkImages, FollowTheBoxTheTickAndTheTransparentOlive) {
  const std::pair<int, int> tick[] = {{10, 4}, {9, 5}, {10, 5}, {4, 6}, {8, 6}, {9, 6}, {10, 6},
                                      {4, 7},  {5, 7}, {7, 7},  {8, 7}, {9, 7}, {4, 8}, {5, 8},
                                      {6, 8},  {7, 8}, {8, 8},  {5, 9}, {6, 9}, {7, 9}, {6, 10}};
  auto expected = [&](const MarkImage& img, int x, int y) -> std::uint32_t {
    if ((y == 2 && x >= 2 && x <= 11) || (x == 2 && y >= 2 && y <= 11)) return 0x000000;
    if ((x == 13 && y >= 1 && y <= 13) || (y == 13 && x >= 1 && x <= 13)) return 0xC0C0C0;
    if (x >= 3 && x <= 11 && y >= 3 && y <= 11) {
      if (&img == &imgCheck())
        for (auto [tx, ty] : tick)
          if (tx == x && ty == y) return 0x000000;
      return &img == &imgDescheck() ? 0xC0C0C0 : 0xFFFFFF;
    }
    return 0x808000;
  };
  for (const MarkImage* img : {&imgCheck(), &imgUncheck(), &imgDescheck()})
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(img->pixel(x, y), expected(*img, x, y)) << x << "," << y;
  EXPECT_TRUE(imgCheck().transparent(12, 5));
  EXPECT_FALSE(imgCheck().transparent(13, 5));
}

TEST_F(GridPainting, OrderStatusesGiveTheirColourAndShortText) {
  struct Case {
    const char* status;
    CellColour colour;
    const char* text;
  } cases[] = {{"2", clOlive, "AN"}, {"3", clPurple, "LQ"}, {"5", clPurple, "LQ"}, {"6", clTeal, "PA"},
               {"4", CellColour::fixed(s_->dbgPadrao.fontColor()), ""}};
  for (const Case& c : cases) addOrder(c.status, "N");
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE(cases[row].status);
    const CellPainting sit = order(row, "IDSITPEDIDO");
    EXPECT_EQ(sit.text, cases[row].text);
    EXPECT_EQ(sit.textColour, cases[row].colour);
    EXPECT_EQ(sit.background, clInfoBk);
    const CellPainting number = order(row, "NRPEDIDO");
    EXPECT_EQ(number.text, "0000000001");
    EXPECT_EQ(number.textColour, cases[row].colour);
    EXPECT_EQ(number.alignment, TextAlignment::Left);
    EXPECT_EQ(number.textOffset, 2);
    EXPECT_EQ(number.textTop, 2);
    EXPECT_EQ(number.image, nullptr);
  }
  EXPECT_EQ(order(0, "DTPEDIDO").text, "01/01/2025");
  EXPECT_EQ(order(0, "DTENTPED").text, "");
}

TEST_F(GridPainting, SelectionAndFocusOfAnOrderCell) {
  addOrder("6", "S");
  const CellPainting selected = order(0, "NRPEDIDO", {.selected = true, .focused = true});
  EXPECT_EQ(selected.background, clHighlight);
  EXPECT_EQ(selected.textColour, clCaptionText);
  EXPECT_TRUE(selected.focusRect);
  EXPECT_FALSE(order(0, "NRPEDIDO").focusRect);

  // In the mark column the picture covers the text and the focus rectangle;
  // its surroundings take the highlight.
  const CellPainting mark = order(0, "IDCHECK", {.selected = true, .focused = true});
  EXPECT_EQ(mark.image, &imgCheck());
  EXPECT_EQ(mark.imageLeft, 1);
  EXPECT_EQ(mark.background, clHighlight);
  EXPECT_TRUE(mark.text.empty());
  EXPECT_FALSE(mark.focusRect);
}

TEST_F(GridPainting, OrderMarksChooseTheirPicture) {
  for (const char* mark : {"N", "S", "B", "X", ""}) addOrder("2", mark);
  const MarkImage* expected[] = {&imgUncheck(), &imgCheck(), &imgDescheck(), nullptr, nullptr};
  for (std::size_t row = 0; row < std::size(expected); ++row) {
    const CellPainting cell = order(row, "IDCHECK");
    EXPECT_EQ(cell.image, expected[row]) << row;
    EXPECT_TRUE(cell.text.empty()) << row;
    EXPECT_EQ(cell.background, clInfoBk);
  }
}

TEST_F(GridPainting, OrderListGoesIntoEditModeOnlyWithTheCursorInTheMarkColumn) {
  // Nothing to paint: no row may be made up.
  s_->dbgPadrao.selectedColumn = columnOf(s_->dbgPadrao, "IDCHECK");
  order(0, "NRPEDIDO");
  EXPECT_EQ(s_->cdsPedido.state(), engine::DataSetState::Browse);
  EXPECT_EQ(s_->cdsPedido.recordCount(), 0u);

  addOrder("2", "N");
  addOrder("2", "N", "0000000002");
  s_->dbgPadrao.selectedColumn = columnOf(s_->dbgPadrao, "NRPEDIDO");
  order(1, "IDCHECK");
  EXPECT_EQ(s_->cdsPedido.state(), engine::DataSetState::Browse);

  s_->dbgPadrao.selectedColumn = columnOf(s_->dbgPadrao, "IDCHECK");
  order(1, "NRPEDIDO");
  EXPECT_EQ(s_->cdsPedido.state(), engine::DataSetState::Edit);
  EXPECT_EQ(s_->cdsPedido.changeCount(), 2u);  // the two appended rows; painting added none
}

TEST_F(GridPainting, ItemStatusesGiveTheirColourAndShortText) {
  struct Case {
    const char* status;
    CellColour colour;
    const char* text;
  } cases[] = {{"1", clBlue, "PE"},   {"2", clOlive, "CF"}, {"3", clGreen, "AP"}, {"4", clPurple, "LQ"},
               {"5", clRed, "CN"},    {"6", clPurple, "LQ"}, {"7", clTeal, "PA"},
               {"9", CellColour::fixed(s_->dbgItemPedido.fontColor()), ""}};
  for (const Case& c : cases) addItem({.status = c.status, .quantity = 1});
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    SCOPED_TRACE(cases[row].status);
    const CellPainting sit = item(row, "IDSITITEMPED", {.focused = true});
    EXPECT_EQ(sit.text, cases[row].text);
    EXPECT_EQ(sit.textColour, cases[row].colour);
    EXPECT_TRUE(sit.focusRect);
    EXPECT_EQ(item(row, "QTITEMPED").textColour, cases[row].colour);
  }
  const CellPainting selected = item(0, "QTITEMPED", {.selected = true});
  EXPECT_EQ(selected.background, clHighlight);
  EXPECT_EQ(selected.textColour, clCaptionText);
}

TEST_F(GridPainting, ItemNumbersAreFormattedAndRightAligned) {
  s_->cdsItemPedido.events.onCalcFields = [](engine::DataSet& ds) {
    if (!ds.field("QTITEMPED").isNull()) ds.field("VrTotal").setFloat(ds.field("QTITEMPED").asFloat() * 7.5099);
  };
  addItem({.quantity = 2.5, .price = 10, .discount = 1.239});
  addItem({.quantity = 1234.5, .price = 0.005, .discount = 150});
  addItem({.discount = 0.5});
  struct Case {
    std::size_t row;
    const char* field;
    const char* text;
  } cases[] = {{0, "QTITEMPED", "2,500"},    {1, "QTITEMPED", "1234,500"}, {0, "VRPREUNITPED", "10,00"},
               {1, "VRPREUNITPED", "0,01"},  {0, "VrTotal", "18,77"},      {0, "VRDESITPED", "1,23"},
               {1, "VRDESITPED", "150"},     {2, "VRDESITPED", "0,5"}};
  for (const Case& c : cases) {
    const CellPainting cell = item(c.row, c.field);
    EXPECT_EQ(cell.text, c.text) << c.field << " " << c.row;
    EXPECT_EQ(cell.alignment, TextAlignment::Right) << c.field;
    EXPECT_EQ(cell.textOffset, 2);
  }
  // No value: an empty cell, as the field's own text.
  for (const char* field : {"QTITEMPED", "VRPREUNITPED", "VrTotal"}) {
    EXPECT_EQ(item(2, field).text, "") << field;
    EXPECT_EQ(item(2, field).alignment, TextAlignment::Left) << field;
  }
}

TEST(DiscountText, CutsWithoutRoundingAndNeverUsesAnExponent) {
  EXPECT_EQ(discountText(1.239), "1,23");
  EXPECT_EQ(discountText(1.999), "1,99");
  EXPECT_EQ(discountText(-2.567), "-2,56");
  EXPECT_EQ(discountText(1e-7), "0,00");  // never in exponent form
  EXPECT_EQ(discountText(1e21), "1000000000000000000000");
  EXPECT_EQ(discountText(std::nan("")), "");
}

TEST_F(GridPainting, ProductCodeIsShownInTheProductMask) {
  addItem({.product = "0102003"});
  addItem({});
  const CellPainting code = item(0, "CDARVPROD");
  EXPECT_EQ(code.text, "01.02.003");
  EXPECT_EQ(code.alignment, TextAlignment::Left);
  EXPECT_EQ(item(1, "CDARVPROD").text, "");
  // The field's own text agrees with the grid.
  s_->cdsItemPedido.first();
  EXPECT_EQ(s_->cdsItemPedido.field("CDARVPROD").displayText(), "01.02.003");
}

TEST_F(GridPainting, ItemMarksChooseTheirPictureAndPaintingChangesNothing) {
  for (const char* mark : {"N", "S", "", "B"}) addItem({.mark = mark});
  s_->dbgItemPedido.selectedColumn = columnOf(s_->dbgItemPedido, "IDCHECK");
  const MarkImage* expected[] = {&imgUncheck(), &imgCheck(), &imgDescheck(), nullptr};
  for (std::size_t row = 0; row < std::size(expected); ++row) {
    const CellPainting cell = item(row, "IDCHECK", {.focused = true});
    EXPECT_EQ(cell.image, expected[row]) << row;
    EXPECT_TRUE(cell.text.empty());
    EXPECT_FALSE(cell.focusRect);
  }
  EXPECT_EQ(s_->cdsItemPedido.state(), engine::DataSetState::Browse);
  // A row the list no longer has paints as an empty cell.
  EXPECT_EQ(item(9, "IDCHECK"), CellPainting{});
}

}  // namespace
}  // namespace ped::core::testing
