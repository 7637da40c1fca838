#include "hostlib_qt/base_frames.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/data_set.h"
#include "hostlib/event_dispatch.h"
#include "hostlib_qt/control_binding.h"
#include "hostlib_qt/qt_host.h"

namespace ped::hostlib_qt {
namespace {

// Runs an operator's action as one event: nothing it throws reaches Qt's
// event loop. Without the host's dialogs, failures show in boxes over `owner`.
void runOperatorAction(QWidget* owner, hostlib::Dialogs* dialogs, const std::function<void()>& action) {
  if (dialogs) {
    hostlib::runEvent(*dialogs, action);
    return;
  }
  QtHost boxes(owner);
  hostlib::runEvent(boxes, action);
}

}  // namespace

GridScreenFrame::GridScreenFrame(hostlib::TfrmPadraoGrid& s, QWidget* parent)
    : QMainWindow(parent), state_(s) {
  setObjectName(QString::fromStdString(s.name()));
  toolBar_ = addToolBar(QStringLiteral("Ferramentas"));
  toolBar_->setObjectName(QStringLiteral("tlbPadrao"));
  toolBar_->setMovable(false);
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  menu_ = menuBar()->addMenu(QStringLiteral("&Manutenção"));
  menu_->setObjectName(QStringLiteral("mnuManutencao"));
  hostlib::Control* buttons[] = {&s.sbtIncluir,   &s.sbtAlterar,  &s.sbtExcluir,  &s.sbtVerificar,
                                 &s.sbtConfirmar, &s.sbtCancelar, &s.sbtProcurar, &s.sbtImprimir};
  for (hostlib::Control* b : buttons) {
    auto* tool = new QToolButton(toolBar_);
    bind(*tool, *b);
    toolBar_->addWidget(tool);
    auto* entry = new QAction(menu_);
    bind(*entry, *s.menuFor(*b));
    menu_->addAction(entry);
    // The button and its menu entry do the same thing: the entry clicks the button.
    QObject::connect(entry, &QAction::triggered, tool, &QToolButton::click);
    QObject::connect(tool, &QToolButton::clicked, this, [this, b] {
      if (onButtonClicked) onButtonClicked(*b);
    });
  }
  auto* spacer = new QWidget(toolBar_);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  spacer_ = toolBar_->addWidget(spacer);
  auto* code = new QLabel(toolBar_);
  code->setMargin(6);
  code->setStyleSheet(QStringLiteral("color:#555; font-weight:bold;"));
  bind(*code, s.lblCodTela);
  toolBar_->addWidget(code);
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(4, 4, 4, 4);
  navigator_ = new QWidget(central);
  bind(*navigator_, s.dbnPadrao);
  auto* moves = new QHBoxLayout(navigator_);
  moves->setContentsMargins(0, 0, 0, 0);
  const std::pair<const char*, void (engine::DataSet::*)()> steps[] = {{"|<", &engine::DataSet::first},
                                                                       {"<", &engine::DataSet::prior},
                                                                       {">", &engine::DataSet::next},
                                                                       {">|", &engine::DataSet::last}};
  for (const auto& [text, step] : steps) {
    auto* b = new QToolButton(navigator_);
    b->setText(QString::fromLatin1(text));
    moves->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, move = step] {
      run([this, move] {
        if (state_.dtsPadrao && state_.dtsPadrao->active()) (state_.dtsPadrao->*move)();
      });
    });
  }
  content_ = new QWidget(central);
  content_->setObjectName(QStringLiteral("panConteudo"));
  column->addWidget(navigator_);
  column->addWidget(content_, 1);
  setCentralWidget(central);
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this, &s] {
    if (dialogs_) s.ShowHelp(*dialogs_);
  });
  resize(900, 600);
}

QToolButton* GridScreenFrame::addToolButton(hostlib::Control& button) {
  auto* tool = new QToolButton(toolBar_);
  bind(*tool, button);
  // A toolbar shows and hides its widgets through their actions only, and
  // a changed action hands its enabled state on to its widget.
  QAction* slot = toolBar_->insertWidget(spacer_, tool);
  auto follow = [](QAction& a, const hostlib::Control& c) {
    a.setEnabled(c.enabled());
    a.setVisible(c.visible());
  };
  follow(*slot, button);
  QPointer<QAction> guard(slot);
  button.listen([guard, follow](hostlib::Control& c) {
    if (guard) follow(*guard, c);
  });
  connect(tool, &QToolButton::clicked, this, [this, &button] {
    if (onButtonClicked) onButtonClicked(button);
  });
  return tool;
}

void GridScreenFrame::run(const std::function<void()>& action) {
  if (runAction) {
    runAction(action);
    return;
  }
  runOperatorAction(this, dialogs_, action);
}

FilterDialogFrame::FilterDialogFrame(hostlib::TfrmFiltroPadrao& s, QWidget* parent)
    : QDialog(parent), state_(s) {
  setObjectName(QString::fromStdString(s.name()));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  group_ = new QGroupBox(this);
  bind(*group_, s.grbFiltroPadrao);
  layout->addWidget(group_, 1);
  auto* row = new QHBoxLayout();
  auto* optionsButton = new QPushButton(QStringLiteral("&Opções"), this);
  optionsButton->setObjectName(QStringLiteral("sbtOpcoes"));
  // Like the buttons beside it, it never takes the focus from the fields;
  // Alt+O opens it.
  optionsButton->setFocusPolicy(Qt::NoFocus);
  options_ = new QMenu(optionsButton);
  options_->setObjectName(QStringLiteral("ppmOpcoes"));
  optionsButton->setMenu(options_);
  QAction* save = options_->addAction(QStringLiteral("Salvar opções"));
  save->setObjectName(QStringLiteral("mnuSalvarOpcoes"));
  QAction* load = options_->addAction(QStringLiteral("Carregar opções"));
  load->setObjectName(QStringLiteral("mnuCarregarOpcoes"));
  connect(save, &QAction::triggered, this, [this] {
    runOperatorAction(this, dialogs_, [this] {
      if (saveOptions) {
        saveOptions();
        return;
      }
      if (!store_) return;
      if (onBeforeSaveOptions) onBeforeSaveOptions();
      try {
        state_.SaveOptions(*store_, operator_);
      } catch (const std::runtime_error& e) {
        if (dialogs_) dialogs_->showError(e.what());
      }
    });
  });
  connect(load, &QAction::triggered, this, [this] {
    runOperatorAction(this, dialogs_, [this] {
      if (loadOptions) {
        loadOptions();
        return;
      }
      if (!store_) return;
      state_.LoadOptions(*store_, operator_);
      if (onOptionsLoaded) onOptionsLoaded();
    });
  });
  row->addWidget(optionsButton);
  row->addStretch(1);
  for (hostlib::Control* c : {&s.sbtConfirma, &s.sbtCancel, &s.sbtHelp}) {
    auto* b = new QPushButton(this);
    bind(*b, *c);
    // Like toolbar buttons, they leave the focus in the field the operator
    // was in.
    b->setFocusPolicy(Qt::NoFocus);
    row->addWidget(b);
    if (c == &s.sbtHelp) connect(b, &QPushButton::clicked, this, [this] { showHelp(); });
  }
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { showHelp(); });
  layout->addLayout(row);
  resize(560, 420);
}

void FilterDialogFrame::showHelp() {
  if (dialogs_ && state_.sbtHelp.enabled()) state_.ShowHelp(*dialogs_);
}

void FilterDialogFrame::setOptionsStore(const hostlib::OptionsStore* store, std::string operatorCode,
                                        hostlib::Dialogs* dialogs) {
  store_ = store;
  operator_ = std::move(operatorCode);
  dialogs_ = dialogs;
}

}  // namespace ped::hostlib_qt
