#pragma once
// Query results as the packets and packet arrays the client loads.

#include <optional>
#include <string>
#include <vector>

#include "sql/connection.h"

namespace ped::server {

// Every row of `rows`, in query order.
std::string toPacket(const sql::Result& rows);
// "[p0,p1,...]"; nullopt elements are written as null.
std::string toPacketArray(const std::vector<std::optional<std::string>>& packets);

}  // namespace ped::server
