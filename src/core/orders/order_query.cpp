#include "core/orders/order_query.h"

#include "core/filter/Cli_ped00801.h"
#include "core/shell/Cli_ped00800.h"
#include "engine/date_time.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

netclient::Arg date(double d) {
  if (d == 0) return nullptr;
  return engine::date_time::toIso(d);
}

// Shared copies of the parameter rows, restored unless kept.
struct ParameterBackup {
  explicit ParameterBackup(TfrmLiquidaItem& s) : screen(s) {
    if (s.cdsParamFilial.active()) branch.copyFrom(s.cdsParamFilial);
    if (s.cdsParamPedido.active()) order.copyFrom(s.cdsParamPedido);
  }
  ~ParameterBackup() {
    if (keep) return;
    restore(branch, screen.cdsParamFilial);
    restore(order, screen.cdsParamPedido);
  }
  static void restore(const engine::DataSet& from, engine::DataSet& to) {
    if (from.active())
      to.copyFrom(from);
    else
      to.close();
  }
  TfrmLiquidaItem& screen;
  engine::DataSet branch{"cdsParamFilial"}, order{"cdsParamPedido"};
  bool keep = false;
};

}  // namespace

std::vector<netclient::Arg> getPedidosArgs(const TfrmFiltroLiquidaItem& f) {
  return {f.stCdFilial,     f.stStatusPedido, f.stLNrPedido,        f.stDeIntervalo, f.stAteIntervalo,
          f.stTNrPedido,    f.stStatusItemPedido, f.stLCliente,    f.stTCliente,    f.stLProduto,
          f.stTProduto,     f.stLVendedor,    f.stTVendedor,        date(f.dtDeEmissao), date(f.dtAteEmissao),
          f.stTEmissao,     date(f.dtDeEntrega), date(f.dtAteEntrega), f.stTEntrega, f.stPrioridade};
}

void loadOrderQuery(TfrmLiquidaItem& screen, const hostlib::RemoteResult& payload) {
  for (std::size_t i = 0; i < 3; ++i)
    if (!payload.at(i))
      hostlib::consiste::MensErro(screen.dialogs, "Resposta inválida do servidor de aplicação para GetPedidos.",
                                  true);
  // The parameters are put back if the orders' packet turns out bad; the
  // order list itself is left untouched by a packet it cannot read.
  ParameterBackup backup(screen);
  screen.cdsParamFilial.loadPacket(*payload.at(0));
  screen.cdsParamPedido.loadPacket(*payload.at(1));
  screen.cdsPedido.loadPacket(*payload.at(2));
  backup.keep = true;
}

}  // namespace ped::core
