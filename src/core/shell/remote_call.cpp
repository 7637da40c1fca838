#include "core/shell/remote_call.h"

#include <optional>
#include <string>
#include <utility>

#include "core/shell/Cli_ped00800.h"
#include "engine/error.h"
#include "engine/packet.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

// No message over the indicator or on a window that does not paint.
void clearForMessage(TfrmLiquidaItem& screen) {
  screen.showavi.DeactiveAll();
  screen.releaseWindowUpdate();
}

// A packet that does not fit is the server's fault, reported as such.
[[noreturn]] void invalidAnswer(TfrmLiquidaItem& screen, std::string_view method) {
  clearForMessage(screen);
  std::string text = "Resposta inválida do servidor de aplicação para ";
  text += method;
  text += ".";
  screen.dialogs.showError(text);
  throw hostlib::Abort();
}

struct DecodedPacket {
  engine::DataSet* into;
  std::vector<engine::FieldSpec> layout;
  engine::Table table;
};

void loadAnswer(TfrmLiquidaItem& screen, std::string_view method, const hostlib::RemoteResult& answer,
                std::initializer_list<engine::DataSet*> into, NullPacket nullPacket) {
  std::vector<DecodedPacket> decoded;
  decoded.reserve(into.size());
  std::size_t index = 0;
  for (engine::DataSet* dataSet : into) {
    const std::optional<std::string>& packet = answer.at(index++);
    if (dataSet == nullptr || (!packet && nullPacket == NullPacket::LeavesAlone)) continue;
    if (!packet) invalidAnswer(screen, method);
    std::vector<engine::FieldSpec> layout = dataSet->layout();
    try {
      engine::Table table = engine::decodePacket(*packet, layout);
      decoded.push_back({dataSet, std::move(layout), std::move(table)});
    } catch (const engine::PacketError&) {
      invalidAnswer(screen, method);
    }
  }
  for (DecodedPacket& d : decoded) d.into->loadTable(std::move(d.table), d.layout);
}

}  // namespace

hostlib::RemoteResult callServer(TfrmLiquidaItem& screen, std::string_view method,
                                 std::vector<netclient::Arg> args,
                                 std::initializer_list<engine::DataSet*> into, hostlib::BusyKind kind,
                                 NullPacket nullPacket) {
  hostlib::BusyGuard busy(screen.showavi, kind);
  // Whoever catches the failure further up may show it: not under the
  // indicator.
  engine::OnFailure down{[&screen] { clearForMessage(screen); }};
  hostlib::RemoteResult answer = screen.netLiquidaItem.call(method, std::move(args));
  if (!answer.ok) clearForMessage(screen);
  hostlib::consiste::CheckResultServ(screen.dialogs, answer, true);
  loadAnswer(screen, method, answer, into, nullPacket);
  return answer;
}

}  // namespace ped::core
