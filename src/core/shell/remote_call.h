#pragma once
// The one way the screen calls the application server: under the busy
// indicator, the answer checked, its packets loaded all or none, and no
// message ever shown under the indicator.

#include <initializer_list>
#include <string_view>
#include <vector>

#include "engine/data_set.h"
#include "hostlib/busy.h"
#include "hostlib/remote_result.h"
#include "netclient/arg.h"

namespace ped::core {

class TfrmLiquidaItem;

// What a null packet in the answer means for the data set it would load.
enum class NullPacket {
  Invalid,     // the answer does not fit: nothing is loaded
  LeavesAlone  // the data set keeps what it holds (answers whose elements may be null)
};

// Calls `method` with `args` over the screen's connection, under the busy
// indicator of `kind` (nested in any already up), and loads packet i of the
// answer into into[i]; a null entry leaves packet i alone. Returns the
// checked answer: one packet, an array of packets, or null.
//
// All or none: every packet is read against its data set before any data set
// changes, so a packet that is missing, unreadable or lacks a field its data
// set needs changes none of them; the message is then "Resposta inválida do
// servidor de aplicação para <method>.". Loading runs each data set's
// handlers, in the order given, still under the indicator.
//
// On any failure - the transport's, the server's (shown by CheckResultServ),
// an ill-fitting answer, or a handler's - the indicator is taken down whole
// and a frozen window thawed (releaseWindowUpdate), before any message
// shows, and the failure goes on: an Abort once its
// message was shown, a handler's own exception as it came.
//
// REQUIRES: the screen's connection opened (FormCreate opens it).
hostlib::RemoteResult callServer(TfrmLiquidaItem& screen, std::string_view method,
                                 std::vector<netclient::Arg> args,
                                 std::initializer_list<engine::DataSet*> into = {},
                                 hostlib::BusyKind kind = hostlib::BusyKind::Loading,
                                 NullPacket nullPacket = NullPacket::Invalid);

}  // namespace ped::core
