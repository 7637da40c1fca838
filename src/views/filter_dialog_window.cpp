#include "views/filter_dialog_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "hostlib/event_dispatch.h"
#include "hostlib_qt/control_binding.h"
#include "hostlib_qt/date_edit_widget.h"
#include "hostlib_qt/focus_following.h"
#include "hostlib_qt/key_conversion.h"
#include "hostlib_qt/masked_line_edit.h"
#include "hostlib_qt/qt_conversions.h"

namespace ped::views {
namespace {

using hostlib_qt::q;

using hostlib_qt::shiftState;
using hostlib_qt::virtualKey;

void visit(hostlib::Control& c, const std::function<void(hostlib::Control&)>& f) {
  f(c);
  for (const auto& child : c.children()) visit(*child, f);
}

}  // namespace

FilterDialogWindow::FilterDialogWindow(core::TfrmFiltroLiquidaItem& d, const hostlib::HostServices& host,
                                       QWidget* parent)
    : FilterDialogFrame(d, parent), dialog_(d), dialogs_(*host.dialogs) {
  setWindowTitle(q(d.caption()));
  setOptionsStore(host.options, host.vantora->Operador(), host.dialogs);
  saveOptions = [this] { run([this] { dialog_.btfSaveOpcClick(); }); };
  loadOptions = [this] { run([this] { dialog_.btfLoadOpcClick(); }); };

  auto* column = new QVBoxLayout(contentArea());
  auto* code = new QLabel(contentArea());
  hostlib_qt::bind(*code, d.lblCodTela);
  code->setAlignment(Qt::AlignRight);
  code->setStyleSheet(QStringLiteral("color:#555; font-weight:bold;"));
  column->addWidget(code);
  auto* grid = new QGridLayout();
  column->addLayout(grid);
  column->addStretch(1);

  buildOrderNumbers(grid);
  buildBoxGroup(d.grbPedido, grid, 1, 0, 1, 2);
  buildBoxGroup(d.grbItemPedido, grid, 1, 1, 2, 3);
  buildListGroup(d.grbCliente, d.rbtTCliente, d.rbtLCliente, d.sbtCliente, grid, 2, 0);
  buildListGroup(d.grbProduto, d.rbtTProduto, d.rbtLProduto, d.sbtProduto, grid, 2, 1);
  buildListGroup(d.grbVendedor, d.rbtTVendedor, d.rbtLVendedor, d.sbtVendedor, grid, 2, 2);
  buildDateGroup(d.grbEmissao, d.lblDeEmissao, d.depDeEmissao, d.lblAteEmissao, d.depAteEmissao, grid, 3, 0);
  buildDateGroup(d.grbEntrega, d.lblDeEntrega, d.depDeEntrega, d.lblAteEntrega, d.depAteEntrega, grid, 3, 1);
  buildBoxGroup(d.grbPrioridade, grid, 4, 0, 3, 5);

  // Desfazer sits beside the base dialog's buttons.
  auto* confirm = findChild<QPushButton*>(QStringLiteral("sbtConfirma"));
  auto* undo = new QPushButton(this);
  hostlib_qt::bind(*undo, d.sbtLimpa);
  undo->setToolTip(QStringLiteral("Desfazer"));
  undo->setFocusPolicy(Qt::NoFocus);
  if (auto* rows = qobject_cast<QVBoxLayout*>(layout()))
    if (auto* buttons = qobject_cast<QHBoxLayout*>(rows->itemAt(rows->count() - 1)->layout()))
      buttons->insertWidget(buttons->indexOf(confirm), undo);
  connect(undo, &QPushButton::clicked, this, [this] { run([this] { dialog_.click(dialog_.sbtLimpa); }); });
  if (confirm) {
    // Enter confirms wherever the operator is (the buttons take no focus).
    confirm->setDefault(true);
    connect(confirm, &QPushButton::clicked, this,
            [this] { run([this] { dialog_.click(dialog_.sbtConfirma); }); });
  }
  if (auto* cancel = findChild<QPushButton*>(QStringLiteral("sbtCancel")))
    connect(cancel, &QPushButton::clicked, this, &FilterDialogWindow::reject);

  d.onFocusChanged = [this](hostlib::Control* c) { hostlib_qt::followFocusLater(*this, c); };
  // Keys reach the dialog first, whichever widget has the focus.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  resize(720, 520);
}

QWidget* FilterDialogWindow::groupBox(hostlib::Control& group, QGridLayout* layout, int row, int column,
                                      int columnSpan) {
  auto* box = new QGroupBox(contentArea());
  hostlib_qt::bind(*box, group);
  layout->addWidget(box, row, column, 1, columnSpan);
  return box;
}

QWidget* FilterDialogWindow::radioButton(hostlib::Control& radio, QWidget* parent) {
  auto* b = new QRadioButton(parent);
  // The core keeps the group exclusive; Qt's own exclusivity would refuse to
  // uncheck the button the core unchecks.
  b->setAutoExclusive(false);
  hostlib_qt::bind(*b, radio);
  connect(b, &QRadioButton::clicked, this, [this, &radio] { run([this, &radio] { dialog_.click(radio); }); });
  controlOf_[b] = &radio;
  return b;
}

QWidget* FilterDialogWindow::checkBox(hostlib::Control& box, QWidget* parent) {
  auto* b = new QCheckBox(parent);
  hostlib_qt::bind(*b, box);
  connect(b, &QCheckBox::clicked, this, [this, &box] { run([this, &box] { dialog_.click(box); }); });
  controlOf_[b] = &box;
  return b;
}

QWidget* FilterDialogWindow::searchButton(hostlib::Control& button, QWidget* parent) {
  auto* b = new QToolButton(parent);
  hostlib_qt::bind(*b, button);
  b->setToolTip(QStringLiteral("Pesquisar"));
  connect(b, &QToolButton::clicked, this,
          [this, &button] { run([this, &button] { dialog_.click(button); }); });
  return b;
}

QWidget* FilterDialogWindow::rangeEdit(hostlib::Control& edit, QWidget* parent) {
  auto* e = new hostlib_qt::MaskedLineEdit(parent);
  e->setEditMask(core::TfrmFiltroLiquidaItem::kRangeMask);
  e->setMaxLength(static_cast<int>(core::TfrmFiltroLiquidaItem::kRangeWidth));
  hostlib_qt::bind(*e, edit);
  e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 12 + 12);
  connect(e, &QLineEdit::textEdited, this, [this, e, &edit] {
    const std::string typed = e->value();
    run([this, &edit, typed] { dialog_.typeRange(edit, typed); });
  });
  controlOf_[e] = &edit;
  return e;
}

QWidget* FilterDialogWindow::dateEdit(hostlib::TDateEditPlus& date, QWidget* parent) {
  auto* w = new hostlib_qt::DateEditWidget(date, parent);
  w->setClock(dialog_.clock());
  w->setFocusProxy(w->edit());
  controlOf_[w->edit()] = &date;
  return w;
}

QWidget* FilterDialogWindow::label(hostlib::Control& text, QWidget* parent) {
  auto* l = new QLabel(parent);
  hostlib_qt::bind(*l, text);
  return l;
}

void FilterDialogWindow::buildOrderNumbers(QGridLayout* layout) {
  core::TfrmFiltroLiquidaItem& d = dialog_;
  QWidget* box = groupBox(d.grbNrPedido, layout, 0, 0, 3);
  auto* row = new QHBoxLayout(box);
  for (hostlib::Control* radio : {&d.rbtTNrPedido, &d.rbtIntervalo, &d.rbtLNrPedido})
    row->addWidget(radioButton(*radio, box));
  row->addSpacing(12);
  row->addWidget(label(d.lblDeNrPedido, box));
  row->addWidget(rangeEdit(d.medDeIntervalo, box));
  row->addWidget(label(d.lblAteNrPedido, box));
  row->addWidget(rangeEdit(d.medAteIntervalo, box));
  row->addWidget(searchButton(d.sbtNrPedido, box));
  row->addStretch(1);
}

void FilterDialogWindow::buildListGroup(hostlib::Control& group, hostlib::Control& all,
                                        hostlib::Control& list, hostlib::Control& search, QGridLayout* layout,
                                        int row, int column) {
  QWidget* box = groupBox(group, layout, row, column);
  auto* line = new QHBoxLayout(box);
  line->addWidget(radioButton(all, box));
  line->addWidget(radioButton(list, box));
  line->addWidget(searchButton(search, box));
  line->addStretch(1);
}

void FilterDialogWindow::buildDateGroup(hostlib::Control& group, hostlib::Control& fromLabel,
                                        hostlib::TDateEditPlus& from, hostlib::Control& toLabel,
                                        hostlib::TDateEditPlus& to, QGridLayout* layout, int row,
                                        int column) {
  QWidget* box = groupBox(group, layout, row, column, column == 0 ? 1 : 2);
  auto* line = new QHBoxLayout(box);
  line->addWidget(label(fromLabel, box));
  line->addWidget(dateEdit(from, box));
  line->addWidget(label(toLabel, box));
  line->addWidget(dateEdit(to, box));
  line->addStretch(1);
}

void FilterDialogWindow::buildBoxGroup(hostlib::Control& group, QGridLayout* layout, int row, int column,
                                       int columnSpan, int perRow) {
  QWidget* box = groupBox(group, layout, row, column, columnSpan);
  auto* boxes = new QGridLayout(box);
  int i = 0;
  for (const auto& c : group.children()) {
    boxes->addWidget(checkBox(*c, box), i / perRow, i % perRow);
    ++i;
  }
}

void FilterDialogWindow::run(const std::function<void()>& handler) {
  running_ = true;
  hostlib::runEvent(dialogs_, handler);
  running_ = false;
  showAll();
}

void FilterDialogWindow::showAll() {
  visit(dialog_, [](hostlib::Control& c) { c.notifyChanged(); });
}

void FilterDialogWindow::leave(hostlib::Control& c) {
  // The focus comes and goes while a refusal shows its box: the field is
  // checked once.
  if (leaving_ != nullptr) return;
  leaving_ = &c;
  core::TfrmFiltroLiquidaItem& d = dialog_;
  const std::pair<hostlib::Control*, void (core::TfrmFiltroLiquidaItem::*)()> exits[] = {
      {&d.medDeIntervalo, &core::TfrmFiltroLiquidaItem::medDeIntervaloExit},
      {&d.medAteIntervalo, &core::TfrmFiltroLiquidaItem::medAteIntervaloExit},
      {&d.depDeEmissao, &core::TfrmFiltroLiquidaItem::depDeEmissaoExit},
      {&d.depAteEmissao, &core::TfrmFiltroLiquidaItem::depAteEmissaoExit},
      {&d.depDeEntrega, &core::TfrmFiltroLiquidaItem::depDeEntregaExit},
      {&d.depAteEntrega, &core::TfrmFiltroLiquidaItem::depAteEntregaExit}};
  for (const auto& [control, handler] : exits)
    if (control == &c) run([this, h = handler] { (dialog_.*h)(); });
  leaving_ = nullptr;
}

bool FilterDialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const int vk = virtualKey(key->key());
    // Plain typing has nothing for the dialog's key handlers.
    const bool forDialog = vk >= 112 || (vk != 0 && (key->modifiers() & Qt::ControlModifier));
    if (forDialog) {
      const auto found = controlOf_.find(watched);
      hostlib::Control* focused = found != controlOf_.end() ? found->second : dialog_.focused();
      // A handler that aborted had taken the key.
      bool used = true;
      run([&] { used = dialog_.keyDown(focused, vk, shiftState(key->modifiers())); });
      if (used) return true;
    }
  }
  const auto found = controlOf_.find(watched);
  if (found != controlOf_.end()) {
    hostlib::Control* c = found->second;
    if (event->type() == QEvent::FocusIn && !running_) {
      dialog_.setFocus(*c);
    } else if (hostlib_qt::leavesField(event)) {
      // Once the focus has settled where it went; the dialog hiding is not
      // leaving the field.
      QPointer<FilterDialogWindow> self(this);
      QTimer::singleShot(0, this, [self, c] {
        if (self && self->isVisible()) self->leave(*c);
      });
    }
  }
  return FilterDialogFrame::eventFilter(watched, event);
}

void FilterDialogWindow::runModal() {
  run([this] { dialog_.FormActivate(); });
  exec();
  run([this] { dialog_.FormClose(); });
}

void FilterDialogWindow::showEvent(QShowEvent* event) {
  FilterDialogFrame::showEvent(event);
  // Where the activation put the focus, not the window's first widget.
  hostlib_qt::followFocusLater(*this, dialog_.focused());
}

void FilterDialogWindow::reject() {
  // Esc, the window's close button and Cancela: the dialog's own cancel.
  run([this] { dialog_.click(dialog_.sbtCancel); });
}

}  // namespace ped::views
