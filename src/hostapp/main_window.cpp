#include "hostapp/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

#include "hostlib_qt/qt_conversions.h"

namespace ped::hostapp {
namespace {

using hostlib_qt::q;

void addStatus(QStatusBar* bar, const char* name, const QString& text) {
  auto* label = new QLabel(text, bar);
  label->setObjectName(QString::fromLatin1(name));
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setContentsMargins(4, 0, 4, 0);
  bar->addPermanentWidget(label);
}

QString branchStatus(const hostlib::HostContext& context) {
  return QStringLiteral("Filial: %1 %2").arg(q(context.filiProc), q(context.nomeFiliProc));
}

}  // namespace

QString mainWindowTitle(const hostlib::HostContext& context) {
  return QStringLiteral("Vendas - %1 - Filial %2 %3")
      .arg(q(context.operador), q(context.filiProc), q(context.nomeFiliProc));
}

MainWindow::MainWindow(const hostlib::HostContext& context, ScreenOpener openScreen)
    : openScreen_(std::move(openScreen)) {
  setObjectName(QStringLiteral("frmPrincipal"));
  setWindowTitle(mainWindowTitle(context));
  workspace_ = new QMdiArea(this);
  workspace_->setObjectName(QStringLiteral("mdiTelas"));
  workspace_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  workspace_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(workspace_);
  buildMenus();
  buildStatusBar(context);
  // The whole desk: the screens are lists that want every row they can get.
  if (const QScreen* desk = screen()) resize(desk->availableGeometry().size());
}

void MainWindow::buildMenus() {
  QMenu* screens = menuBar()->addMenu(QStringLiteral("&Telas"));
  screens->setObjectName(QStringLiteral("mnuTelas"));
  screens
      ->addAction(QStringLiteral("Liquidação Manual (PED00800)"), this, [this] { openScreen_("PED00800"); })
      ->setObjectName(QStringLiteral("actPED00800"));
  screens->addAction(QStringLiteral("Abrir tela..."), this, [this] { askScreenCode(); })
      ->setObjectName(QStringLiteral("actAbrirTela"));
  screens->addSeparator();
  screens->addAction(QStringLiteral("Sai&r"), this, &QWidget::close)
      ->setObjectName(QStringLiteral("actSair"));

  QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
  windows->setObjectName(QStringLiteral("mnuJanela"));
  windows->addAction(QStringLiteral("&Cascata"), workspace_, &QMdiArea::cascadeSubWindows)
      ->setObjectName(QStringLiteral("actCascata"));
  windows->addAction(QStringLiteral("&Lado a lado"), workspace_, &QMdiArea::tileSubWindows)
      ->setObjectName(QStringLiteral("actLadoALado"));
  windows->addAction(QStringLiteral("&Fechar todas"), workspace_, &QMdiArea::closeAllSubWindows)
      ->setObjectName(QStringLiteral("actFecharTodas"));
}

void MainWindow::buildStatusBar(const hostlib::HostContext& context) {
  QStatusBar* bar = statusBar();
  addStatus(bar, "lblOperador", QStringLiteral("Operador: %1").arg(q(context.operador)));
  addStatus(bar, "lblFilial", branchStatus(context));
  addStatus(
      bar, "lblVinculo",
      context.moduFili ? QStringLiteral("Vínculo à filial: sim") : QStringLiteral("Vínculo à filial: não"));
  addStatus(bar, "lblServidor",
            QStringLiteral("Servidor: %1%2:%3")
                .arg(context.webTls ? QStringLiteral("https://") : QString())
                .arg(q(context.webURL))
                .arg(context.webPort));
}

void MainWindow::showBranch(const hostlib::HostContext& context) {
  setWindowTitle(mainWindowTitle(context));
  if (auto* label = statusBar()->findChild<QLabel*>(QStringLiteral("lblFilial")))
    label->setText(branchStatus(context));
}

void MainWindow::askScreenCode() {
  bool ok = false;
  const QString code =
      QInputDialog::getText(this, QStringLiteral("Abrir tela"), QStringLiteral("Código da tela:"),
                            QLineEdit::Normal, QString(), &ok);
  if (ok && !code.trimmed().isEmpty()) openScreen_(code.toStdString());
}

void MainWindow::discardScreens() {
  for (QMdiSubWindow* window : workspace_->subWindowList()) delete window;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  workspace_->closeAllSubWindows();
  // A closed child is hidden at once and deleted later; one still shown refused.
  const QList<QMdiSubWindow*> windows = workspace_->subWindowList();
  const bool refused =
      std::any_of(windows.begin(), windows.end(), [](const QMdiSubWindow* w) { return !w->isHidden(); });
  if (refused)
    event->ignore();
  else
    event->accept();
}

}  // namespace ped::hostapp
