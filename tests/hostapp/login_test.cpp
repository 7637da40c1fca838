// Log-in and the current branch against the real application server on a
// loopback port, over the demo data.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "hostapp/branch_lookup.h"
#include "hostapp/login_dialog.h"
#include "netclient/net_connection.h"
#include "support/demo_server.h"

namespace ped::hostapp {
namespace {

// The shared demo server, and a connection to it as the host opens one.
class DemoServer : public ::testing::Test {
 protected:
  void SetUp() override {
    net_.Port = ped::testing::demoServer().port;
    net_.Open();
  }
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
  hostlib::SqlDatabase lookups(ped::testing::demoServer().database);
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
