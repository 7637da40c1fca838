// The painted order and item grids on screen: the mark pictures pixel for
// pixel, the colours, the status texts and the right-aligned numbers. The
// grids are saved as PNGs beside the test for a look.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QTableView>

#include "core/screen_harness.h"
#include "views/grid_cell_delegate.h"
#include "views/liquida_item_window.h"

namespace ped::views {
namespace {

using core::testing::ScreenHarness;

// Pixels of `image` inside `cell` of exactly `colour`.
int pixelsOf(const QImage& image, const QRect& cell, QColor colour) {
  int n = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y)
    for (int x = cell.left(); x <= cell.right(); ++x) n += image.pixelColor(x, y) == colour;
  return n;
}

// The rightmost column of `cell` holding a pixel other than `background`.
int rightmostInk(const QImage& image, const QRect& cell, QColor background) {
  for (int x = cell.right(); x >= cell.left(); --x)
    for (int y = cell.top(); y <= cell.bottom(); ++y)
      if (image.pixelColor(x, y) != background) return x;
  return -1;
}

class PaintedGrids : public ::testing::Test {
 protected:
  void SetUp() override {
    h_.open();
    s_ = &h_.screen();
    window_ = std::make_unique<LiquidaItemWindow>(*s_);
    window_->resize(900, 400);
    window_->show();
  }
  QTableView& view(const char* name) { return *window_->findChild<QTableView*>(name); }
  QImage shot(QTableView& v, const char* png) {
    const QImage image = v.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    v.grab().save(QStringLiteral("%1.png").arg(png));
    return image;
  }
  QColor colour(const QTableView& v, core::CellColour c) { return toQColor(c, v.palette()); }

  ScreenHarness h_;
  core::TfrmLiquidaItem* s_ = nullptr;
  std::unique_ptr<LiquidaItemWindow> window_;
};

TEST_F(PaintedGrids, OrderGridShowsEachStatusAndMark) {
  engine::DataSet& ds = s_->cdsPedido;
  ds.open();
  const char* rows[][3] = {{"2", "N", "Mercado Sol"}, {"3", "S", "Padaria Lua"}, {"5", "B", "Bar Estrela"},
                           {"6", "N", "Loja Cometa"}, {"4", "X", "Outro"}};
  for (auto& r : rows) {
    ds.append();
    ds.field("IDSITPEDIDO").setString(r[0]);
    ds.field("IDCHECK").setString(r[1]);
    ds.field("NMFANTCLIE").setString(r[2]);
    ds.field("NRPEDIDO").setString("0000001001");
    ds.post();
  }
  QTableView& v = view("dbgPadrao");
  // The cell cursor in the mark column of the "6" row: selected and highlighted.
  v.setCurrentIndex(v.model()->index(3, 0));
  EXPECT_EQ(v.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("\u2714"));
  const QImage img = shot(v, "dbgPadrao");
  auto cell = [&](int row, int column) { return v.visualRect(v.model()->index(row, column)); };
  auto markPixel = [&](int row, int x, int y) { return img.pixelColor(cell(row, 0).left() + 1 + x, cell(row, 0).top() + y); };

  const QColor infoBk = colour(v, core::clInfoBk), highlight = colour(v, core::clHighlight);
  EXPECT_EQ(markPixel(0, 5, 5), QColor(255, 255, 255));  // empty box
  EXPECT_EQ(markPixel(1, 10, 4), QColor(0, 0, 0));        // the tick
  EXPECT_EQ(markPixel(1, 5, 5), QColor(255, 255, 255));
  EXPECT_EQ(markPixel(2, 5, 5), QColor(192, 192, 192));  // grey box
  EXPECT_EQ(markPixel(2, 2, 2), QColor(0, 0, 0));
  EXPECT_EQ(markPixel(2, 13, 13), QColor(192, 192, 192));
  EXPECT_EQ(markPixel(0, 0, 0), infoBk);  // olive is transparent
  EXPECT_EQ(markPixel(0, 12, 5), infoBk);
  EXPECT_EQ(markPixel(3, 0, 0), highlight);  // the selected cell's surroundings
  EXPECT_EQ(markPixel(3, 12, 5), highlight);
  EXPECT_EQ(pixelsOf(img, cell(4, 0), infoBk), cell(4, 0).width() * cell(4, 0).height());  // no picture
  EXPECT_EQ(pixelsOf(img, cell(0, 0), QColor(128, 128, 0)), 0);

  // Text colours per status, in the status text and in the other columns.
  const QColor olive(128, 128, 0), purple(128, 0, 128), teal(0, 128, 128);
  EXPECT_GT(pixelsOf(img, cell(0, 1), olive), 0);
  EXPECT_GT(pixelsOf(img, cell(0, 3), olive), 0);
  EXPECT_GT(pixelsOf(img, cell(1, 1), purple), 0);
  EXPECT_GT(pixelsOf(img, cell(2, 2), purple), 0);
  EXPECT_GT(pixelsOf(img, cell(3, 1), teal), 0);
  EXPECT_EQ(pixelsOf(img, cell(4, 1), infoBk), cell(4, 1).width() * cell(4, 1).height());  // no status text
  EXPECT_GT(pixelsOf(img, cell(4, 2), QColor(0, 0, 0)), 0);

  // Painting with the cursor in the mark column left the list in edit mode,
  // and the view kept its cell cursor.
  EXPECT_EQ(ds.state(), engine::DataSetState::Edit);
  EXPECT_EQ(v.currentIndex(), v.model()->index(3, 0));
}

TEST_F(PaintedGrids, ItemGridAlignsNumbersRightAndShowsTheGreyBoxForEmptyMarks) {
  engine::DataSet& ds = s_->cdsItemPedido;
  ds.open();
  const char* statuses[] = {"1", "2", "3", "4", "5", "6", "7"};
  for (const char* st : statuses) {
    ds.append();
    ds.field("IDSITITEMPED").setString(st);
    ds.field("IDCHECK").setString(st[0] == '4' || st[0] == '5' ? "" : "N");
    ds.field("CDARVPROD").setString("0102003");
    ds.field("NMPRODUTO").setString("Parafuso sextavado");
    ds.field("QTITEMPED").setFloat(1234.5);
    ds.field("VRPREUNITPED").setFloat(10);
    ds.field("VRDESITPED").setFloat(1.239);
    ds.post();
  }
  s_->tshItemPedido.setEnabled(true);
  s_->pgcPadrao.setActivePage(s_->tshItemPedido);
  QTableView& v = view("dbgItemPedido");
  EXPECT_EQ(v.model()->headerData(5, Qt::Horizontal, Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);
  const QImage img = shot(v, "dbgItemPedido");
  auto cell = [&](int row, int column) { return v.visualRect(v.model()->index(row, column)); };
  const QColor infoBk = colour(v, core::clInfoBk);

  EXPECT_EQ(img.pixelColor(cell(3, 0).left() + 1 + 5, cell(3, 0).top() + 5), QColor(192, 192, 192));
  EXPECT_EQ(img.pixelColor(cell(0, 0).left() + 1 + 5, cell(0, 0).top() + 5), QColor(255, 255, 255));
  EXPECT_GT(pixelsOf(img, cell(0, 1), QColor(0, 0, 255)), 0);
  EXPECT_GT(pixelsOf(img, cell(4, 1), QColor(255, 0, 0)), 0);
  EXPECT_GT(pixelsOf(img, cell(2, 3), QColor(0, 128, 0)), 0);
  // Quantity, price and discount end 2 pixels inside their cells (a glyph's
  // side bearing may add one more).
  for (int column : {5, 7, 8}) {
    const QRect r = cell(0, column);
    EXPECT_GE(rightmostInk(img, r, infoBk), r.right() - 4) << column;
    EXPECT_LE(rightmostInk(img, r, infoBk), r.right() - 2) << column;
  }
  // The product name starts 2 pixels in.
  const QRect name = cell(0, 4);
  int leftmost = name.right();
  for (int y = name.top(); y <= name.bottom(); ++y)
    for (int x = name.left(); x < leftmost; ++x)
      if (img.pixelColor(x, y) != infoBk) leftmost = x;
  EXPECT_GE(leftmost, name.left() + 2);
  EXPECT_LE(leftmost, name.left() + 4);
}

}  // namespace
}  // namespace ped::views
