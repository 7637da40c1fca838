// Log-in and the current branch against the real application server on a
// loopback port, over a fresh SQLite file holding the demo data.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "engine/date_time.h"
#include "hostapp/branch_lookup.h"
#include "hostapp/login_dialog.h"
#include "netclient/net_connection.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/http/http_server.h"
#include "support/test_database.h"

namespace ped::hostapp {
namespace {

class DemoServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const double today = engine::date_time::fromCivil({2026, 3, 15});
    server::demo::writeDemoData(*store_.open(),
                                server::demo::generateDemoData({.orders = 12, .today = today}), false);
    pool_ = std::make_unique<server::ConnectionPool>(store_.target(), 2);
    services_ = std::make_unique<server::Services>(*pool_, clock_);
    dispatcher_ = std::make_unique<rpc::Dispatcher>(*services_);
    services_->install(*dispatcher_);
    server::HttpOptions http;
    http.threads = 2;
    http.keepAliveTimeout = std::chrono::seconds(1);
    http_ = std::make_unique<server::HttpServer>(*dispatcher_, http);
    http_->start();
    net_.Port = http_->port();
    net_.Open();
  }
  void TearDown() override {
    if (http_) http_->stop();
  }

  testing::TestDatabase store_{testing::Backend::Sqlite};
  engine::FixedClock clock_{engine::date_time::fromCivil({2026, 3, 15, 9, 0})};
  std::unique_ptr<server::ConnectionPool> pool_;
  std::unique_ptr<server::Services> services_;
  std::unique_ptr<rpc::Dispatcher> dispatcher_;
  std::unique_ptr<server::HttpServer> http_;
  netclient::TNetConnection net_;
};

void type(QWidget* edit, const QString& text) {
  static_cast<QLineEdit*>(edit)->clear();
  QTest::keyClicks(edit, text);
}

TEST_F(DemoServer, ARefusalStaysInTheDialogAndTheRightPasswordGivesASession) {
  LoginDialog dialog(net_, QString());
  dialog.open();
  auto* operatorEdit = dialog.findChild<QLineEdit*>("edtOperador");
  auto* password = dialog.findChild<QLineEdit*>("edtSenha");
  auto* error = dialog.findChild<QLabel*>("lblErro");
  QPushButton* enter = nullptr;
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == "Entrar") enter = b;
  ASSERT_TRUE(operatorEdit && password && error && enter);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);

  QTest::mouseClick(enter, Qt::LeftButton);
  EXPECT_EQ(error->text(), "Informe o operador.");

  type(operatorEdit, " GERENTE ");
  type(password, "errada");
  QTest::mouseClick(enter, Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(error->text(), "Operador ou senha inválidos.");
  EXPECT_EQ(operatorEdit->text(), " GERENTE ");
  EXPECT_EQ(password->text(), "");
  EXPECT_EQ(net_.token(), "");
  QDir().mkpath("screens");
  EXPECT_TRUE(dialog.grab().save("screens/login_dialog.png"));

  type(password, "gerente123");
  QTest::keyClick(password, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.operatorCode(), "GERENTE");
  EXPECT_EQ(net_.token().size(), 64u);
  // The session works: the server knows who logged in.
  EXPECT_EQ(net_.call("GetParam", {"0001", "ADMIN"}).error,
            "O operador informado (ADMIN) não é o operador da sessão (GERENTE).");
}

TEST_F(DemoServer, TheBranchComesFromTheLookUpDatabase) {
  hostlib::SqlDatabase lookups(store_.target());
  const Branch first = findBranch(lookups, "");
  EXPECT_EQ(first.code, "0001");
  EXPECT_EQ(first.name, "Matriz São Paulo");
  EXPECT_FALSE(findBranch(lookups, "0003").name.empty());
  try {
    findBranch(lookups, "9999");
    ADD_FAILURE() << "unknown branch accepted";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Filial 9999 não cadastrada.");
  }
}

}  // namespace
}  // namespace ped::hostapp
