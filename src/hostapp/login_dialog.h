#pragma once
// The log-in window ("frmLogin"): operator and password, checked by the
// application server. A refusal is shown in the window, which stays open with
// the operator as typed; on success the connection keeps the session token.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ped::netclient {
class TNetConnection;
}

namespace ped::hostapp {

class LoginDialog : public QDialog {
 public:
  // `server` must be open (TNetConnection::Open) and outlive the dialog.
  LoginDialog(netclient::TNetConnection& server, const QString& operatorCode, QWidget* parent = nullptr);

  // The operator as sent to the server (trimmed); meaningful once accepted.
  const std::string& operatorCode() const { return operator_; }

 private:
  void logIn();

  netclient::TNetConnection& server_;
  std::string operator_;
  QLineEdit* operatorEdit_;
  QLineEdit* passwordEdit_;
  QLabel* error_;
  QPushButton* enter_;
};

}  // namespace ped::hostapp
