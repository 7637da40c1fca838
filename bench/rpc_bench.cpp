// Round trips through the whole wire: TNetConnection -> loopback HTTP ->
// HttpServer -> Dispatcher -> a method returning a ~1 KB packet, and back
// into a RemoteResult; and the same small call over HTTPS.

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "netclient/net_connection.h"
#include "rpc/call_metrics.h"
#include "rpc/dispatcher.h"
#include "server/http/http_server.h"
#include "support/test_ca.h"

namespace {

using Clock = std::chrono::steady_clock;
using ped::netclient::TNetConnection;

// An item packet of about 1 KB: eight fields, six rows.
std::string smallPacket() {
  std::string p =
      R"({"fields":[{"name":"CDFILIAL","type":"string","size":4},{"name":"NRPEDIDO","type":"string","size":10},)"
      R"({"name":"NRITEMPED","type":"integer"},{"name":"CDARVPROD","type":"string","size":20},)"
      R"({"name":"QTPEDIDA","type":"float"},{"name":"QTEXP","type":"float"},)"
      R"({"name":"DTENTREGA","type":"datetime"},{"name":"IDSITITEMPED","type":"string","size":2}],"rows":[)";
  for (int i = 1; i <= 6; ++i) {
    if (i > 1) p += ',';
    p += R"(["0001","0000000012",)";
    p += std::to_string(i);
    p += R"(,"01.02.003.0004-5",120.5,60.25,"2024-03-18T00:00:00","PE"])";
  }
  p += "]}";
  return p;
}

struct Wire {
  ped::rpc::InMemorySessions sessions;
  ped::rpc::Dispatcher dispatcher{sessions};
  std::unique_ptr<ped::server::HttpServer> server;

  const ped::testing::TestCa* tls = nullptr;

  Wire(std::size_t threads, std::size_t maxThreads, const ped::testing::TestCa* ca = nullptr) : tls(ca) {
    sessions.add({"s", "0042", "tok-bench"});
    const std::string packet = smallPacket();
    dispatcher.add("GetItem", 2, [packet](const ped::rpc::CallContext&, const ped::rpc::Params& p) {
      benchmark::DoNotOptimize(p.text(0));
      return packet;
    });
    ped::server::HttpOptions options;
    options.threads = threads;
    options.maxThreads = maxThreads;
    options.keepAliveTimeout = std::chrono::seconds(1);
    if (tls) {
      options.tlsCertFile = tls->serverCert();
      options.tlsKeyFile = tls->serverKey();
    }
    server = std::make_unique<ped::server::HttpServer>(dispatcher, options);
    server->start();
  }

  void connect(TNetConnection& net) const {
    net.Host = "127.0.0.1";
    net.Port = server->port();
    net.setToken("tok-bench");
    net.UseTls = tls != nullptr;
    if (tls) net.CaFile = tls->caFile();
    net.Open();
  }
};

double percentile(std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const auto i = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(i, sorted.size() - 1)];
}

// One client, one call at a time: the latency the operator feels; over
// HTTPS when the argument is 1 (the handshake made once, before timing).
void BM_SmallCallRoundTrip(benchmark::State& state) {
  std::unique_ptr<ped::testing::TestCa> ca;
  if (state.range(0) == 1) ca = std::make_unique<ped::testing::TestCa>();
  Wire wire(64, 512, ca.get());
  TNetConnection net;
  wire.connect(net);
  std::vector<double> micros;
  micros.reserve(1 << 20);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    auto result = net.call("GetItem", {"0001", "0000000012"});
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (!result.ok) {
      state.SkipWithError(result.error.c_str());
      break;
    }
    bytes = result.at(0)->size();
    state.SetIterationTime(elapsed);
    micros.push_back(elapsed * 1e6);
  }
  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
  state.counters["max_us"] = micros.empty() ? 0 : micros.back();
  state.counters["packet_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SmallCallRoundTrip)
    ->ArgName("tls")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(3.0);

// The same exchange with bare cpp-httplib (same sizes, no JSON-RPC, no
// packet handling): the floor the wire is measured against, on the same
// machine at the same moment.
void BM_BareHttpRoundTrip(benchmark::State& state) {
  httplib::Server server;
  server.set_tcp_nodelay(true);
  server.set_keep_alive_max_count(1000000);
  const std::string packet = smallPacket();
  server.Post("/x", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(packet, "application/json");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread listener([&] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::yield();
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  const std::string body = R"({"jsonrpc":"2.0","method":"GetItem","params":["0001","0000000012"],"id":1})";
  std::vector<double> micros;
  micros.reserve(1 << 20);
  for (auto _ : state) {
    const auto start = Clock::now();
    auto res = client.Post("/x", body, "application/json");
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (!res) {
      state.SkipWithError("bare HTTP call failed");
      break;
    }
    state.SetIterationTime(elapsed);
    micros.push_back(elapsed * 1e6);
  }
  server.stop();
  listener.join();
  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
}
BENCHMARK(BM_BareHttpRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(3.0);

// 32 clients calling back to back for a few seconds against a server with
// state.range(0) warm threads that may grow to state.range(1). Reports the
// worst call of the worst client, and the fewest calls a client got through:
// a starved client shows as a huge maximum or next to no calls. 31/31 is a
// fixed pool one thread short, kept to show why the pool grows.
void BM_ConcurrentClients(benchmark::State& state) {
  constexpr int kClients = 32;
  constexpr auto kDuration = std::chrono::seconds(3);
  for (auto _ : state) {
    Wire wire(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    std::vector<double> maxMillis(kClients, 0);
    std::vector<long> calls(kClients, 0);
    std::atomic<int> failures{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
      clients.emplace_back([&, c] {
        TNetConnection net;
        wire.connect(net);
        net.setReadTimeout(std::chrono::seconds(30));
        while (!go) std::this_thread::yield();
        const auto end = Clock::now() + kDuration;
        while (Clock::now() < end) {
          const auto start = Clock::now();
          auto result = net.call("GetItem", {"0001", "0000000012"});
          const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
          if (!result.ok) ++failures;
          maxMillis[c] = std::max(maxMillis[c], ms);
          ++calls[c];
        }
      });
    }
    const auto start = Clock::now();
    go = true;
    for (auto& t : clients) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    long total = 0;
    for (long n : calls) total += n;
    state.counters["worst_client_max_ms"] = *std::max_element(maxMillis.begin(), maxMillis.end());
    state.counters["fewest_calls_per_client"] =
        static_cast<double>(*std::min_element(calls.begin(), calls.end()));
    state.counters["calls_per_s"] = static_cast<double>(total) / seconds;
    state.counters["failures"] = failures.load();
  }
}
BENCHMARK(BM_ConcurrentClients)
    ->Args({31, 31})
    ->Args({31, 512})
    ->Args({64, 512})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// What the metrics add to one call, on the serving threads: the method's
// slot found by name, three relaxed atomic increments. Threads:2 has both
// cores record the same method, the worst sharing the counters see.
void BM_CallMetricsRecord(benchmark::State& state) {
  static ped::rpc::CallMetrics metrics({"GetItem", "GetPedidos", "Login", "SetLiquidaPed"});
  ped::rpc::CallRecord call;
  call.method = "GetItem";
  call.duration = std::chrono::microseconds(45);
  for (auto _ : state) {
    metrics.record(call);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CallMetricsRecord)->Threads(1)->Threads(2);

}  // namespace

BENCHMARK_MAIN();
