#include "support/demo_server.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>

#include "engine/date_time.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/http/http_server.h"
#include "sql/connection.h"

namespace ped::testing {

struct RunningDemoServer::Parts {
  DemoServer info;
  std::filesystem::path dir;  // the SQLite file's, removed with it
  std::unique_ptr<engine::Clock> clock;
  std::unique_ptr<server::ConnectionPool> pool;
  std::unique_ptr<server::Services> services;
  std::unique_ptr<rpc::Dispatcher> dispatcher;
  std::unique_ptr<server::HttpServer> http;
};

RunningDemoServer::RunningDemoServer(DemoServerOptions options) : parts_(std::make_unique<Parts>()) {
  // One folder per server: a process may run several.
  static std::atomic<int> servers{0};
  const auto dir = std::filesystem::temp_directory_path() /
                   ("ped-demo-" + std::to_string(::getpid()) + "-" + std::to_string(servers++));
  Parts& p = *parts_;
  if (options.database.empty()) {
    std::filesystem::create_directories(dir);
    p.dir = dir;
    p.info.database = (dir / "demo.db").string();
    std::filesystem::remove(p.info.database);
  } else {
    p.info.database = options.database;
  }
  if (options.today == 0)
    p.clock = std::make_unique<engine::SystemClock>();
  else
    p.clock = std::make_unique<engine::FixedClock>(options.today + 0.5);
  p.info.today = p.clock->today();
  {
    auto db = sql::open(p.info.database, {.create = true});
    server::demo::writeDemoData(*db,
                                server::demo::generateDemoData(
                                    {.seed = options.seed, .orders = options.orders, .today = p.info.today}),
                                false);
  }
  p.pool = std::make_unique<server::ConnectionPool>(p.info.database, 4);
  p.services = std::make_unique<server::Services>(*p.pool, *p.clock);
  p.dispatcher = std::make_unique<rpc::Dispatcher>(*p.services);
  p.services->install(*p.dispatcher);
  if (options.callSink) p.dispatcher->setCallSink(std::move(options.callSink));
  server::HttpOptions http;
  http.threads = 4;
  http.tlsCertFile = options.tlsCertFile;
  http.tlsKeyFile = options.tlsKeyFile;
  p.http = std::make_unique<server::HttpServer>(*p.dispatcher, http);
  p.http->start();
  p.info.port = p.http->port();
}

RunningDemoServer::~RunningDemoServer() {
  parts_->http->stop();
  std::error_code ignored;
  if (!parts_->dir.empty()) std::filesystem::remove_all(parts_->dir, ignored);
}

const DemoServer& RunningDemoServer::info() const { return parts_->info; }

const DemoServer& demoServer() {
  static RunningDemoServer running;
  return running.info();
}

}  // namespace ped::testing
