// How the order and item grids paint their cells: colours and texts per
// status, mark pictures, number formats, the masked product code, and the
// order list's edit mode while the cell cursor stands in the mark column.

#include <gtest/gtest.h>

#include <set>

#include "core/items/item_grid_painting.h"
#include "core/screen_harness.h"

namespace ped::core::testing {
namespace {

std::size_t columnOf(const hostlib::Grid& grid, std::string_view field) {
  for (std::size_t c = 0; c < grid.columns.size(); ++c)
    if (grid.columns[c].fieldName == field) return c;
  ADD_FAILURE() << "no column " << field;
  return 0;
}

void append(engine::DataSet& ds, std::initializer_list<std::pair<const char*, engine::Value>> cells) {
  if (!ds.active()) ds.open();
  ds.append();
  for (const auto& [name, value] : cells) ds.field(name).setValue(value);
  ds.post();
}

class GridPainting : public ::testing::Test {
 protected:
  CellPainting order(std::size_t row, std::string_view field, CellState state = {}) {
    return s_.dbgPadraoDrawColumnCell(row, columnOf(s_.dbgPadrao, field), state);
  }
  CellPainting item(std::size_t row, std::string_view field, CellState state = {}) {
    return s_.dbgItemPedidoDrawColumnCell(row, columnOf(s_.dbgItemPedido, field), state);
  }
  ScreenHarness h_;
  TfrmLiquidaItem& s_ = (h_.open(), h_.screen());
};

TEST(MarkImages, FollowTheBoxTheTickAndTheTransparentOlive) {
  const std::set<std::pair<int, int>> tick = {{10, 4}, {9, 5}, {10, 5}, {4, 6}, {8, 6}, {9, 6}, {10, 6},
                                              {4, 7},  {5, 7}, {7, 7},  {8, 7}, {9, 7}, {4, 8}, {5, 8},
                                              {6, 8},  {7, 8}, {8, 8},  {5, 9}, {6, 9}, {7, 9}, {6, 10}};
  auto expected = [&](const MarkImage& img, int x, int y) -> std::uint32_t {
    if ((y == 2 && x >= 2 && x <= 11) || (x == 2 && y >= 2 && y <= 11)) return 0x000000;
    if ((x == 13 && y >= 1 && y <= 13) || (y == 13 && x >= 1 && x <= 13)) return 0xC0C0C0;
    if (x < 3 || x > 11 || y < 3 || y > 11) return MarkImage::kTransparent;
    if (&img == &imgCheck() && tick.count({x, y})) return 0x000000;
    return &img == &imgDescheck() ? 0xC0C0C0 : 0xFFFFFF;
  };
  for (const MarkImage* img : {&imgCheck(), &imgUncheck(), &imgDescheck()})
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(img->pixel(x, y), expected(*img, x, y)) << x << "," << y;
}

TEST_F(GridPainting, OrdersShowTheirStatusColourTextAndMark) {
  const CellColour plain = CellColour::fixed(s_.dbgPadrao.fontColor());
  struct Case {
    const char *status, *mark;
    CellColour colour;
    const char* text;
    const MarkImage* image;
  } cases[] = {{"2", "N", clOlive, "AN", &imgUncheck()},
               {"3", "S", clGray, "LQ", nullptr},  // settled by the automatic flow: inert
               {"5", "B", clPurple, "LQ", &imgDescheck()},
               {"6", "X", clTeal, "PA", nullptr},
               {"4", "", plain, "", nullptr}};
  for (const Case& c : cases)
    append(s_.cdsPedido, {{"IDSITPEDIDO", c.status}, {"IDCHECK", c.mark}, {"NRPEDIDO", "0000000001"}});
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const Case& c = cases[row];
    SCOPED_TRACE(c.status);
    EXPECT_EQ(order(row, "IDSITPEDIDO").text, c.text);
    const CellPainting number = order(row, "NRPEDIDO");
    EXPECT_EQ(number, (CellPainting{.textColour = c.colour, .text = "0000000001"}));
    const CellPainting mark = order(row, "IDCHECK", {.focused = true});
    EXPECT_EQ(mark, (CellPainting{.textColour = c.colour, .image = c.image}));  // no text, no focus rectangle
  }
  append(s_.cdsPedido, {{"DTPEDIDO", 45658.0}});
  EXPECT_EQ(order(5, "DTPEDIDO").text, "01/01/2025");

  const CellState current{.selected = true, .focused = true};
  EXPECT_EQ(
      order(0, "NRPEDIDO", current),
      (CellPainting{
          .background = clHighlight, .textColour = clCaptionText, .text = "0000000001", .focusRect = true}));
  EXPECT_EQ(order(0, "IDCHECK", current).background, clHighlight);
}

TEST_F(GridPainting, OrderListGoesIntoEditModeOnlyWithTheCellCursorInTheMarkColumn) {
  s_.dbgPadrao.selectedColumn = columnOf(s_.dbgPadrao, "IDCHECK");
  s_.cdsPedido.open();
  order(0, "NRPEDIDO");  // an empty list: no row may be made up
  EXPECT_EQ(s_.cdsPedido.state(), engine::DataSetState::Browse);
  EXPECT_EQ(s_.cdsPedido.recordCount(), 0u);

  append(s_.cdsPedido, {{"IDCHECK", "N"}});
  s_.dbgPadrao.selectedColumn = columnOf(s_.dbgPadrao, "NRPEDIDO");
  order(0, "IDCHECK");
  EXPECT_EQ(s_.cdsPedido.state(), engine::DataSetState::Browse);
  s_.dbgPadrao.selectedColumn = columnOf(s_.dbgPadrao, "IDCHECK");
  order(0, "NRPEDIDO");
  EXPECT_EQ(s_.cdsPedido.state(), engine::DataSetState::Edit);

  // The item grid's painting changes nothing.
  append(s_.cdsItemPedido, {{"IDCHECK", "N"}});
  s_.dbgItemPedido.selectedColumn = columnOf(s_.dbgItemPedido, "IDCHECK");
  item(0, "NRITEMPED");
  EXPECT_EQ(s_.cdsItemPedido.state(), engine::DataSetState::Browse);
}

TEST_F(GridPainting, ItemsShowTheirStatusColourTextAndMark) {
  const CellColour plain = CellColour::fixed(s_.dbgItemPedido.fontColor());
  struct Case {
    const char *status, *mark;
    CellColour colour;
    const char* text;
    const MarkImage* image;
  } cases[] = {{"1", "N", clBlue, "PE", &imgUncheck()},  {"2", "S", clOlive, "CF", &imgCheck()},
               {"3", "", clGreen, "AP", &imgDescheck()}, {"4", "N", clPurple, "LQ", &imgDescheck()},
               {"5", "", clRed, "CN", &imgDescheck()},   {"6", "N", clPurple, "LQ", &imgUncheck()},
               {"7", "B", clTeal, "PA", nullptr},        {"9", "N", plain, "", &imgDescheck()}};
  for (const Case& c : cases) append(s_.cdsItemPedido, {{"IDSITITEMPED", c.status}, {"IDCHECK", c.mark}});
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const Case& c = cases[row];
    SCOPED_TRACE(c.status);
    EXPECT_EQ(item(row, "IDSITITEMPED", {.focused = true}),
              (CellPainting{.textColour = c.colour, .text = c.text, .focusRect = true}));
    EXPECT_EQ(item(row, "IDCHECK", {.focused = true}),
              (CellPainting{.textColour = c.colour, .image = c.image}));
  }
  EXPECT_EQ(item(0, "NMPRODUTO", {.selected = true}).textColour, clCaptionText);
}

TEST_F(GridPainting, ItemNumbersAreFormattedAndRightAlignedAndTheProductCodeMasked) {
  const CellColour plain = CellColour::fixed(s_.dbgItemPedido.fontColor());  // rows without a status
  s_.cdsItemPedido.events.onCalcFields = [](engine::DataSet& ds) {
    if (!ds.field("QTITEMPED").isNull())
      ds.field("VrTotal").setFloat(ds.field("QTITEMPED").asFloat() * 7.5099);
  };
  append(s_.cdsItemPedido,
         {{"QTITEMPED", 2.5}, {"VRPREUNITPED", 10.0}, {"VRDESITPED", 1.239}, {"CDARVPROD", "0102003"}});
  append(s_.cdsItemPedido, {{"QTITEMPED", 1234.5}, {"VRPREUNITPED", 0.005}, {"VRDESITPED", 150.0}});
  append(s_.cdsItemPedido, {{"VRDESITPED", 0.5}});
  struct Case {
    std::size_t row;
    const char *field, *text;
  } cases[] = {{0, "QTITEMPED", "2,500"},   {1, "QTITEMPED", "1234,500"}, {0, "VRPREUNITPED", "10,00"},
               {1, "VRPREUNITPED", "0,01"}, {0, "VrTotal", "18,77"},      {0, "VRDESITPED", "1,24"},
               {1, "VRDESITPED", "150,00"}, {2, "VRDESITPED", "0,50"}};
  for (const Case& c : cases)
    EXPECT_EQ(item(c.row, c.field),
              (CellPainting{.textColour = plain, .text = c.text, .alignment = TextAlignment::Right}))
        << c.field << " " << c.row;
  EXPECT_EQ(item(2, "QTITEMPED"),
            (CellPainting{.textColour = plain}));  // no value: the field's own, empty text
  EXPECT_EQ(item(0, "CDARVPROD").text, "01.02.003");
  EXPECT_EQ(item(2, "CDARVPROD").text, "");
  EXPECT_EQ(item(9, "QTITEMPED"), CellPainting{});  // a row the list no longer has
}

}  // namespace
}  // namespace ped::core::testing
