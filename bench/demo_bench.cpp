// How long the demo data takes: generating 10,000 orders in memory, and
// writing them (with the 4 operator password hashes, ~0.1 s each) into a
// fresh SQLite file or, when PED_BENCH_PG names a PostgreSQL database, into
// that database (its demo tables are replaced).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "engine/date_time.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "sql/connection.h"

namespace {

using namespace ped::server::demo;

GeneratorOptions tenThousand() {
  return {.seed = 1, .orders = 10'000, .today = ped::engine::date_time::fromCivil({2026, 3, 15})};
}

void BM_GenerateDemo10k(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(generateDemoData(tenThousand()));
}
BENCHMARK(BM_GenerateDemo10k)->Unit(benchmark::kMillisecond);

void writeInto(benchmark::State& state, const std::string& target, bool fresh) {
  const DemoData data = generateDemoData(tenThousand());
  for (auto _ : state) {
    if (fresh)
      for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(target + suffix);
    ped::sql::OpenOptions options;
    options.create = true;
    auto db = ped::sql::open(target, options);
    const DemoSummary summary = writeDemoData(*db, data, !fresh);
    state.counters["items"] = static_cast<double>(summary.items);
  }
}

void BM_WriteDemo10kSqlite(benchmark::State& state) {
  writeInto(state, (std::filesystem::temp_directory_path() / "ped_demo_bench.db").string(), true);
}
BENCHMARK(BM_WriteDemo10kSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteDemo10kPostgres(benchmark::State& state) {
  const char* target = std::getenv("PED_BENCH_PG");
  if (!target || !*target) {
    state.SkipWithError("PED_BENCH_PG não configurado");
    for (auto _ : state) {
    }
    return;
  }
  writeInto(state, target, false);
}
BENCHMARK(BM_WriteDemo10kPostgres)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
