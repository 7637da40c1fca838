// The allocation grid in the real window, offscreen, on branch 0001 (all
// four keys, stock moved): the operator includes a row from the toolbar,
// picks its position with "...", types a quantity with a comma, posts it
// with Enter and sees what stays available drawn in the grid; then alters it
// and confirms from the toolbar with the new quantity still being typed.

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "views/allocation_cell_editor.h"
#include "views/allocation_grid_view.h"
#include "views/host_steps.h"

namespace ped::views {
namespace {

using testing::cell;
using testing::chooseInNextSearch;
using testing::columnTitled;
using testing::confirmNextFilter;
using testing::DemoHost;
using testing::focusInWindowOf;
using testing::onNextMessage;
using testing::part;
using testing::quantity;

TEST(AllocationGridWindow, IncludesPicksTypesACommaQuantityAndPostsWithEnter) {
  DemoHost host(false);
  host.open();
  QWidget* screen = host.screen();
  ASSERT_NE(screen, nullptr);
  auto* orders = part<QTableView>(screen, "dbgPadrao");
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("medCdFilial"));
  int filters = 0;
  confirmNextFilter(&filters);
  QTest::keyClick(part<QLineEdit>(screen, "medCdFilial"), Qt::Key_Tab);
  EXPECT_SOON(orders->model()->rowCount() > 0);

  // The first order's first open item.
  part<QTabWidget>(screen, "pgcPadrao")->setCurrentIndex(1);
  auto* items = part<QTableView>(screen, "dbgItemPedido");
  EXPECT_SOON(items->model()->rowCount() > 0);
  int open = 0;
  while (open < items->model()->rowCount() && cell(items, open, "Sit.").toInt() > 3) ++open;
  ASSERT_LT(open, items->model()->rowCount());
  items->setCurrentIndex(items->model()->index(open, 2));

  auto* grid = part<AllocationGridView>(screen, "dbgLiqEst");
  ASSERT_TRUE(grid->isVisible());
  const int rowsBefore = grid->model()->rowCount();
  screen->window()->activateWindow();
  grid->setFocus(Qt::MouseFocusReason);
  EXPECT_SOON(part<QToolButton>(screen, "sbtIncluir")->isEnabled());

  // Incluir keeps the grid's focus; the new row's warehouse cell offers "...".
  QTest::mouseClick(part<QToolButton>(screen, "sbtIncluir"), Qt::LeftButton);
  EXPECT_SOON(grid->model()->rowCount() == rowsBefore + 1);
  ASSERT_SOON(grid->openEditor() != nullptr && grid->openEditor()->button()->isVisible());
  EXPECT_EQ(grid->currentIndex().column(), columnTitled(grid, "Almoxarifado"));
  const int row = grid->currentIndex().row();

  QStringList columns;
  chooseInNextSearch(0, &columns);
  grid->openEditor()->button()->click();
  EXPECT_SOON(!cell(grid, row, "Almoxarifado").isEmpty() && !cell(grid, row, "Sub-Lote").isEmpty());
  screen->window()->activateWindow();  // offscreen, nothing does it when the list closes
  EXPECT_SOON(QApplication::focusWidget() == grid);
  EXPECT_EQ(columns,
            (QStringList{"Qtde. Disp.", "Almoxarifado", "Localização", "Lote", "Sub-Lote", "Validade"}));
  const double available = quantity(cell(grid, row, "Qtde. Disp."));
  EXPECT_GT(available, 1.5);

  // To the quantity with a click, then "1,5" and Enter.
  const int qtexp = columnTitled(grid, "Qtde. a Liquidar");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(row, qtexp)).center());
  EXPECT_SOON(grid->currentIndex().column() == qtexp);
  QTest::keyClick(grid, Qt::Key_1);
  ASSERT_NE(grid->openEditor(), nullptr);
  QTest::keyClicks(grid->openEditor(), ",5");
  EXPECT_EQ(grid->openEditor()->text(), QStringLiteral("1,5"));
  QTest::keyClick(grid->openEditor(), Qt::Key_Return);

  EXPECT_SOON(grid->openEditor() == nullptr && !part<QToolButton>(screen, "sbtConfirmar")->isEnabled());
  EXPECT_SOON(grid->currentIndex().isValid());  // the rows are shown anew, sorted by validity
  const int posted = grid->currentIndex().row();
  EXPECT_EQ(quantity(cell(grid, posted, "Qtde. a Liquidar")), 1.5);
  EXPECT_DOUBLE_EQ(quantity(cell(grid, posted, "Qtde. Disp.")), available - 1.5);
  EXPECT_EQ(focusInWindowOf(screen), QStringLiteral("dbgLiqEst"));

  // Alterar, a new quantity still in its editor, and Confirmar on the toolbar:
  // the typed quantity goes in and the row is posted with it.
  auto* confirm = part<QToolButton>(screen, "sbtConfirmar");
  QTest::mouseClick(part<QToolButton>(screen, "sbtAlterar"), Qt::LeftButton);
  EXPECT_SOON(confirm->isEnabled());
  QTest::keyClick(grid, Qt::Key_2);
  ASSERT_NE(grid->openEditor(), nullptr);
  QTest::mouseClick(confirm, Qt::LeftButton);
  EXPECT_SOON(!confirm->isEnabled() && grid->currentIndex().isValid());
  EXPECT_EQ(quantity(cell(grid, grid->currentIndex().row(), "Qtde. a Liquidar")), 2);
  EXPECT_DOUBLE_EQ(quantity(cell(grid, grid->currentIndex().row(), "Qtde. Disp.")), available - 2);

  // Cancelar with a quantity still being typed (from the menu, where no
  // click has closed the editor): "Não" keeps it in the row, "Sim" drops the
  // row's changes.
  auto* cancel = part<QToolButton>(screen, "sbtCancelar");
  const int altered = grid->currentIndex().row();
  QTest::mouseClick(part<QToolButton>(screen, "sbtAlterar"), Qt::LeftButton);
  EXPECT_SOON(cancel->isEnabled());
  QTest::keyClick(grid, Qt::Key_3);
  ASSERT_NE(grid->openEditor(), nullptr);
  onNextMessage([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
  part<QAction>(screen, "mnuCancelar")->trigger();
  EXPECT_SOON(quantity(cell(grid, altered, "Qtde. a Liquidar")) == 3);
  EXPECT_TRUE(cancel->isEnabled());  // still pending
  onNextMessage([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_SOON(!cancel->isEnabled());
  EXPECT_EQ(quantity(cell(grid, altered, "Qtde. a Liquidar")), 2);

  QDir().mkpath(QStringLiteral("screens"));
  const QString png = QStringLiteral("screens/allocation_grid.png");
  ASSERT_TRUE(part<QWidget>(screen, "panEvolEstq")->grab().save(png));
  screen->grab().save(QStringLiteral("screens/allocation_window.png"));
  // The booked quantity is drawn right-aligned in its cell ("###0.000").
  const QImage shot = grid->viewport()->grab().toImage();
  const QRect r = grid->visualRect(grid->model()->index(posted, columnTitled(grid, "Qtde. Disp.")));
  int drawn = 0;
  for (int x = r.center().x(); x < r.right(); ++x)
    for (int y = r.top(); y <= r.bottom(); ++y) drawn += shot.pixelColor(x, y).lightness() < 128;
  EXPECT_GT(drawn, 10);
}

}  // namespace
}  // namespace ped::views
