#include "support/demo_server.h"

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "engine/date_time.h"
#include "rpc/dispatcher.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/http/http_server.h"
#include "sql/connection.h"

namespace ped::testing {
namespace {

struct Running {
  DemoServer info;
  engine::SystemClock clock;
  std::unique_ptr<server::ConnectionPool> pool;
  std::unique_ptr<server::Services> services;
  std::unique_ptr<rpc::Dispatcher> dispatcher;
  std::unique_ptr<server::HttpServer> http;

  Running() {
    const auto dir = std::filesystem::temp_directory_path() / ("ped-demo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    info.database = (dir / "demo.db").string();
    std::filesystem::remove(info.database);
    info.today = clock.today();
    {
      auto db = sql::open(info.database, {.create = true});
      server::demo::writeDemoData(
          *db, server::demo::generateDemoData({.seed = 7, .orders = 40, .today = info.today}), false);
    }
    pool = std::make_unique<server::ConnectionPool>(info.database, 4);
    services = std::make_unique<server::Services>(*pool, clock);
    dispatcher = std::make_unique<rpc::Dispatcher>(*services);
    services->install(*dispatcher);
    server::HttpOptions options;
    options.threads = 4;
    http = std::make_unique<server::HttpServer>(*dispatcher, options);
    http->start();
    info.port = http->port();
  }
  ~Running() {
    http->stop();
    std::filesystem::remove_all(std::filesystem::path(info.database).parent_path());
  }
};

}  // namespace

const DemoServer& demoServer() {
  static Running running;
  return running.info;
}

}  // namespace ped::testing
