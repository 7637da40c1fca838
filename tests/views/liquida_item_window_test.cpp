// The main screen in the real host as a new operator meets it, offscreen:
// he accepts the branch and presses Enter, searches the list with Procurar,
// then chooses another branch with the search button from the order list;
// the justification typed and picked on its page.

#include <gtest/gtest.h>

#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
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
  chooseInNextSearch(2, &columns, [](const QTableView* table) {
    const QString number = table->model()->index(0, 0).data().toString();  // ten digits, whole
    const int margins = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 1;
    EXPECT_GE(table->columnWidth(0), table->fontMetrics().horizontalAdvance(number) + margins) << number;
  });
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

TEST(LiquidaItemWindow, AJustificationTypedOrPickedShowsItsDescription) {
  DemoHost host(false);
  host.open();
  QWidget* screen = host.screen();
  ASSERT_NE(screen, nullptr);
  EXPECT_SOON(focusInWindowOf(screen) == QStringLiteral("medCdFilial"));
  // Branch 0003 moves no stock: a marked order needs no allocation.
  auto* branch = part<QLineEdit>(screen, "medCdFilial");
  chooseInNextSearch(2);
  part<QToolButton>(screen, "btnFilial")->click();
  ASSERT_SOON(branch->text() == QStringLiteral("0003"));
  screen->window()->activateWindow();  // offscreen, closing the search activates nothing
  ASSERT_SOON(QApplication::focusWidget() == branch);
  bool filtered = false;
  onNextModal([&filtered](QWidget* d) {  // every order of the branch (Ctrl+D clears the filter)
    EXPECT_SOON(QApplication::focusWidget() && d->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    filtered = true;
  });
  QTest::keyClick(branch, Qt::Key_Tab);
  ASSERT_SOON(filtered);
  auto* orders = part<QTableView>(screen, "dbgPadrao");
  ASSERT_SOON(orders->model()->rowCount() > 0);

  // An order marked opens the page: the second, in progress (the first is
  // settled and takes no mark).
  int mark = 0;
  while (mark < orders->model()->columnCount() &&
         orders->model()->headerData(mark, Qt::Horizontal).toString() != QStringLiteral("\u2714"))
    ++mark;
  ASSERT_LT(mark, orders->model()->columnCount());
  QTest::mouseClick(orders->viewport(), Qt::LeftButton, {},
                    orders->visualRect(orders->model()->index(1, mark)).center());
  auto* pages = part<QTabWidget>(screen, "pgcPadrao");
  ASSERT_SOON(pages->isTabEnabled(2));
  pages->setCurrentIndex(2);
  auto* code = part<QLineEdit>(screen, "edtCdJust");
  auto* description = part<QLineEdit>(screen, "edtDsJust");
  EXPECT_FALSE(description->isEnabled());
  screen->window()->activateWindow();  // the filter dialog closed activates nothing
  ASSERT_SOON(screen->window()->isActiveWindow());
  code->setFocus(Qt::MouseFocusReason);
  ASSERT_SOON(focusInWindowOf(screen) == QStringLiteral("edtCdJust"));
  QCoreApplication::processEvents();  // the screen echoes the focus it was given

  QTest::keyClicks(code, QStringLiteral("a"));
  EXPECT_EQ(code->text(), QStringLiteral("A"));  // as the register keeps codes
  QTest::keyClick(code, Qt::Key_Backspace);
  QTest::keyClicks(code, QStringLiteral("3"));
  QTest::keyClick(code, Qt::Key_Tab);
  EXPECT_SOON(code->text() == QStringLiteral("0003")) << code->text();
  EXPECT_SOON(description->text() == QStringLiteral("ERRO DE DIGITAÇÃO")) << description->text();

  chooseInNextSearch(1);
  part<QToolButton>(screen, "btnJust")->click();
  EXPECT_SOON(code->text() == QStringLiteral("0002")) << code->text();
  EXPECT_SOON(description->text() == QStringLiteral("CLIENTE DESISTIU DA COMPRA")) << description->text();
}

}  // namespace
}  // namespace ped::views
