// Confirma: the filter checked, turned into the 20 GetPedidos arguments and
// the filter record, and the order query run into the main screen.

#include "core/filter/Cli_ped00801.h"
#include "core/orders/order_keys_packet.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/remote_call.h"
#include "domain/order_query_arguments.h"
#include "hostlib/consiste.h"
#include "hostlib/event_dispatch.h"

namespace ped::core {

namespace consiste = hostlib::consiste;
namespace date_time = engine::date_time;

namespace {

netclient::Arg dateArg(double date) {
  if (date == date_time::kNoDate) return netclient::Arg(nullptr);
  return netclient::Arg(date_time::toIso(date_time::datePart(date)));
}

// The codes of the checked boxes, in the order given.
std::string codes(std::initializer_list<std::pair<const hostlib::Control*, const char*>> boxes) {
  std::string out;
  for (const auto& [box, code] : boxes)
    if (box->checked()) out += code;
  return out;
}

// Without a whole range the former dates stay; "T" tells the server to
// ignore them.
void dateRange(const hostlib::TDateEditPlus& fromField, const hostlib::TDateEditPlus& toField, double& from,
               double& to, std::string& all) {
  if (fromField.isEmpty() || toField.isEmpty()) {
    all.assign(1, 'T');
    return;
  }
  from = fromField.GetDate();
  to = toField.GetDate();
  all.clear();
}

}  // namespace

std::vector<netclient::Arg> TfrmFiltroLiquidaItem::GetPedidosArgs() const {
  using A = domain::OrderQueryArgument;
  std::vector<netclient::Arg> args(domain::kOrderQueryArgumentCount, nullptr);
  const auto put = [&args](A a, netclient::Arg value) { args[domain::position(a)] = std::move(value); };
  put(A::Branch, stCdFilial);
  put(A::OrderStatuses, stStatusPedido);
  put(A::OrderList, stLNrPedido);
  put(A::OrderFrom, stDeIntervalo);
  put(A::OrderTo, stAteIntervalo);
  put(A::AllOrders, stTNrPedido);
  put(A::ItemStatuses, stStatusItemPedido);
  put(A::ClientList, stLCliente);
  put(A::AllClients, stTCliente);
  put(A::ProductList, stLProduto);
  put(A::AllProducts, stTProduto);
  put(A::SellerList, stLVendedor);
  put(A::AllSellers, stTVendedor);
  put(A::IssuedFrom, dateArg(dtDeEmissao));
  put(A::IssuedTo, dateArg(dtAteEmissao));
  put(A::AllIssued, stTEmissao);
  put(A::DeliveryFrom, dateArg(dtDeEntrega));
  put(A::DeliveryTo, dateArg(dtAteEntrega));
  put(A::AllDeliveries, stTEntrega);
  put(A::Priorities, stPrioridade);
  return args;
}

namespace {

// A "T" flag: "T" for all, empty otherwise. (Written by character: GCC 12
// warns falsely on literal assignments inlined here.)
void allFlag(std::string& flag, bool all) {
  flag.clear();
  if (all) flag.push_back('T');
}

}  // namespace

void TfrmFiltroLiquidaItem::buildArguments(TfrmLiquidaItem& screen) {
  if (screen.ExibeVendedorLogado()) {
    stTVendedor.clear();
    stLVendedor = parameterText(screen.cdsVendLog, "CDVENDEDOR");
  } else if (rbtTVendedor.checked()) {
    allFlag(stTVendedor, true);
    stLVendedor.clear();
  } else if (rbtLVendedor.checked()) {
    stTVendedor.clear();
    stLVendedor = stVendedor;
  }
  allFlag(stTCliente, !rbtLCliente.checked());
  stLCliente = rbtLCliente.checked() ? stCliente : std::string();
  allFlag(stTProduto, !rbtLProduto.checked());
  stLProduto = rbtLProduto.checked() ? stProduto : std::string();

  const std::string priorities = codes(
      {{&chbNormal, "3"}, {&chbAlta, "2"}, {&chbUrgente, "1"}, {&chbBaixa, "4"}, {&chbPrioritaria, "0"}});
  if (!priorities.empty()) stPrioridade = priorities;
  const std::string orderStatuses =
      codes({{&chbPLiquidado, "35"}, {&chbPAndamento, "2"}, {&chbPParcialmente, "6"}});
  if (!orderStatuses.empty()) stStatusPedido = orderStatuses;
  const std::string itemStatuses = codes({{&chbIPendente, "1"},
                                          {&chbIConfirmado, "2"},
                                          {&chbIAprovado, "3"},
                                          {&chbILiquidado, "46"},
                                          {&chbICancelado, "5"},
                                          {&chbIParcialmente, "7"}});
  if (!itemStatuses.empty()) stStatusItemPedido = itemStatuses;

  dateRange(depDeEmissao, depAteEmissao, dtDeEmissao, dtAteEmissao, stTEmissao);
  dateRange(depDeEntrega, depAteEntrega, dtDeEntrega, dtAteEntrega, stTEntrega);

  if (rbtIntervalo.checked()) {
    stTNrPedido.clear();
    stDeIntervalo = medDeIntervalo.text();
    stAteIntervalo = medAteIntervalo.text();
    stLNrPedido.clear();
  } else if (rbtLNrPedido.checked()) {
    stTNrPedido.clear();
    stDeIntervalo.clear();
    stAteIntervalo.clear();
    stLNrPedido = stNrPedido;
  } else if (rbtTNrPedido.checked()) {
    allFlag(stTNrPedido, true);
    stDeIntervalo.clear();
    stAteIntervalo.clear();
    stLNrPedido.clear();
  }
  stCdFilial = screen.medCdFilial.text();
}

void TfrmFiltroLiquidaItem::recordFilter() {
  Filtro.NrPedido = {.boIntervalo = rbtIntervalo.checked(),
                     .boLista = rbtLNrPedido.checked(),
                     .stDeIntervalo = medDeIntervalo.text(),
                     .stAteIntervalo = medAteIntervalo.text(),
                     .stLista = stNrPedido};
  bool* flags[] = {&Filtro.boNormal,      &Filtro.boAlta,          &Filtro.boUrgente,
                   &Filtro.boBaixa,       &Filtro.boPrioritaria,   &Filtro.boPAndamento,
                   &Filtro.boPLiquidado,  &Filtro.boPParcialmente, &Filtro.boIPendente,
                   &Filtro.boIConfirmado, &Filtro.boIAprovado,     &Filtro.boILiquidado,
                   &Filtro.boICancelado,  &Filtro.boIParcialmente};
  const std::vector<hostlib::Control*> boxes = filterCheckBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) *flags[i] = boxes[i]->checked();
  Filtro.Produto = {rbtTProduto.checked(), stProduto};
  Filtro.Vendedor = {rbtTVendedor.checked(), stVendedor};
  Filtro.Cliente = {rbtTCliente.checked(), stCliente};
  Filtro.dtDeEntrega = depDeEntrega.GetDate();
  Filtro.dtAteEntrega = depAteEntrega.GetDate();
  Filtro.dtDeEmissao = depDeEmissao.GetDate();
  Filtro.dtAteEmissao = depAteEmissao.GetDate();
}

void TfrmFiltroLiquidaItem::runQuery(TfrmLiquidaItem& screen) {
  hostlib::BusyGuard busy(screen.showavi, hostlib::BusyKind::Loading);
  callServer(screen, "GetPedidos", GetPedidosArgs(),
             {&screen.cdsParamFilial, &screen.cdsParamPedido, &screen.cdsPedido});
  if (parameterSet(screen.cdsParamPedido, "IDEVOLESTLIQMAN")) {
    // Whatever fails here is shown and passed over: the orders are loaded,
    // the allocation rows stay as they were.
    hostlib::runEvent(dialogs, [&] {
      callServer(screen, "GetEvolEstq", {netclient::Arg::packet(orderKeysPacket(screen.cdsPedido))},
                 {&screen.cdsEvolEst});
    });
  }
  screen.cdsItemPedidoAfterScroll();
  screen.Habilita_Evol_Estq();
}

void TfrmFiltroLiquidaItem::sbtConfirmaClick() {
  medDeIntervalo.setText(consiste::Ajusta(medDeIntervalo.text(), kRangeWidth));
  medAteIntervalo.setText(consiste::Ajusta(medAteIntervalo.text(), kRangeWidth));

  using Check = void (TfrmFiltroLiquidaItem::*)();
  using T = TfrmFiltroLiquidaItem;
  const std::vector<Check> orderDates = {&T::Vd_DeEmissaoInv, &T::Vd_AteEmissaoInv, &T::Vd_DeEmissao,
                                         &T::Vd_AteEmissao, &T::Vd_Emissao};
  const std::vector<Check> deliveryDates = {&T::Vd_DeEntregaInv, &T::Vd_AteEntregaInv, &T::Vd_DeEntrega,
                                            &T::Vd_AteEntrega, &T::Vd_Entrega};
  // The operator who is in a delivery date hears of it first.
  const bool inDelivery = focused() == &depDeEntrega || focused() == &depAteEntrega;
  std::vector<Check> checks = inDelivery ? deliveryDates : orderDates;
  const std::vector<Check>& second = inDelivery ? orderDates : deliveryDates;
  checks.insert(checks.end(), second.begin(), second.end());
  if (rbtIntervalo.checked())
    checks.insert(checks.end(),
                  {&T::Vd_DeIntervalo, &T::Vd_AteIntervalo, &T::Vd_Intervalo, &T::Vd_Intervalo2});
  checks.insert(checks.end(),
                {&T::Vd_StatusPedido, &T::Vd_StatusItemPedido, &T::Vd_Lista, &T::Vd_Prioridade});
  for (Check check : checks) (this->*check)();

  TfrmLiquidaItem& screen = filteredScreen();
  buildArguments(screen);
  recordFilter();
  runQuery(screen);
  screen.habilita("F");
  Close();
}

}  // namespace ped::core
