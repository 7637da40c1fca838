#include "views/filter_dialog_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/shell/event_dispatch.h"
#include "hostlib_qt/control_binding.h"

namespace ped::views {

FilterDialogWindow::FilterDialogWindow(core::TfrmFiltroLiquidaItem& d, const hostlib::HostServices& host,
                                       QWidget* parent)
    : FilterDialogFrame(d, parent), dialog_(d), dialogs_(*host.dialogs) {
  setWindowTitle(QString::fromStdString(d.caption()));
  setOptionsStore(host.options, host.vantora->Operador(), host.dialogs);
  auto* layout = new QVBoxLayout(contentArea());
  auto* code = new QLabel(contentArea());
  hostlib_qt::bind(*code, d.lblCodTela);
  code->setAlignment(Qt::AlignRight);
  layout->addWidget(code);
  layout->addStretch(1);
  if (auto* cancel = findChild<QPushButton*>(QStringLiteral("sbtCancel")))
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FilterDialogWindow::runModal() {
  core::runEvent(dialogs_, [this] { dialog_.FormActivate(); });
  exec();
  core::runEvent(dialogs_, [this] { dialog_.FormClose(); });
}

}  // namespace ped::views
