#include "hostapp/login_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "netclient/net_connection.h"

namespace ped::hostapp {

LoginDialog::LoginDialog(netclient::TNetConnection& server, const QString& operatorCode, QWidget* parent)
    : QDialog(parent), server_(server) {
  setObjectName(QStringLiteral("frmLogin"));
  setWindowTitle(QStringLiteral("Vendas - Entrada"));

  operatorEdit_ = new QLineEdit(operatorCode, this);
  operatorEdit_->setObjectName(QStringLiteral("edtOperador"));
  operatorEdit_->setMaxLength(32);
  passwordEdit_ = new QLineEdit(this);
  passwordEdit_->setObjectName(QStringLiteral("edtSenha"));
  passwordEdit_->setEchoMode(QLineEdit::Password);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("lblErro"));
  error_->setWordWrap(true);
  error_->setStyleSheet(QStringLiteral("color:#b00020;"));
  error_->hide();

  auto* buttons = new QDialogButtonBox(this);
  enter_ = buttons->addButton(QStringLiteral("Entrar"), QDialogButtonBox::AcceptRole);
  enter_->setObjectName(QStringLiteral("btnEntrar"));
  enter_->setDefault(true);
  QPushButton* quit = buttons->addButton(QStringLiteral("Sair"), QDialogButtonBox::RejectRole);
  quit->setObjectName(QStringLiteral("btnSair"));
  connect(enter_, &QPushButton::clicked, this, [this] { logIn(); });
  connect(quit, &QPushButton::clicked, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Operador:"), operatorEdit_);
  form->addRow(QStringLiteral("&Senha:"), passwordEdit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(error_);
  layout->addWidget(buttons);
  setMinimumWidth(340);
  (operatorCode.isEmpty() ? operatorEdit_ : passwordEdit_)->setFocus();
}

void LoginDialog::logIn() {
  const QString typed = operatorEdit_->text().trimmed();
  if (typed.isEmpty()) {
    error_->setText(QStringLiteral("Informe o operador."));
    error_->show();
    operatorEdit_->setFocus();
    return;
  }
  // The call is synchronous, on the UI thread, like every remote call here.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  enter_->setEnabled(false);
  const hostlib::RemoteResult result =
      server_.Login(typed.toStdString(), passwordEdit_->text().toStdString());
  enter_->setEnabled(true);
  QApplication::restoreOverrideCursor();
  if (!result.ok) {
    error_->setText(QString::fromStdString(result.error));
    error_->show();
    passwordEdit_->clear();
    passwordEdit_->setFocus();
    return;
  }
  operator_ = typed.toStdString();
  accept();
}

}  // namespace ped::hostapp
