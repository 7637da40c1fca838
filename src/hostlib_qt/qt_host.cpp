#include "hostlib_qt/qt_host.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "hostlib_qt/help_window.h"
#include "hostlib_qt/list_window.h"
#include "hostlib_qt/qt_conversions.h"
#include "hostlib_qt/search_dialogs.h"

namespace ped::hostlib_qt {

QtHost::~QtHost() {
  if (busy_) hideBusy();
}

QWidget* QtHost::owner() const {
  // Over the modal window the operator is in (the filter dialog), so that it
  // gets the focus back when the box closes.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return parent_;
}

void QtHost::showError(std::string_view text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), q(text), QMessageBox::Ok, owner());
  box.setObjectName(QStringLiteral("msgErro"));
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.exec();
}

bool QtHost::askYesNo(std::string_view text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmação"), q(text),
                  QMessageBox::Yes | QMessageBox::No, owner());
  box.setObjectName(QStringLiteral("msgConfirmacao"));
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Sim"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Não"));
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void QtHost::showHelp(std::string_view helpFile, int context) {
  const QString page = findHelpTopic(helpFile, context);
  if (page.isEmpty()) {
    showError("Tópico de ajuda " + std::to_string(context) + " não encontrado em " + std::string(helpFile) +
              ".");
    return;
  }
  showHelpPage(parent_, page);
}

void QtHost::showList(const hostlib::ListWindow& list) {
  ListWindowDialog dialog(owner(), list);
  dialog.exec();
}

void QtHost::showBusy(hostlib::BusyKind) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!busy_) {
    busy_ = new QLabel(QStringLiteral("Aguarde..."), parent_, Qt::ToolTip | Qt::FramelessWindowHint);
    busy_->setObjectName(QStringLiteral("lblAguarde"));
    busy_->setAlignment(Qt::AlignCenter);
    busy_->setMargin(12);
    busy_->setStyleSheet(QStringLiteral("background:#fff8dc; border:1px solid #8b7d6b; font-weight:bold;"));
  }
  busy_->adjustSize();
  if (parent_) busy_->move(parent_->mapToGlobal(parent_->rect().center()) - busy_->rect().center());
  busy_->show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);  // drawn before the work starts
}

void QtHost::hideBusy() {
  if (busy_) busy_->hide();
  QApplication::restoreOverrideCursor();
}

std::optional<std::size_t> QtHost::chooseRow(const engine::DataSet& rows, std::string_view title) {
  SearchDialog dialog(owner(), rows, q(title));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

std::optional<std::vector<std::string>> QtHost::chooseKeys(const engine::DataSet& rows,
                                                           std::string_view keyField, std::string_view title,
                                                           const std::vector<std::string>& checked) {
  PickListDialog dialog(owner(), rows, keyField, q(title), checked);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.checkedKeys();
}

}  // namespace ped::hostlib_qt
