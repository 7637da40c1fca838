// ped00800-server: the application server of the manual settlement screen.

#include <spdlog/spdlog.h>

#include <csignal>
#include <cstdlib>
#include <future>
#include <iostream>

#include "buildinfo/build_info.h"
#include "engine/packet.h"
#include "rpc/call_metrics.h"
#include "rpc/loopback_address.h"
#include "server/app/connection_pool.h"
#include "server/app/metrics_page.h"
#include "server/app/readiness.h"
#include "server/app/server_log.h"
#include "server/app/server_options.h"
#include "server/app/services.h"
#include "server/http/http_server.h"
#include "server/http/memory_return.h"
#include "server/http/spdlog_call_sink.h"
#include "server/http/tls_context.h"
#include "server/storage/migrations.h"
#include "server/storage/online_backup.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
extern "C" void onSignal(int) { stopRequested = 1; }

// Stops within 10 s whatever the calls under way are doing: they get a few
// seconds to finish and answer; then their statements are cancelled at the
// database, so they fail, roll back and are answered as failed; a call still
// running a second before the bound is cut off by ending the process (the
// database rolls back what it had not committed).
void stopWithinBound(ped::server::HttpServer& server, ped::server::ConnectionPool& pool) {
  using namespace std::chrono_literals;
  const auto start = std::chrono::steady_clock::now();
  auto stopped = std::async(std::launch::async, [&] { server.stop(); });
  if (stopped.wait_for(5s) == std::future_status::ready) return;
  std::cerr << "Chamadas ainda em andamento: cancelando-as no banco de dados.\n";
  pool.interruptAll();
  if (stopped.wait_until(start + 9s) == std::future_status::ready) return;
  std::cerr << "Encerramento forçado: chamadas que não terminaram foram desfeitas pelo banco de dados.\n";
  std::_Exit(1);
}

int runBackup(const ped::server::ServerOptions& options) {
  try {
    const auto report = ped::server::storage::backupSqlite(options.database, options.backupTo);
    std::cout << "Cópia de segurança de " << options.database << " gravada em " << report.destination << " ("
              << report.pages << " páginas, " << report.bytes << " bytes).\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "ped00800-server: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace ped::server;
  const auto started = std::chrono::system_clock::now();
  configureAllocatorForServer();
  ped::engine::keepPacketParserUpTo(MemoryReturn::kLargeBytes);
  ServerOptions options;
  try {
    options = parseServerOptions({argv + 1, argv + argc});
  } catch (const std::exception& e) {
    std::cerr << "ped00800-server: " << e.what() << "\n";
    return 2;
  }
  if (options.help) {
    std::cout << usage();
    return 0;
  }
  if (options.version) {
    std::cout << ped::buildinfo::versionLine("ped00800-server") << '\n';
    return 0;
  }
  if (!options.backupTo.empty()) return runBackup(options);
  try {
    auto logger = makeServerLogger({options.logFile, options.logMaxSize, options.logFiles});

    // Bad TLS files stop the start before the database is touched.
    if (!options.tlsCert.empty()) TlsContext(options.tlsCert, options.tlsKey);

    ped::sql::OpenOptions dbOptions;
    dbOptions.create = true;
    dbOptions.statementTimeoutMs = options.statementTimeoutMs;
    {
      auto db = ped::sql::open(options.database, dbOptions);
      const int applied = storage::migrate(*db);
      if (applied > 0)
        std::cerr << "Banco de dados atualizado: " << applied << " migração(ões) aplicada(s).\n";
    }
    ConnectionPool pool(options.database, options.connections, dbOptions);
    ped::engine::SystemClock clock;
    Services services(pool, clock, {options.maxOrderRows});
    ped::rpc::Dispatcher dispatcher(services);
    services.install(dispatcher);
    ped::rpc::CallMetrics callMetrics(dispatcher.methodNames());
    dispatcher.setCallSink(ped::rpc::recordingInto(callMetrics, makeSpdlogCallSink(logger)));

    HttpOptions http;
    http.host = options.listen;
    http.port = options.port;
    http.threads = options.threads;
    http.maxThreads = std::max(options.threads, http.maxThreads);
    http.maxBodyBytes = options.maxBodyBytes;
    http.maxConnections = options.maxConnections;
    http.maxConnectionsPerPeer = options.maxConnectionsPerPeer;
    http.requestTimeout = std::chrono::milliseconds(options.requestTimeoutMs);
    http.tlsCertFile = options.tlsCert;
    http.tlsKeyFile = options.tlsKey;
    raiseOpenFileLimit();
    HttpServer server(dispatcher, http);
    MetricsPage metrics(
        {&callMetrics, &pool, &services, [&server] { return server.openConnections(); }, started});
    server.addPage("/metrics", [&metrics] {
      return HttpServer::PageAnswer{200, std::string(MetricsPage::kContentType), metrics.render()};
    });
    Readiness readiness(pool);
    server.addPage("/ready", [&readiness] {
      HttpServer::PageAnswer answer{0, "application/json", {}};
      answer.status = readiness.answer(answer.body);
      return answer;
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    server.start();
    const bool tls = !options.tlsCert.empty();
    if (!tls && options.insecurePlainHttp && !ped::rpc::isLoopbackAddress(options.listen))
      std::cerr << "Aviso: HTTP sem TLS em " << options.listen
                << " (--insecure-plain-http): as sessões trafegam às claras na rede.\n";
    std::cerr << "ped00800-server ouvindo em " << (tls ? "https://" : "http://") << options.listen << ":"
              << server.port() << "/Ped00800.rdmLiquidaItem (banco: "
              << (ped::sql::isPostgresTarget(options.database) ? "PostgreSQL" : options.database) << ")\n";
    while (!stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::cerr << "Encerrando: aguardando as chamadas em andamento...\n";
    stopWithinBound(server, pool);
    std::cerr << "Servidor encerrado.\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "ped00800-server: " << e.what() << "\n";
    return 1;
  }
}
