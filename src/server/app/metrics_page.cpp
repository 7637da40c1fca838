#include "server/app/metrics_page.h"

#include <cstdio>

#include "buildinfo/build_info.h"

namespace ped::server {
namespace {

void gauge(std::string& out, std::string_view name, std::string_view help, std::string_view value) {
  out.append("# HELP ").append(name).append(" ").append(help).append("\n");
  out.append("# TYPE ").append(name).append(" gauge\n");
  out.append(name).append(" ").append(value).push_back('\n');
}

void gauge(std::string& out, std::string_view name, std::string_view help, std::int64_t value) {
  gauge(out, name, help, std::to_string(value));
}

// A label value as the text format wants it.
std::string labelValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::string MetricsPage::render() const {
  std::string out;
  out.reserve(16 * 1024);
  s_.calls->render(out);

  if (s_.openConnections)
    gauge(out, "ped00800_http_open_connections", "Conexões HTTP abertas agora.",
          static_cast<std::int64_t>(s_.openConnections()));
  const ConnectionPool::Usage pool = s_.pool->usage();
  gauge(out, "ped00800_db_pool_connections_in_use", "Conexões com o banco de dados em uso por chamadas.",
        static_cast<std::int64_t>(pool.inUse));
  gauge(out, "ped00800_db_pool_connections", "Conexões com o banco de dados abertas (em uso ou livres).",
        static_cast<std::int64_t>(pool.open));
  gauge(out, "ped00800_db_pool_connections_max", "Máximo de conexões com o banco de dados.",
        static_cast<std::int64_t>(pool.max));

  if (s_.services) {
    try {
      // Briefly: a page must not wait behind calls that hold every
      // connection, nor with a stalled database.
      const std::int64_t sessions =
          s_.services->openSessions(std::chrono::milliseconds(250), std::chrono::milliseconds(1000));
      gauge(out, "ped00800_sessions_open",
            "Sessões de operador abertas no banco de dados (todas as instâncias).", sessions);
    } catch (const std::exception&) {
      out += "# ped00800_sessions_open omitido: o banco de dados não respondeu.\n";
    }
  }

  std::string build = "ped00800_build_info{version=\"";
  build += labelValue(buildinfo::version());
  build += "\",commit=\"";
  build += labelValue(buildinfo::commit());
  build += "\",build_type=\"";
  build += labelValue(buildinfo::buildType());
  build += "\"}";
  out += "# HELP ped00800_build_info Versão e compilação do servidor; o valor é sempre 1.\n";
  out += "# TYPE ped00800_build_info gauge\n";
  out.append(build).append(" 1\n");

  char started[32];
  std::snprintf(started, sizeof started, "%.3f",
                std::chrono::duration<double>(s_.started.time_since_epoch()).count());
  gauge(out, "process_start_time_seconds", "Início do processo, em segundos desde 1970-01-01 (UTC).",
        started);
  return out;
}

}  // namespace ped::server
