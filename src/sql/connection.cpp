#include "sql/connection.h"

#include <optional>

#include "engine/packet.h"
#include "sql/postgres_connection.h"
#include "sql/result_builder.h"
#include "sql/sqlite_connection.h"

namespace ped::sql {

Result Connection::query(std::string_view sql, const Params& params, const Layout& layout) {
  std::optional<ResultBuilder> out;
  scan(sql, params, [&](std::vector<SourceColumn> source) -> ResultBuilder& {
    return out.emplace(std::move(source), layout, "consulta");
  });
  return out->finish();
}

PacketRows Connection::queryPacket(std::string_view sql, const Params& params, const Layout& layout) {
  engine::PacketStream packet(layout);
  std::optional<ResultBuilder> out;
  scan(sql, params, [&](std::vector<SourceColumn> source) -> ResultBuilder& {
    return out.emplace(std::move(source), layout, "consulta", packet);
  });
  out->finishPacket();
  const std::size_t rows = packet.rows();
  return {packet.finish(), rows};
}

bool isPostgresTarget(std::string_view target) {
  if (target.starts_with("postgresql://") || target.starts_with("postgres://")) return true;
  // key=value form: the first word is a libpq keyword. A file path does not
  // start that way.
  for (const std::string_view key : {"host=", "hostaddr=", "dbname=", "port=", "user=", "service="})
    if (target.starts_with(key)) return true;
  return false;
}

std::unique_ptr<Connection> open(const std::string& target, const OpenOptions& options) {
  return isPostgresTarget(target) ? openPostgres(target, options) : openSqlite(target, options);
}

}  // namespace ped::sql
