#include "views/liquida_item_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "hostlib_qt/control_binding.h"
#include "hostlib_qt/focus_following.h"
#include "hostlib_qt/masked_line_edit.h"
#include "hostlib_qt/qt_conversions.h"
#include "views/allocation_grid_view.h"
#include "views/grid_cell_delegate.h"
#include "views/grid_cursor.h"
#include "views/grid_model.h"
#include "views/marking_grid_events.h"

namespace ped::views {
namespace {

using hostlib_qt::q;

// Column widths are given for a font whose digits are 6 pixels wide; a wider
// font gets wider columns, so a date still shows whole.
double widthScale(const QWidget& w) {
  return std::max(1.0, w.fontMetrics().horizontalAdvance(QLatin1Char('0')) / 6.0);
}

// A title in full, also in bold as the current column's header is drawn.
int titleWidth(const QWidget& header, const QString& title) {
  QFont bold = header.font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(title) + 12;
}

// The name column of a list takes the width the other columns leave, never
// less than its own: a wide window shows longer names, not empty space.
class NameColumnFill : public QObject {
 public:
  NameColumnFill(QTableView& view, int column)
      : QObject(&view), view_(view), column_(column), base_(view.columnWidth(column)) {
    view.viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) {
      int others = 0;
      for (int c = 0; c < view_.model()->columnCount(); ++c)
        if (c != column_ && !view_.isColumnHidden(c)) others += view_.columnWidth(c);
      view_.setColumnWidth(column_,
                           std::max(base_, static_cast<QResizeEvent*>(event)->size().width() - others));
    }
    return false;
  }

 private:
  QTableView& view_;
  int column_;
  int base_;
};

void fillWithNames(QTableView& view, const char* field) {
  const auto* model = static_cast<const GridModel*>(view.model());
  for (int c = 0; c < model->columnCount(); ++c)
    if (model->column(c).fieldName == field) new NameColumnFill(view, c);
}

}  // namespace

LiquidaItemWindow::LiquidaItemWindow(core::TfrmLiquidaItem& s, QWidget* parent)
    : GridScreenFrame(s, parent), screen_(s) {
  setWindowTitle(q(s.caption()));
  setDialogs(&s.dialogs);
  onButtonClicked = [this](hostlib::Control& button) { clickButton(button); };
  runAction = [this](const std::function<void()>& action) { run(action); };

  auto* nome = new QLabel(navigator());
  hostlib_qt::bind(*nome, s.lblNome);
  QFont bold = nome->font();
  bold.setBold(true);
  nome->setFont(bold);
  static_cast<QHBoxLayout*>(navigator()->layout())->addWidget(nome, 1);

  addToolButton(s.sbtFiltro)->setToolTip(QStringLiteral("Filtrar"));
  addToolButton(s.sbtProporLotes)->setToolTip(QStringLiteral("Propor lotes (Ctrl+Shift+P)"));

  auto* layout = new QVBoxLayout(contentArea());
  layout->setContentsMargins(0, 0, 0, 0);
  buildBranchPanel(contentArea());
  layout->addWidget(findChild<QWidget*>(QStringLiteral("panFilial")));
  buildPages(contentArea());
  layout->addWidget(pages_, 1);
  buildMenus();
  // The screen acts on its buttons only while the allocation grid keeps the
  // focus, so a click must not take it.
  for (auto* button : toolBar()->findChildren<QToolButton*>()) button->setFocusPolicy(Qt::NoFocus);

  s.onFocusChanged = [this](hostlib::Control* c) { hostlib_qt::followFocusLater(*this, c); };
  QPointer<LiquidaItemWindow> self(this);
  for (hostlib::Control* pages :
       {static_cast<hostlib::Control*>(&s.pgcPadrao), &s.tshPadrao, &s.tshItemPedido, &s.tshJustExcl})
    pages->listen([self](hostlib::Control&) {
      if (self) self->showActivePage();
    });
  showActivePage();
  // Wide enough for the grids' columns at this font.
  resize(static_cast<int>(820 * widthScale(*this)), 560);
}

void LiquidaItemWindow::buildBranchPanel(QWidget* parent) {
  core::TfrmLiquidaItem& s = screen_;
  auto* panel = new QWidget(parent);
  hostlib_qt::bind(*panel, s.panFilial);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(4, 2, 4, 2);
  auto* label = new QLabel(panel);
  hostlib_qt::bind(*label, s.lblFilial);
  medCdFilial_ = new hostlib_qt::MaskedLineEdit(panel);
  medCdFilial_->setEditMask(core::TfrmLiquidaItem::kBranchMask);
  hostlib_qt::bind(*medCdFilial_, s.medCdFilial);
  medCdFilial_->setMaximumWidth(60);
  label->setBuddy(medCdFilial_);
  auto* search = new QToolButton(panel);
  hostlib_qt::bind(*search, s.btnFilial);
  search->setToolTip(QStringLiteral("Pesquisar"));
  // The screen's search button takes no focus: Tab leaves the branch field
  // for the lists, and a space there marks an order instead of searching.
  search->setFocusPolicy(Qt::NoFocus);
  auto* name = new QLineEdit(panel);
  hostlib_qt::bind(*name, s.edtNmFilial);
  name->setReadOnly(true);
  name->setFocusPolicy(Qt::NoFocus);
  row->addWidget(label);
  row->addWidget(medCdFilial_);
  row->addWidget(search);
  row->addWidget(name, 1);

  connect(medCdFilial_, &QLineEdit::textEdited, this, [this] {
    const std::string typed = medCdFilial_->value();
    run([this, typed] { screen_.setCdFilial(typed); });
  });
  connect(search, &QToolButton::clicked, this, [this] { run([this] { screen_.click(screen_.btnFilial); }); });
  medCdFilial_->installEventFilter(this);
}

void LiquidaItemWindow::clickButton(hostlib::Control& button) {
  if (allocation_ != nullptr) {
    // Cancelar asks first: what was typed goes into the row, so a "Não"
    // keeps it and a "Sim" drops it with the row's other changes. Text the
    // row refuses cannot hold the cancel up.
    if (&button == &screen_.sbtCancelar || &button == &screen_.mnuCancelar) {
      if (!allocation_->commitEditor()) allocation_->discardEditor();
    } else if (!allocation_->commitEditor()) {
      return;
    }
  }
  run([this, &button] { screen_.click(button); });
}

QTableView* LiquidaItemWindow::grid(hostlib::Grid& g, QTableView* view) {
  view->setObjectName(q(g.name()));
  if (view->model() == nullptr) view->setModel(new GridModel(g, view));
  auto* model = static_cast<GridModel*>(view->model());
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectItems);
  view->verticalHeader()->setDefaultSectionSize(18);
  view->verticalHeader()->setVisible(false);
  view->setStyleSheet(QStringLiteral("QTableView { background: #ffffe1; }"));  // the tooltip background
  for (int c = 0; c < model->columnCount(); ++c) {
    const hostlib::Grid::Column& column = model->column(c);
    // A column shows its whole title.
    const int title = titleWidth(*view->horizontalHeader(), q(column.title));
    view->setColumnWidth(c, column.fixedWidth
                                ? column.width
                                : std::max(title, static_cast<int>(column.width * widthScale(*view))));
  }
  hostlib_qt::bind(*view, g);
  // Columns the core hides (the allocation keys a branch does not use).
  QPointer<QTableView> guard(view);
  auto showColumns = [guard, model](hostlib::Control&) {
    if (!guard) return;
    for (int i = 0; i < model->columnCount(); ++i) guard->setColumnHidden(i, !model->column(i).visible);
  };
  g.listen(showColumns);
  showColumns(g);
  followCursor(*view, g, [this](const std::function<void()>& handler) { run(handler); });
  view->installEventFilter(this);  // the core knows which grid has the focus
  return view;
}

void LiquidaItemWindow::buildPages(QWidget* parent) {
  core::TfrmLiquidaItem& s = screen_;
  pages_ = new QTabWidget(parent);
  pages_->setObjectName(q(s.pgcPadrao.name()));

  auto* orders = new QWidget(pages_);
  orders->setObjectName(q(s.tshPadrao.name()));
  auto* ordersLayout = new QVBoxLayout(orders);
  QTableView* orderGrid = grid(s.dbgPadrao, new QTableView(orders));
  usePaintedCells(*orderGrid, s.dbgPadrao, [&s](std::size_t row, std::size_t column, core::CellState state) {
    return s.dbgPadraoDrawColumnCell(row, column, state);
  });
  forwardMarkingEvents(*orderGrid, s.dbgPadrao,
                       {.cellClick = [&s](std::size_t column) { s.dbgPadraoCellClick(column); },
                        .titleClick = [&s](std::size_t column) { s.dbgPadraoTitleClick(column); },
                        .keyDown = [&s](int key, unsigned shift) { return s.dbgPadraoKeyDown(key, shift); }},
                       [this](const std::function<void()>& handler) { run(handler); });
  fillWithNames(*orderGrid, "NMFANTCLIE");
  ordersLayout->addWidget(orderGrid);
  pages_->addTab(orders, q(s.tshPadrao.caption()));

  auto* items = new QWidget(pages_);
  items->setObjectName(q(s.tshItemPedido.name()));
  auto* itemsLayout = new QVBoxLayout(items);
  auto* split = new QSplitter(Qt::Vertical, items);
  QTableView* itemGrid = grid(s.dbgItemPedido, new QTableView(split));
  usePaintedCells(*itemGrid, s.dbgItemPedido,
                  [&s](std::size_t row, std::size_t column, core::CellState state) {
                    return s.dbgItemPedidoDrawColumnCell(row, column, state);
                  });
  forwardMarkingEvents(
      *itemGrid, s.dbgItemPedido,
      {.cellClick = [&s](std::size_t column) { s.dbgItemPedidoCellClick(column); },
       .titleClick = [&s](std::size_t column) { s.dbgItemPedidoTitleClick(column); },
       .keyDown = [&s](int key, unsigned shift) { return s.dbgItemPedidoKeyDown(key, shift); }},
      [this](const std::function<void()>& handler) { run(handler); });
  fillWithNames(*itemGrid, "NMPRODUTO");
  split->addWidget(itemGrid);
  auto* stock = new QWidget(split);
  hostlib_qt::bind(*stock, s.panEvolEstq);
  auto* stockLayout = new QVBoxLayout(stock);
  stockLayout->setContentsMargins(0, 0, 0, 0);
  AllocationGridMoves moves{
      .run = [this](const std::function<void()>& handler) { return screen_.handle(handler); },
      .moveColumn = [&s](std::size_t column) { s.moveLiqEstColumn(column); },
      .typeCell = [&s](std::size_t column, const std::string& text) { s.typeLiqEstCell(column, text); },
      .post = [&s] { s.postLiqEst(); },
      .cancel = [&s] { s.cancelLiqEst(); },
      .pickList = [&s] { s.dbgLiqEstEditButtonClick(); }};
  allocation_ = new AllocationGridView(
      s.dbgLiqEst, std::move(moves),
      [&s](std::size_t row, std::size_t column, core::CellState state) {
        return s.dbgLiqEstDrawColumnCell(row, column, state);
      },
      stock);
  stockLayout->addWidget(grid(s.dbgLiqEst, allocation_));
  split->addWidget(stock);
  itemsLayout->addWidget(split);
  pages_->addTab(items, q(s.tshItemPedido.caption()));

  auto* just = new QWidget(pages_);
  just->setObjectName(q(s.tshJustExcl.name()));
  auto* justLayout = new QVBoxLayout(just);
  auto* box = new QGroupBox(just);
  hostlib_qt::bind(*box, s.grbJustExcl);
  QFont bold = box->font();
  bold.setBold(true);
  box->setFont(bold);
  auto* row = new QHBoxLayout(box);
  auto* code = new QLineEdit(box);
  hostlib_qt::bind(*code, s.edtCdJust);
  code->setFixedWidth(45);
  auto* search = new QToolButton(box);
  hostlib_qt::bind(*search, s.btnJust);
  search->setToolTip(QStringLiteral("Pesquisar"));
  auto* description = new QLineEdit(box);
  hostlib_qt::bind(*description, s.edtDsJust);  // disabled by the screen: display only
  description->setMinimumWidth(300);
  description->setFocusPolicy(Qt::NoFocus);
  for (QWidget* w : std::initializer_list<QWidget*>{code, search, description}) w->setFont(font());
  row->addWidget(code);
  row->addWidget(search);
  row->addWidget(description, 1);
  justLayout->addWidget(box);
  justLayout->addStretch(1);
  pages_->addTab(just, q(s.tshJustExcl.caption()));

  edtCdJust_ = code;
  connect(code, &QLineEdit::textEdited, this, [this, code](const QString& typed) {
    // The register keeps its codes in upper case.
    const QString upper = typed.toUpper();
    if (upper != typed) {
      const int at = code->cursorPosition();
      code->setText(upper);
      code->setCursorPosition(at);
    }
    run([this, text = upper.toStdString()] { screen_.typeCdJust(text); });
  });
  connect(search, &QToolButton::clicked, this, [this] { run([this] { screen_.click(screen_.btnJust); }); });
  code->installEventFilter(this);

  // A tab the operator clicks goes through the core, which may refuse it.
  connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
    hostlib::Control* pages[] = {&screen_.tshPadrao, &screen_.tshItemPedido, &screen_.tshJustExcl};
    if (index >= 0 && index < 3 && !screen_.pgcPadrao.isActive(*pages[index]))
      run([this, page = pages[index]] { screen_.pgcPadrao.choosePage(*page); });
    showActivePage();
  });
}

void LiquidaItemWindow::buildMenus() {
  core::TfrmLiquidaItem& s = screen_;
  QMenu* operations = menuBar()->addMenu(QStringLiteral("&Operações"));
  operations->setObjectName(QStringLiteral("mnuOperacoes"));
  for (hostlib::MenuItem* item :
       {&s.mnuPedido, &s.mnuItemPedido, &s.mnuJustExcl, &s.mnuFiltrar, &s.mnuProporLotes, &s.mnuHistorico}) {
    if (item == &s.mnuFiltrar) operations->addSeparator();
    auto* action = new QAction(operations);
    action->setCheckable(item != &s.mnuFiltrar && item != &s.mnuProporLotes && item != &s.mnuHistorico);
    if (!item->shortcut.empty()) action->setShortcut(QKeySequence(q(item->shortcut)));
    action->setShortcutContext(Qt::WindowShortcut);
    hostlib_qt::bind(*action, *item);
    operations->addAction(action);
    addAction(action);  // the shortcut works while the window has the focus
    connect(action, &QAction::triggered, this, [this, item] {
      clickButton(*item);  // an open allocation cell's text goes in first
      // The check marks are the core's, not the toolkit's.
      for (hostlib::Control* entry : {&screen_.mnuPedido, &screen_.mnuItemPedido, &screen_.mnuJustExcl})
        entry->notifyChanged();
    });
  }
  for (hostlib::Control* popup : {&s.ppmPedidoCompleto, &s.ppmItemPedido}) {
    auto* menu = new QMenu(this);
    menu->setObjectName(q(popup->name()));
    for (const auto& entry : popup->children()) {
      auto* action = new QAction(menu);
      hostlib_qt::bind(*action, *entry);
      menu->addAction(action);
      connect(action, &QAction::triggered, this, [this, item = entry.get()] { clickButton(*item); });
    }
  }
}

void LiquidaItemWindow::showActivePage() {
  hostlib::Control* pages[] = {&screen_.tshPadrao, &screen_.tshItemPedido, &screen_.tshJustExcl};
  const QSignalBlocker quiet(pages_);
  for (int i = 0; i < 3; ++i) {
    pages_->setTabEnabled(i, pages[i]->enabled());
    if (screen_.pgcPadrao.isActive(*pages[i])) pages_->setCurrentIndex(i);
  }
}

void LiquidaItemWindow::activated() {
  run([this] { screen_.FormActivate(); });
}

bool LiquidaItemWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn && watched != medCdFilial_) {
    for (hostlib::Grid* g : {&screen_.dbgPadrao, &screen_.dbgItemPedido, &screen_.dbgLiqEst})
      if (watched->objectName() == q(g->name()) && screen_.focused() != g)
        run([this, g] { screen_.enterGrid(*g); });
  }
  if (watched == edtCdJust_) {
    if (event->type() == QEvent::FocusIn && screen_.focused() != &screen_.edtCdJust) {
      run([this] { screen_.setFocus(screen_.edtCdJust); });
    } else if (hostlib_qt::leavesField(event) && !closing_) {
      // Once the focus has settled where it went: a refused code takes it back.
      QPointer<LiquidaItemWindow> self(this);
      QTimer::singleShot(0, this, [self] {
        if (self && !self->closing_) self->run([self] { self->screen_.leaveCdJust(); });
      });
    }
  }
  if (watched == medCdFilial_) {
    if (event->type() == QEvent::FocusIn) {
      run([this] { screen_.enterBranchField(); });
    } else if (hostlib_qt::leavesField(event) && !closing_) {
      // Once the focus has settled where it went.
      QPointer<LiquidaItemWindow> self(this);
      QTimer::singleShot(0, this, [self] {
        if (self && !self->closing_) self->run([self] { self->screen_.leaveBranchField(); });
      });
    }
  }
  return GridScreenFrame::eventFilter(watched, event);
}

void LiquidaItemWindow::closeEvent(QCloseEvent* event) {
  bool mayClose = true;
  if (core::frmLiquidaItem == &screen_) run([&] { mayClose = screen_.FormCloseQuery(); });
  if (!mayClose) return event->ignore();
  closing_ = true;
  if (core::frmLiquidaItem == &screen_) screen_.Close();
  event->accept();
}

}  // namespace ped::views
