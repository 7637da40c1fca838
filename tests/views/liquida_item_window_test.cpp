// The main screen in the real host as a new operator meets it, offscreen:
// he accepts the branch and presses Enter, searches the list with Procurar,
// then chooses another branch with the search button from the order list.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "views/host_steps.h"

namespace ped::views {
namespace {

using testing::chooseInNextSearch;
using testing::confirmNextFilter;
using testing::DemoHost;
using testing::focusInWindowOf;
using testing::onNextModal;
using testing::part;

TEST(LiquidaItemWindow, ANewOperatorListsSearchesAndChangesTheBranchWithoutStaleOrders) {
  DemoHost host(false);
  host.open();
  QWidget* screen = host.screen();
  ASSERT_NE(screen, nullptr);
  auto* code = part<QLineEdit>(screen, "medCdFilial");
  auto* orders = part<QTableView>(screen, "dbgPadrao");
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("medCdFilial"));  // the first stop of the window

  int filters = 0;
  confirmNextFilter(&filters);
  QTest::keyClick(code, Qt::Key_Tab);  // accepts the branch
  EXPECT_SOON(filters == 1);
  EXPECT_SOON(orders->model()->rowCount() > 2);

  QStringList columns;
  chooseInNextSearch(2, &columns);
  part<QToolButton>(screen, "sbtProcurar")->click();
  EXPECT_SOON(orders->currentIndex().row() == 2);
  EXPECT_EQ(columns, (QStringList{"Nº Pedido", "Cliente", "Data Entrega", "Data Pedido"}));

  // From the order list, the branch search button: the field is entered and
  // left once, the filter opens once for the new branch, the focus returns.
  const QString firstOrder = orders->model()->index(0, 2).data().toString();
  screen->window()->activateWindow();  // the operator clicks into the order list
  orders->setFocus(Qt::MouseFocusReason);
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("dbgPadrao"));
  chooseInNextSearch(2);
  confirmNextFilter(&filters);
  part<QToolButton>(screen, "btnFilial")->click();
  EXPECT_SOON(filters == 2);
  EXPECT_SOON(code->text() == QStringLiteral("0003")) << code->text();
  EXPECT_EQ(part<QLineEdit>(screen, "edtNmFilial")->text(), QStringLiteral("Filial Belo Horizonte"));
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("dbgPadrao"));
  QTest::qWait(300);
  EXPECT_EQ(filters, 2);
  EXPECT_TRUE(orders->model()->rowCount() == 0 ||
              orders->model()->index(0, 2).data().toString() != firstOrder);
}

}  // namespace
}  // namespace ped::views
