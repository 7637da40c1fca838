// The real filter dialog in the real host, offscreen: the screen opens on
// the host's branch, the dialog shows at once, and Confirma with the default
// filter lists the branch's orders; the fields are checked as the operator
// leaves them, and showing it again restores where he was.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "engine/date_time.h"
#include "views/host_steps.h"

namespace ped::views {
namespace {

using testing::DemoHost;
using testing::focusName;
using testing::onNextMessage;
using testing::onNextModal;
using testing::part;

TEST(FilterDialogWindow, TheDefaultFilterConfirmedInTheRealDialogListsTheBranchsOrders) {
  const auto& demo = ped::testing::demoServer();
  DemoHost host(true);
  hostapp::HostRuntime& runtime = *host.runtime;
  bool confirmed = false;
  onNextModal([&](QWidget* d) {
    EXPECT_EQ(d->objectName(), "frmFiltroLiquidaItem");
    EXPECT_EQ(part<QLabel>(d, "lblCodTela")->text(), "PED00801");
    EXPECT_EQ(part<QLineEdit>(d, "depAteEmissaoTexto")->text().toStdString(),
              engine::date_time::toBrazilian(demo.today));
    EXPECT_EQ(part<QLineEdit>(d, "depDeEmissaoTexto")->text().toStdString(),
              engine::date_time::toBrazilian(demo.today - 7));
    EXPECT_TRUE(part<QRadioButton>(d, "rbtTNrPedido")->isChecked());
    EXPECT_FALSE(part<QLineEdit>(d, "medDeIntervalo")->isEnabled());
    EXPECT_FALSE(part<QToolButton>(d, "sbtCliente")->isEnabled());
    EXPECT_TRUE(part<QCheckBox>(d, "chbPParcialmente")->isChecked());
    QDir().mkpath("screens");
    EXPECT_TRUE(d->grab().save("screens/filtro_liquidacao_manual.png"));
    part<QPushButton>(d, "sbtConfirma")->click();
    confirmed = !d->isVisible();
  });
  runtime.openScreen("PED00800");
  EXPECT_SOON(confirmed);

  QMdiArea* mdi = runtime.window().findChild<QMdiArea*>("mdiTelas");
  ASSERT_EQ(mdi->subWindowList().size(), 1);
  QWidget* screen = mdi->subWindowList().front()->widget();
  auto* orders = screen->findChild<QTableView*>("dbgPadrao");
  ASSERT_NE(orders, nullptr);
  EXPECT_SOON(orders->model()->rowCount() > 0);
  mdi->subWindowList().front()->showMaximized();
  // The list stands on its first order, and the grid shows it.
  EXPECT_SOON(orders->currentIndex().row() == 0);
  EXPECT_TRUE(orders->selectionModel()->isSelected(orders->currentIndex()));
  EXPECT_TRUE(runtime.window().grab().save("screens/pedidos.png"));
  // The item page shows the current order's items.
  auto* pages = screen->findChild<QTabWidget*>("pgcPadrao");
  pages->setCurrentIndex(1);
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_SOON(screen->findChild<QTableView*>("dbgItemPedido")->model()->rowCount() > 0);
  EXPECT_TRUE(runtime.window().grab().save("screens/itens.png"));
  pages->setCurrentIndex(0);

  // Again from Filtrar: "Lista" for clients, then Ctrl+D clears, Cancela.
  bool cleared = false;
  QString message;
  onNextModal([&](QWidget* d) {
    auto* list = part<QRadioButton>(d, "rbtLCliente");
    QTest::mouseClick(list, Qt::LeftButton);
    EXPECT_TRUE(list->isChecked() && part<QToolButton>(d, "sbtCliente")->isEnabled());
    QTest::keyClick(list, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    cleared = part<QRadioButton>(d, "rbtTCliente")->isChecked() && !list->isChecked() &&
              part<QLineEdit>(d, "depDeEmissaoTexto")->text() == QStringLiteral("__/__/____");
    // Only the last order date, a reversed delivery range, the operator still
    // in the delivery field: Confirma (which takes no focus) reports the
    // delivery range first.
    for (const auto& [field, typed] :
         {std::pair{"depAteEmissaoTexto", "10052024"}, std::pair{"depDeEntregaTexto", "11052024"},
          std::pair{"depAteEntregaTexto", "10052024"}}) {
      auto* edit = part<QLineEdit>(d, field);
      edit->setFocus();
      QApplication::processEvents();
      QTest::keyClicks(edit, QString::fromLatin1(typed));
    }
    QApplication::processEvents();
    onNextMessage([&](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    // A real click gives the focus to a button that takes it (QTest does not).
    auto* confirm = part<QPushButton>(d, "sbtConfirma");
    if (confirm->focusPolicy() & Qt::ClickFocus) confirm->setFocus(Qt::MouseFocusReason);
    QTest::mouseClick(confirm, Qt::LeftButton);
    part<QPushButton>(d, "sbtCancel")->click();
  });
  screen->findChild<QToolButton*>("sbtFiltro")->click();
  EXPECT_TRUE(cleared);
  EXPECT_EQ(message, "Data de entrega inicial deve ser menor ou igual a data de entrega final.");
}

TEST(FilterDialogWindow, FieldsAreCheckedAsTheOperatorLeavesThemAndARestoredRangeHasTheFocus) {
  DemoHost host(true);
  bool confirmed = false;
  onNextModal([&](QWidget* d) {
    EXPECT_SOON(focusName() == QStringLiteral("rbtTNrPedido"))
        << focusName();  // the first field, never "Opções"
    QTest::mouseClick(part<QRadioButton>(d, "rbtIntervalo"), Qt::LeftButton);
    EXPECT_SOON(focusName() == QStringLiteral("medDeIntervalo")) << focusName();
    for (const char* name : {"medDeIntervalo", "medAteIntervalo"}) {
      auto* edit = part<QLineEdit>(d, name);
      edit->setFocus();
      QTest::keyClicks(edit, QStringLiteral("5"));
      QTest::keyClick(edit, Qt::Key_Tab);
      EXPECT_SOON(edit->text() == QStringLiteral("0000000005")) << edit->text();
    }

    // A bad date is refused on leaving it, by the keyboard or by opening
    // another date's calendar; the focus goes back into it.
    auto* date = part<QLineEdit>(d, "depDeEmissaoTexto");
    date->setFocus();
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    QTest::keyClicks(date, QStringLiteral("31022024"));
    for (const char* away : {"", "depAteEmissaoCalendario"}) {
      QString message;
      onNextMessage([&](QMessageBox* box) {
        message = box->text();
        box->accept();
      });
      if (*away)
        QTest::mouseClick(part<QToolButton>(d, away), Qt::LeftButton);
      else
        QTest::keyClick(date, Qt::Key_Tab);
      EXPECT_SOON(message == QStringLiteral("'31/02/2024' não é uma data válida.")) << message;
      EXPECT_SOON(focusName() == QStringLiteral("depDeEmissaoTexto")) << focusName();
    }
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    QTest::keyClicks(date, QStringLiteral("01022024"));
    QTest::keyClick(date, Qt::Key_Return);  // Confirma is the default button
    EXPECT_SOON(!d->isVisible());
    confirmed = true;
  });
  host.open();
  EXPECT_SOON(confirmed);

  // Showing it again restores "Intervalo", coloured, with the focus in its
  // first edit; Esc cancels through the dialog's own Cancela.
  bool cancelled = false;
  onNextModal([&](QWidget* d) {
    auto* from = part<QLineEdit>(d, "medDeIntervalo");
    EXPECT_SOON(focusName() == QStringLiteral("medDeIntervalo")) << focusName();
    EXPECT_EQ(from->text(), QStringLiteral("0000000005"));
    EXPECT_EQ(from->palette().color(QPalette::Active, QPalette::Base), QColor(0xFF, 0xFF, 0xE1));
    QTest::keyClick(from, Qt::Key_Escape);
    EXPECT_SOON(!d->isVisible());
    cancelled = true;
  });
  part<QToolButton>(host.screen(), "sbtFiltro")->click();
  EXPECT_SOON(cancelled);
}

}  // namespace
}  // namespace ped::views
