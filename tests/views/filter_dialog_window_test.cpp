// The real filter dialog in the real host, offscreen: the screen opens on
// the host's branch, the dialog shows at once, and Confirma with the default
// filter lists the branch's orders.

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
#include "hostapp/host_runtime.h"
#include "netclient/net_connection.h"
#include "support/demo_server.h"

namespace ped::hostapp {
namespace {

// Runs `inside` on the modal dialog that opens next.
void onNextModal(std::function<void(QWidget*)> inside) {
  QTimer::singleShot(50, [inside] {
    if (QWidget* modal = QApplication::activeModalWidget())
      inside(modal);
    else
      onNextModal(inside);
  });
}

// Runs `inside` on the message box that opens next.
void onNextMessage(std::function<void(QMessageBox*)> inside) {
  QTimer::singleShot(50, [inside] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      inside(box);
    else
      onNextMessage(inside);
  });
}

template <class W>
W* part(QWidget* dialog, const char* name) {
  W* w = dialog->findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(FilterDialogWindow, TheDefaultFilterConfirmedInTheRealDialogListsTheBranchsOrders) {
  const auto& demo = ped::testing::demoServer();
  netclient::TNetConnection net;
  net.Port = demo.port;
  net.Open();
  ASSERT_TRUE(net.Login("GERENTE", "gerente123").ok);
  hostlib::HostContext context{.operador = "GERENTE",
                               .filiProc = "0001",
                               .nomeFiliProc = "Matriz São Paulo",
                               .moduFili = true,
                               .webURL = "127.0.0.1",
                               .webPort = demo.port,
                               .sessionToken = net.token()};
  const auto options = std::filesystem::temp_directory_path() / "ped-hostapp-tests-opcoes";
  HostRuntime runtime(context, std::make_unique<hostlib::SqlDatabase>(demo.database),
                      hostlib::OptionsStore(options), PED_MODULES_BUILD_DIR);
  runtime.window().show();
  runtime.window().resize(980, 680);
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
  QTRY_VERIFY(confirmed);

  QMdiArea* mdi = runtime.window().findChild<QMdiArea*>("mdiTelas");
  ASSERT_EQ(mdi->subWindowList().size(), 1);
  QWidget* screen = mdi->subWindowList().front()->widget();
  auto* orders = screen->findChild<QTableView*>("dbgPadrao");
  ASSERT_NE(orders, nullptr);
  QTRY_VERIFY(orders->model()->rowCount() > 0);
  mdi->subWindowList().front()->showMaximized();
  // The list stands on its first order, and the grid shows it.
  QTRY_COMPARE(orders->currentIndex().row(), 0);
  EXPECT_TRUE(orders->selectionModel()->isSelected(orders->currentIndex()));
  EXPECT_TRUE(runtime.window().grab().save("screens/pedidos.png"));
  // The item page shows the current order's items.
  auto* pages = screen->findChild<QTabWidget*>("pgcPadrao");
  pages->setCurrentIndex(1);
  EXPECT_EQ(pages->currentIndex(), 1);
  QTRY_VERIFY(screen->findChild<QTableView*>("dbgItemPedido")->model()->rowCount() > 0);
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

}  // namespace
}  // namespace ped::hostapp
