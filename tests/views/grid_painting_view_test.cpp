// The painted order and item grids on screen: mark pictures, colours, status
// texts and right-aligned numbers, checked pixel by pixel. Both grids are
// saved as PNGs beside the test for a look.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QTableView>
#include <memory>
#include <vector>

#include "core/screen_harness.h"
#include "views/grid_cell_delegate.h"
#include "views/liquida_item_window.h"

namespace ped::views {
namespace {

// A grid's picture and what can be read from it.
struct Shot {
  Shot(QTableView& view, const char* png) : v(view) {
    view.grab().save(QStringLiteral("%1.png").arg(png));
    image = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    infoBk = toQColor(core::clInfoBk, view.palette());
  }
  QRect cell(int row, int column) const { return v.visualRect(v.model()->index(row, column)); }
  QColor at(int row, int column, int x, int y) const {
    return image.pixelColor(cell(row, column).left() + x, cell(row, column).top() + y);
  }
  bool shows(int row, int column, QColor colour) const {
    const QRect r = cell(row, column);
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (image.pixelColor(x, y) == colour) return true;
    return false;
  }
  // Blank columns left and right of what the cell shows.
  std::pair<int, int> margins(int row, int column) const {
    const QRect r = cell(row, column);
    int first = r.right() + 1, last = r.left() - 1;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (image.pixelColor(x, y) != infoBk) first = std::min(first, x), last = std::max(last, x);
    return {first - r.left(), r.right() - last};
  }
  QTableView& v;
  QImage image;
  QColor infoBk;
};

TEST(PaintedGrids, ShowEachStatusMarkAndNumberAsTheScreenDescribesThem) {
  core::testing::ScreenHarness h;
  h.open();
  core::TfrmLiquidaItem& s = h.screen();
  LiquidaItemWindow window(s);
  window.resize(900, 400);
  window.show();
  auto& orders = *window.findChild<QTableView*>("dbgPadrao");
  // Every grid's model is checked while the lists below fill and move.
  std::vector<std::unique_ptr<QAbstractItemModelTester>> checked;
  for (const char* grid : {"dbgPadrao", "dbgItemPedido", "dbgLiqEst"})
    checked.push_back(std::make_unique<QAbstractItemModelTester>(
        window.findChild<QTableView*>(grid)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
  s.cdsPedido.open();
  for (const char* row : {"2N", "5S", "5B", "6N", "4X"}) {
    s.cdsPedido.append();
    s.cdsPedido.field("IDSITPEDIDO").setString(std::string(1, row[0]));
    s.cdsPedido.field("IDCHECK").setString(std::string(1, row[1]));
    s.cdsPedido.field("NMFANTCLIE").setString("Mercado Sol");
    s.cdsPedido.post();
  }
  orders.setCurrentIndex(orders.model()->index(3, 1));
  Shot{orders, "dbgPadrao"};
  EXPECT_EQ(s.cdsPedido.state(), engine::DataSetState::Browse);
  orders.setCurrentIndex(orders.model()->index(3, 0));  // the "6" row's mark: selected, the list in edit mode
  const Shot o{orders, "dbgPadrao"};
  EXPECT_EQ(s.cdsPedido.state(), engine::DataSetState::Edit);
  EXPECT_EQ(orders.currentIndex(), orders.model()->index(3, 0));
  EXPECT_EQ(orders.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("\u2714"));

  const QColor black(0, 0, 0), white(255, 255, 255), grey(192, 192, 192),
      highlight = toQColor(core::clHighlight, orders.palette());
  EXPECT_EQ(o.at(0, 0, 1 + 5, 5), white);
  EXPECT_EQ(o.at(1, 0, 1 + 10, 4), black);  // the tick
  EXPECT_EQ(o.at(2, 0, 1 + 5, 5), grey);
  EXPECT_EQ(o.at(2, 0, 1 + 13, 13), grey);
  EXPECT_EQ(o.at(0, 0, 1 + 12, 5), o.infoBk);  // olive is transparent
  EXPECT_EQ(o.at(3, 0, 1 + 12, 5), highlight);
  EXPECT_EQ(o.at(3, 0, 0, 0), highlight);
  EXPECT_EQ(o.margins(4, 0).first, o.cell(4, 0).width());  // no picture
  EXPECT_EQ(o.margins(4, 1).first, o.cell(4, 1).width());  // no status text
  const QColor olive(128, 128, 0), purple(128, 0, 128), teal(0, 128, 128);
  EXPECT_TRUE(o.shows(0, 1, olive) && o.shows(0, 3, olive));
  EXPECT_TRUE(o.shows(1, 1, purple) && o.shows(2, 3, purple));
  EXPECT_TRUE(o.shows(3, 1, teal) && o.shows(4, 3, black));

  s.cdsItemPedido.open();
  for (const char* row : {"1N", "4 ", "5 "}) {
    s.cdsItemPedido.append();
    s.cdsItemPedido.field("IDSITITEMPED").setString(std::string(1, row[0]));
    s.cdsItemPedido.field("IDCHECK").setString(row[1] == ' ' ? "" : "N");
    s.cdsItemPedido.field("CDARVPROD").setString("0102003");
    s.cdsItemPedido.field("NMPRODUTO").setString("Parafuso sextavado");
    s.cdsItemPedido.field("QTITEMPED").setFloat(1234.5);
    s.cdsItemPedido.field("VRPREUNITPED").setFloat(10);
    s.cdsItemPedido.field("VRDESITPED").setFloat(1.239);
    s.cdsItemPedido.post();
  }
  s.tshItemPedido.setEnabled(true);
  s.pgcPadrao.setActivePage(s.tshItemPedido);
  QCoreApplication::processEvents();
  auto& items = *window.findChild<QTableView*>("dbgItemPedido");
  const Shot i{items, "dbgItemPedido"};
  EXPECT_EQ(i.at(1, 0, 1 + 5, 5), grey);
  EXPECT_TRUE(i.shows(0, 1, QColor(0, 0, 255)) && i.shows(2, 1, QColor(255, 0, 0)));
  // Numbers end 2 pixels inside their cells, other texts start 2 pixels in
  // (a glyph's side bearing may add a pixel or two).
  for (int column : {5, 7, 8}) {
    EXPECT_GE(i.margins(0, column).second, 2) << column;
    EXPECT_LE(i.margins(0, column).second, 4) << column;
  }
  EXPECT_GE(i.margins(0, 4).first, 2);
  EXPECT_LE(i.margins(0, 4).first, 4);
}

}  // namespace
}  // namespace ped::views
