// The real host with the real screen module, offscreen: log in, open
// "Liquidação Manual", choose a branch by typing, and look at the window;
// and the same over HTTPS, as far as the orders listed.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "hostapp/host_runtime.h"
#include "hostapp/login_dialog.h"
#include "netclient/net_connection.h"
#include "support/demo_server.h"
#include "support/test_ca.h"

namespace ped::hostapp {
namespace {

// Closes the modal dialog that opens next (the filter), counting it.
void cancelNextModal(int* seen) {
  QTimer::singleShot(50, [seen] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      ++*seen;
      EXPECT_EQ(modal->objectName(), "frmFiltroLiquidaItem");
      EXPECT_EQ(modal->windowTitle(), "Filtro de Liquidação Manual");
      modal->findChild<QPushButton*>("sbtCancel")->click();
    } else {
      cancelNextModal(seen);
    }
  });
}

// Types the operator and password into the log-in window and presses Enter;
// the operator's code once the server took them, empty otherwise.
std::string logInWithTheDialog(netclient::TNetConnection& net, const char* operatorCode,
                               const char* password) {
  LoginDialog login(net, QString());
  login.open();
  QTest::keyClicks(login.findChild<QLineEdit*>("edtOperador"), operatorCode);
  QTest::keyClicks(login.findChild<QLineEdit*>("edtSenha"), password);
  QTest::keyClick(login.findChild<QLineEdit*>("edtSenha"), Qt::Key_Return);
  return login.result() == QDialog::Accepted ? login.operatorCode() : std::string();
}

TEST(ScreenModule, AnOperatorLogsInOpensTheScreenAndChoosesABranch) {
  const auto& demo = ped::testing::demoServer();
  netclient::TNetConnection net;
  net.Port = demo.port;
  net.Open();
  const std::string operatorCode = logInWithTheDialog(net, "VENDEDOR1", "vendedor123");
  ASSERT_EQ(operatorCode, "VENDEDOR1");

  hostlib::HostContext context{.operador = operatorCode,
                               .filiProc = "0003",
                               .nomeFiliProc = "Filial Belo Horizonte",
                               .webURL = "127.0.0.1",
                               .webPort = demo.port,
                               .sessionToken = net.token()};
  const auto options = std::filesystem::temp_directory_path() / "ped-hostapp-tests-opcoes";
  HostRuntime runtime(context, std::make_unique<hostlib::SqlDatabase>(demo.database),
                      hostlib::OptionsStore(options), PED_MODULES_BUILD_DIR);
  runtime.window().show();
  runtime.window().resize(980, 680);
  runtime.openScreen("PED00800");
  runtime.openScreen("PED00800");  // again: still one screen
  QMdiArea* mdi = runtime.window().findChild<QMdiArea*>("mdiTelas");
  ASSERT_EQ(mdi->subWindowList().size(), 1);
  QWidget* screen = mdi->subWindowList().front()->widget();
  ASSERT_EQ(screen->objectName(), "frmLiquidaItem");
  mdi->subWindowList().front()->showMaximized();

  auto* code = screen->findChild<QLineEdit*>("medCdFilial");
  auto* name = screen->findChild<QLineEdit*>("edtNmFilial");
  auto* filter = screen->findChild<QToolButton*>("sbtFiltro");
  auto* pages = screen->findChild<QTabWidget*>("pgcPadrao");
  ASSERT_TRUE(code && name && filter && pages);
  EXPECT_EQ(code->text(), "0003");
  EXPECT_EQ(name->text(), "Filial Belo Horizonte");
  EXPECT_TRUE(code->isEnabled());
  EXPECT_FALSE(filter->isEnabled());
  EXPECT_EQ(pages->tabText(2), "Justificativa de Exclusão");
  EXPECT_FALSE(pages->isTabEnabled(1));

  // Type "1" into the branch field and leave it: the code is completed, the
  // name shown, the filter dialog opens; cancelled, the filter stays enabled.
  code->setFocus();
  QApplication::processEvents();
  code->selectAll();
  QTest::keyClick(code, Qt::Key_Delete);
  QTest::keyClicks(code, "1");
  EXPECT_EQ(name->text(), "");
  int filterDialogs = 0;
  cancelNextModal(&filterDialogs);
  screen->findChild<QWidget*>("dbgPadrao")->setFocus();
  QTRY_COMPARE(filterDialogs, 1);
  QTRY_VERIFY(filter->isEnabled());
  EXPECT_EQ(code->text(), "0001");
  EXPECT_EQ(name->text(), "Matriz São Paulo");
  EXPECT_TRUE(runtime.window().windowTitle().startsWith("Vendas - VENDEDOR1 - Filial 0001 Matriz São Paulo"));
  EXPECT_TRUE(runtime.window().statusBar()->findChild<QLabel*>("lblFilial")->text().contains("0001 Matriz"));
  QDir().mkpath("screens");
  EXPECT_TRUE(runtime.window().grab().save("screens/liquidacao_manual.png"));
}

TEST(ScreenModule, OverHttpsTheOperatorLogsInAndTheScreenListsTheBranchsOrders) {
  const ped::testing::TestCa ca;
  ped::testing::RunningDemoServer demo({.tlsCertFile = ca.serverCert(), .tlsKeyFile = ca.serverKey()});
  netclient::TNetConnection net;
  net.Port = demo.info().port;
  net.UseTls = true;
  net.CaFile = ca.caFile();
  net.Open();
  ASSERT_EQ(logInWithTheDialog(net, "GERENTE", "gerente123"), "GERENTE");

  // Bound to the branch: the filter opens at once, and confirming it lists
  // the orders over the screen's own connection.
  hostlib::HostContext context{.operador = "GERENTE",
                               .filiProc = "0001",
                               .nomeFiliProc = "Matriz São Paulo",
                               .moduFili = true,
                               .webURL = "127.0.0.1",
                               .webPort = demo.info().port,
                               .webTls = true,
                               .webCaFile = ca.caFile(),
                               .sessionToken = net.token()};
  HostRuntime runtime(
      context, std::make_unique<hostlib::SqlDatabase>(demo.info().database),
      hostlib::OptionsStore(std::filesystem::temp_directory_path() / "ped-hostapp-tests-opcoes"),
      PED_MODULES_BUILD_DIR);
  runtime.window().show();
  EXPECT_EQ(runtime.window().findChild<QLabel*>("lblServidor")->text(),
            QString("Servidor: https://127.0.0.1:%1").arg(demo.info().port));
  bool confirmed = false;
  std::function<void()> confirmFilter = [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return QTimer::singleShot(50, confirmFilter);
    auto* confirm = modal->findChild<QPushButton*>("sbtConfirma");
    if (!confirm) return void(modal->close());  // a message instead of the filter: the test fails
    confirm->click();
    confirmed = !modal->isVisible();
  };
  QTimer::singleShot(50, confirmFilter);
  runtime.openScreen("PED00800");
  ASSERT_TRUE(QTest::qWaitFor([&] { return confirmed; }, 5000));
  QWidget* screen = runtime.window().findChild<QMdiArea*>("mdiTelas")->subWindowList().front()->widget();
  auto* orders = screen->findChild<QTableView*>("dbgPadrao");
  EXPECT_TRUE(QTest::qWaitFor([&] { return orders->model()->rowCount() > 0; }, 5000));
}

TEST(ScreenModule, ContaCheckedCountsTheEntriesOfAListThroughTheExportedEntry) {
  void* module = dlopen(PED_MODULES_BUILD_DIR "/ped00800.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto* contaChecked = reinterpret_cast<int (*)(const char*)>(dlsym(module, "ContaChecked"));
  ASSERT_NE(contaChecked, nullptr);
  EXPECT_EQ(contaChecked(nullptr), 1);
  EXPECT_EQ(contaChecked(""), 1);
  EXPECT_EQ(contaChecked("A_B_C"), 3);
  dlclose(module);
}

}  // namespace
}  // namespace ped::hostapp
