// The module-level state of the main screen's unit, the screen's creation
// and release, and how its events run.

#include "core/shell/Cli_ped00800.h"

#include <stdexcept>

#include "core/orders/marking_state.h"
#include "hostlib/event_dispatch.h"

namespace ped::core {

TfrmLiquidaItem* frmLiquidaItem = nullptr;
bool boIdCriado = false;
bool boEvento = true;
TFiltro Filtro;
std::string stNrItemPed;
std::string stSelNrPedido;
bool boTeclado = false;
std::string reposicionar;

namespace {

const ScreenEnvironment* environment = nullptr;
int unitNesting = 0;
// The screen object; frmLiquidaItem points into it. Pending releases hold
// their own reference until they run.
std::shared_ptr<TfrmLiquidaItem> screenOwner;

}  // namespace

void setScreenEnvironment(const ScreenEnvironment* e) { environment = e; }

const engine::Clock& clockOf(const ScreenEnvironment& e) {
  static const engine::SystemClock systemClock;
  return e.clock ? *e.clock : systemClock;
}

const ScreenEnvironment& screenEnvironment() {
  if (environment == nullptr) throw std::logic_error("ambiente da tela não definido");
  return *environment;
}

void InitializeCli_ped00800() {
  if (unitNesting++ > 0) return;
  frmLiquidaItem = nullptr;
  boIdCriado = false;
  boEvento = true;
  boTeclado = false;
  Filtro = TFiltro{};
  marking.clear();
  for (std::string* s : {&stNrItemPed, &stSelNrPedido, &reposicionar}) s->clear();
}

void FinalizeCli_ped00800() {
  if (unitNesting == 0 || --unitNesting > 0) return;
  // The module's code goes away after this: a screen still open must not
  // outlive it.
  if (screenOwner) {
    frmLiquidaItem->FormClose();
  }
  screenOwner.reset();
  frmLiquidaItem = nullptr;
  boIdCriado = false;
  marking.clear();
  for (std::string* s : {&reposicionar, &stSelNrPedido, &stNrItemPed}) std::string().swap(*s);
  Filtro = TFiltro{};
}

void CriaLiquidaItem() {
  const ScreenEnvironment& env = screenEnvironment();
  if (!boIdCriado) {
    WaitCursor hourglass(*env.toolkit);
    screenOwner = std::make_shared<TfrmLiquidaItem>(env);
    frmLiquidaItem = screenOwner.get();
    frmLiquidaItem->attachWindow(env.toolkit->createWindow(*frmLiquidaItem));
    boIdCriado = true;
  }
  // Not under the hourglass: showing runs the first activation, which may
  // open the filter dialog and wait for the operator.
  frmLiquidaItem->window()->showNormal();
}

TfrmLiquidaItem::~TfrmLiquidaItem() {
  if (frmLiquidaItem == this) frmLiquidaItem = nullptr;
}

bool TfrmLiquidaItem::handle(const std::function<void()>& handler) {
  return hostlib::runEvent(dialogs, handler);
}

void TfrmLiquidaItem::lockWindowUpdate() {
  if (windowLocks_++ == 0 && window_) window_->setUpdatesLocked(true);
}

void TfrmLiquidaItem::unlockWindowUpdate() {
  if (windowLocks_ == 0) return;
  if (--windowLocks_ == 0 && window_) window_->setUpdatesLocked(false);
}

void TfrmLiquidaItem::releaseWindowUpdate() {
  ++windowGeneration_;
  if (windowLocks_ == 0) return;
  windowLocks_ = 0;
  if (window_) window_->setUpdatesLocked(false);
}

void TfrmLiquidaItem::Close() {
  if (screenOwner.get() != this) return;  // already closed
  FormClose();
  // Released after the current event: the close may come from one of the
  // screen's own handlers.
  std::shared_ptr<TfrmLiquidaItem> releasing = std::move(screenOwner);
  if (frmLiquidaItem == this) frmLiquidaItem = nullptr;
  toolkit.post([releasing]() mutable { releasing.reset(); });
}

void TfrmLiquidaItem::PostClose() {
  std::weak_ptr<TfrmLiquidaItem> target = screenOwner;
  if (screenOwner.get() != this) return;
  toolkit.post([target] {
    if (auto screen = target.lock()) screen->Close();
  });
}

}  // namespace ped::core
