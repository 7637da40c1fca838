#include "core/orders/order_query.h"

#include "core/shell/Cli_ped00800.h"
#include "engine/error.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

// A packet the engine cannot read is the server's fault, reported as such.
void invalid(TfrmLiquidaItem& screen, const char* method) {
  std::string text = "Resposta inválida do servidor de aplicação para ";
  text += method;
  text += ".";
  hostlib::consiste::MensErro(screen.dialogs, text, true);
}

// Shared copies of the parameter rows (no rows are copied), to put back.
struct ParameterBackup {
  explicit ParameterBackup(TfrmLiquidaItem& s) {
    if (s.cdsParamFilial.active()) branch.copyFrom(s.cdsParamFilial);
    if (s.cdsParamPedido.active()) order.copyFrom(s.cdsParamPedido);
  }
  void restore(TfrmLiquidaItem& s) const {
    restore(branch, s.cdsParamFilial);
    restore(order, s.cdsParamPedido);
  }
  static void restore(const engine::DataSet& from, engine::DataSet& to) {
    if (from.active())
      to.copyFrom(from);
    else
      to.close();
  }
  engine::DataSet branch{"cdsParamFilial"}, order{"cdsParamPedido"};
};

}  // namespace

void loadOrderQuery(TfrmLiquidaItem& screen, const hostlib::RemoteResult& payload) {
  for (std::size_t i = 0; i < 3; ++i)
    if (!payload.at(i)) invalid(screen, "GetPedidos");
  // The parameters are put back if a later packet turns out unreadable; a
  // data set is left untouched by a packet it cannot read. The orders are
  // read once: they may be many. (A failure of the handlers that loading
  // runs is not the packet's: it passes through.)
  const ParameterBackup backup(screen);
  try {
    screen.cdsParamFilial.loadPacket(*payload.at(0));
    screen.cdsParamPedido.loadPacket(*payload.at(1));
    screen.cdsPedido.loadPacket(*payload.at(2));
  } catch (const engine::PacketError&) {
    backup.restore(screen);
    invalid(screen, "GetPedidos");
  }
}

void loadPayload(TfrmLiquidaItem& screen, engine::DataSet& into, const hostlib::RemoteResult& payload,
                 const char* method) {
  if (!payload.at(0)) invalid(screen, method);
  try {
    into.loadPacket(*payload.at(0));
  } catch (const engine::PacketError&) {
    invalid(screen, method);
  }
}

}  // namespace ped::core
