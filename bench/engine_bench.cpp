// Data-set engine benchmarks on the screen's largest workloads: a 1,000,000-row
// stock allocation table (10 rows per order item, 10 items per order) and a
// 100,000-row order packet.

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/data_set.h"

namespace {

using ped::engine::DataSet;
using ped::engine::FieldType;
using ped::engine::Value;

// Cheap generator for the built rows, so that building measures the data set.
struct XorShift {
  std::uint64_t s;
  explicit XorShift(std::uint64_t seed) : s(seed) {}
  std::uint32_t operator()() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<std::uint32_t>(s >> 11);
  }
};

constexpr int kOrders = 10'000, kItemsPerOrder = 10, kRowsPerItem = 10;

void defineAllocation(DataSet& ds) {
  ds.addField({.name = "CDFILIAL", .size = 4});
  ds.addField({.name = "CDPRODUTO", .size = 10});
  ds.addField({.name = "CDALMOXARIFE", .size = 6, .label = "Almoxarifado"});
  ds.addField({.name = "CDLOCALESTOQ", .size = 6, .label = "Localização"});
  ds.addField({.name = "NRLOTEESTQ", .size = 20, .label = "Lote"});
  ds.addField({.name = "NRSUBLOTE", .size = 4, .label = "Sub-Lote"});
  ds.addField({.name = "SGUNIDADE", .size = 10, .label = "UN"});
  ds.addField({.name = "QTDISPONIVEL", .type = FieldType::Float, .label = "Qtde. Disp."});
  ds.addField({.name = "QTEXP", .type = FieldType::Float, .label = "Qtde. a Liquidar"});
  ds.addField({.name = "NRPEDIDO", .size = 10});
  ds.addField({.name = "NRITEMPED", .size = 10, .label = "Nº Item Pedido"});
  ds.addField({.name = "DSLOCALESTOQ", .size = 30});
  ds.addField({.name = "DSALMOXARIFE", .size = 30});
  ds.addField({.name = "QTRESPRODPED", .type = FieldType::Float});
  ds.addField({.name = "DTVALILOTE", .type = FieldType::DateTime});
  ds.addField({.name = "DTENTRLOTE", .type = FieldType::DateTime, .label = "Entrada do Lote"});
}

std::string orderNumber(int order) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%010d", 100000 + order);
  return buf;
}

// The texts the generated rows draw from, made once so that building measures
// the data set rather than string formatting.
struct AllocationTexts {
  std::vector<std::string> orders, products, lots, locations, locationNames, items, subLots;
  AllocationTexts() {
    for (int o = 0; o < kOrders; ++o) orders.push_back(orderNumber(o));
    char buf[64];
    for (unsigned p = 0; p < 2000; ++p) {
      std::snprintf(buf, sizeof buf, "P%06u", p);
      products.push_back(buf);
      for (unsigned l = 0; l < 8; ++l) {
        std::snprintf(buf, sizeof buf, "L%06u-%u", p, l);
        lots.push_back(buf);
      }
    }
    for (unsigned l = 0; l < 20; ++l) {
      std::snprintf(buf, sizeof buf, "A%02u", l);
      locations.push_back(buf);
      locationNames.push_back(std::string("Prateleira ") + buf);
    }
    for (int i = 1; i <= kItemsPerOrder; ++i) items.push_back(std::to_string(i));
    for (int i = 1; i <= 3; ++i) subLots.push_back(std::to_string(i));
  }
};

// Fills `ds` through the public editing interface, as a screen would.
void buildAllocation(DataSet& ds) {
  static const AllocationTexts texts;
  static const char* const kWarehouses[] = {"01", "02", "03", "04", "05"};
  static const char* const kWarehouseNames[] = {"Almoxarifado Central", "Depósito Norte", "Depósito Sul",
                                                "Expedição", "Quarentena"};
  static const char* const kUnits[] = {"UN", "KG", "CX", "LT"};
  XorShift rng(20261207);
  ds.open();
  std::vector<ped::engine::Field*> f;
  for (std::size_t i = 0; i < ds.fieldCount(); ++i) f.push_back(&ds.field(i));
  for (int o = 0; o < kOrders; ++o) {
    for (int it = 0; it < kItemsPerOrder; ++it) {
      const unsigned product = rng() % 2000;
      for (int r = 0; r < kRowsPerItem; ++r) {
        const unsigned w = rng() % 5, loc = rng() % 20, lot = rng() % 8;
        ds.append();
        f[0]->setString("0001");
        f[1]->setString(texts.products[product]);
        f[2]->setString(kWarehouses[w]);
        f[3]->setString(texts.locations[loc]);
        f[4]->setString(texts.lots[product * 8 + lot]);
        f[5]->setString(texts.subLots[rng() % 3]);
        f[6]->setString(kUnits[product % 4]);
        f[7]->setFloat(static_cast<double>(rng() % 100000) / 1000.0);
        f[8]->setFloat(0.0);
        f[9]->setString(texts.orders[static_cast<std::size_t>(o)]);
        f[10]->setString(texts.items[static_cast<std::size_t>(it)]);
        f[11]->setString(texts.locationNames[loc]);
        f[12]->setString(kWarehouseNames[w]);
        f[13]->setFloat(static_cast<double>(rng() % 1000) / 100.0);
        f[14]->setDateTime(46000.0 + static_cast<double>(rng() % 400));
        f[15]->setDateTime(45500.0 + static_cast<double>(rng() % 400));
        ds.post();
      }
    }
  }
}

DataSet& sharedAllocation() {
  static std::unique_ptr<DataSet> ds = [] {
    auto d = std::make_unique<DataSet>("cdsEvolEst");
    defineAllocation(*d);
    buildAllocation(*d);
    return d;
  }();
  return *ds;
}

long residentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4;
}

void BM_BuildAllocation1M(benchmark::State& state) {
  for (auto _ : state) {
    DataSet ds("cdsEvolEst");
    defineAllocation(ds);
    buildAllocation(ds);
    benchmark::DoNotOptimize(ds.recordCount());
  }
}

// Resident memory of the whole process with the shared 1,000,000-row table loaded.
void BM_ResidentMemory1M(benchmark::State& state) {
  DataSet& ds = sharedAllocation();
  for (auto _ : state) benchmark::DoNotOptimize(ds.recordCount());
  state.counters["resident_MB"] = static_cast<double>(residentKiB()) / 1024.0;
}

void BM_ItemFilterAndSum(benchmark::State& state) {
  DataSet& source = sharedAllocation();
  DataSet ds("cdsEvolEstAux");
  defineAllocation(ds);
  ds.copyFrom(source);
  std::mt19937 rng(1);
  std::vector<std::pair<std::string, std::string>> items;
  for (int i = 0; i < 1000; ++i)
    items.emplace_back(orderNumber(static_cast<int>(rng() % kOrders)),
                       std::to_string(1 + rng() % kItemsPerOrder));
  ds.setFiltered(true);
  std::size_t k = 0;
  double total = 0;
  for (auto _ : state) {
    const auto& [order, item] = items[k++ % items.size()];
    ds.setFilter("CDFILIAL = '0001' AND NRPEDIDO = " + ped::engine::quoteFilterValue(order) +
                 " AND NRITEMPED = " + ped::engine::quoteFilterValue(item));
    double sum = 0;
    auto& qt = ds.field("QTEXP");
    for (ds.first(); !ds.eof(); ds.next()) sum += qt.asFloat();
    total += sum + static_cast<double>(ds.recordCount());
  }
  benchmark::DoNotOptimize(total);
}

void BM_CopyWholeContent1M(benchmark::State& state) {
  DataSet& source = sharedAllocation();
  DataSet copy("cdsEvolEstAux");
  defineAllocation(copy);
  for (auto _ : state) {
    copy.copyFrom(source);
    benchmark::DoNotOptimize(copy.recordCount());
  }
}

void BM_LocateOrderItem(benchmark::State& state) {
  DataSet& ds = sharedAllocation();
  std::mt19937 rng(2);
  std::vector<std::vector<Value>> keys;
  for (int i = 0; i < 10'000; ++i)
    keys.push_back({Value(orderNumber(static_cast<int>(rng() % kOrders))),
                    Value(std::to_string(1 + rng() % kItemsPerOrder))});
  std::size_t k = 0, found = 0;
  for (auto _ : state)
    found += ds.locate("NRPEDIDO;NRITEMPED", keys[k++ % keys.size()], {.caseInsensitive = true});
  if (found != static_cast<std::size_t>(state.iterations())) state.SkipWithError("a locate failed");
}

void BM_EditPostQuantity(benchmark::State& state) {
  DataSet& ds = sharedAllocation();
  auto& qt = ds.field("QTEXP");
  ds.first();
  double v = 0;
  for (auto _ : state) {
    ds.edit();
    qt.setFloat(v += 0.5);
    ds.post();
    ds.next();
    if (ds.eof()) ds.first();
  }
}

// The screen's allocation rows: kept in lot validity order, filtered to one item.
DataSet& itemAllocation() {
  static std::unique_ptr<DataSet> ds = [] {
    auto d = std::make_unique<DataSet>("cdsEvolEst");
    defineAllocation(*d);
    d->setIndexFieldNames("DTVALILOTE");
    d->copyFrom(sharedAllocation());
    return d;
  }();
  return *ds;
}

std::string itemFilter(int order, int item) {
  return "CDFILIAL = '0001' AND NRPEDIDO = " + ped::engine::quoteFilterValue(orderNumber(order)) +
         " AND NRITEMPED = " + ped::engine::quoteFilterValue(std::to_string(item));
}

struct ItemKey {
  int order, item;
};
ItemKey randomItem(std::mt19937& rng) {
  return {static_cast<int>(rng() % kOrders), 1 + static_cast<int>(rng() % kItemsPerOrder)};
}

// What the per-item check does with the engine: the shadow copy refilled
// under the item's filter, its rows walked for validity dates and quantities.
void BM_ItemCheckOperations1M(benchmark::State& state) {
  DataSet& ds = itemAllocation();
  DataSet aux("cdsEvolEstAux");
  defineAllocation(aux);
  std::mt19937 rng(4);
  double total = 0;
  for (auto _ : state) {
    const ItemKey key = randomItem(rng);
    aux.setFilter(itemFilter(key.order, key.item));
    aux.setFiltered(true);
    aux.copyFrom(ds);
    auto& validity = aux.field("DTVALILOTE");
    auto& qt = aux.field("QTEXP");
    for (aux.first(); !aux.eof(); aux.next()) total += validity.asDateTime() + qt.asFloat();
  }
  benchmark::DoNotOptimize(total);
}

// What a row's post does with the engine, the server look-ups aside: the
// shadow copy refilled before the insert, the row filled, the duplicate count
// on the copy under seven equality terms, the post and the merge.
void BM_InsertPostSharedOperations1M(benchmark::State& state) {
  DataSet& ds = itemAllocation();
  DataSet aux("cdsEvolEstAux");
  defineAllocation(aux);
  std::mt19937 rng(5);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto [order, item] = randomItem(rng);
    ds.setFilter(itemFilter(order, item));
    ds.setFiltered(true);
    state.ResumeTiming();
    aux.copyFrom(ds);
    ds.insert();
    ds.field("CDFILIAL").setString("0001");
    ds.field("NRPEDIDO").setString(orderNumber(order));
    ds.field("NRITEMPED").setString(std::to_string(item));
    ds.field("CDPRODUTO").setString("P000001");
    ds.field("SGUNIDADE").setString("UN");
    ds.field("CDALMOXARIFE").setString("09");
    ds.field("CDLOCALESTOQ").setString("Z01");
    ds.field("NRLOTEESTQ").setString("LX" + std::to_string(++n));
    ds.field("NRSUBLOTE").setString("1");
    ds.field("QTDISPONIVEL").setFloat(10);
    ds.field("QTEXP").setFloat(1);
    aux.setFilter(ds.filter() + "AND CDALMOXARIFE = '09' AND CDLOCALESTOQ = 'Z01' AND NRLOTEESTQ = " +
                  ped::engine::quoteFilterValue(ds.field("NRLOTEESTQ").asString()) + " AND NRSUBLOTE = '1'");
    aux.setFiltered(true);
    if (aux.recordCount() != 0) state.SkipWithError("a new position counted as a duplicate");
    ds.field("QTDISPONIVEL").setFloat(9);
    ds.post();
    ds.mergeChangeLog();
  }
}

// An existing row's quantity changed after the shadow copy: the posted cell
// is one the copy also sees, so its column is cloned (known cost, measured).
void BM_EditPostSharedOperations1M(benchmark::State& state) {
  DataSet& ds = itemAllocation();
  DataSet aux("cdsEvolEstAux");
  defineAllocation(aux);
  ds.setFilter(itemFilter(7, 3));
  ds.setFiltered(true);
  double v = 0;
  for (auto _ : state) {
    aux.copyFrom(ds);
    ds.edit();
    ds.field("QTEXP").setFloat(v += 0.5);
    ds.post();
    ds.mergeChangeLog();
  }
}

void defineOrders(DataSet& ds) {
  ds.addField({.name = "DsPedido", .size = 70});
  ds.addField({.name = "IDCHECK", .size = 1});
  ds.addField({.name = "IDSITPEDIDO", .size = 1, .label = "Sit."});
  ds.addField({.name = "NRPEDIDO", .size = 10, .label = "Nº Pedido"});
  ds.addField({.name = "CDCLIENTE", .size = 21});
  ds.addField({.name = "NMFANTCLIE", .size = 50, .label = "Cliente"});
  ds.addField({.name = "DTENTPED", .type = FieldType::DateTime, .label = "Data Entrega"});
  ds.addField({.name = "DTPEDIDO", .type = FieldType::DateTime, .label = "Data Pedido"});
  ds.addField({.name = "CDFILIAL", .size = 4});
  ds.addField({.name = "CDVENDEDOR", .size = 4});
}

const std::string& orderPacket() {
  static const std::string packet = [] {
    static const char* const kNames[] = {"Padaria São João", "Mercado Boa Vista", "Drogaria Três Irmãos",
                                         "Açougue Central", "Supermercado Pão de Mel"};
    DataSet ds("cdsPedido");
    defineOrders(ds);
    ds.open();
    std::mt19937 rng(3);
    for (int i = 0; i < 100'000; ++i) {
      const std::string nr = orderNumber(i);
      const unsigned client = rng() % 5000;  // orders of 5,000 clients
      const std::string name = std::string(kNames[client % 5]) + " " + std::to_string(client / 5);
      ds.append();
      ds.field(0).setString(nr + " - " + name);
      ds.field(1).setString("N");
      ds.field(2).setString(std::to_string(1 + rng() % 6));
      ds.field(3).setString(nr);
      ds.field(4).setString(std::to_string(100000 + client));
      ds.field(5).setString(name);
      ds.field(6).setDateTime(46000.0 + static_cast<double>(rng() % 60));
      ds.field(7).setDateTime(45990.0 + static_cast<double>(rng() % 30));
      ds.field(8).setString("0001");
      ds.field(9).setString(std::to_string(1000 + rng() % 50));
      ds.post();
    }
    return ds.toPacket();
  }();
  return packet;
}

void BM_DecodeOrderPacket100k(benchmark::State& state) {
  const std::string& packet = orderPacket();
  DataSet ds("cdsPedido");
  defineOrders(ds);
  for (auto _ : state) {
    ds.loadPacket(packet);
    benchmark::DoNotOptimize(ds.recordCount());
  }
  state.counters["packet_MB"] = static_cast<double>(packet.size()) / 1e6;
}

void BM_EncodeOrderPacket100k(benchmark::State& state) {
  DataSet ds("cdsPedido");
  defineOrders(ds);
  ds.loadPacket(orderPacket());
  for (auto _ : state) {
    std::string out = ds.toPacket();
    benchmark::DoNotOptimize(out.data());
  }
}

double threadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : (v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2);
}

// The codec against simdjson on the same bytes, taking turns in one process
// so that a loaded machine slows both alike: the medians' ratio is the figure.
void reportAgainstFloor(benchmark::State& state, const std::vector<double>& ours,
                        const std::vector<double>& floor, const char* oursName, const char* floorName,
                        double goal, const char* label) {
  const double a = median(ours), b = median(floor);
  state.counters[oursName] = a;
  state.counters[floorName] = b;
  state.counters["measured"] = b > 0 ? a / b : 0;
  state.counters["goal"] = goal;
  state.counters["higher_is_better"] = 0;
  state.SetLabel(label);
}

void BM_DecodeVsSimdjson100k(benchmark::State& state) {
  const std::string& packet = orderPacket();
  const simdjson::padded_string padded(packet);
  simdjson::dom::parser parser;
  DataSet ds("cdsPedido");
  defineOrders(ds);
  std::vector<double> decode, parse;
  for (auto _ : state) {
    double t = threadCpuMs();
    ds.loadPacket(packet);
    benchmark::DoNotOptimize(ds.recordCount());
    decode.push_back(threadCpuMs() - t);
    t = threadCpuMs();
    simdjson::dom::element root;
    if (parser.parse(padded).get(root)) state.SkipWithError("simdjson refused the packet");
    benchmark::DoNotOptimize(root);
    parse.push_back(threadCpuMs() - t);
  }
  reportAgainstFloor(state, decode, parse, "decode_ms", "simdjson_ms", 1.5,
                     "decode 100k-order packet vs simdjson parse [x]");
}

void BM_EncodeVsSimdjson100k(benchmark::State& state) {
  DataSet ds("cdsPedido");
  defineOrders(ds);
  ds.loadPacket(orderPacket());
  simdjson::dom::parser parser;
  simdjson::dom::element root;
  if (parser.parse(orderPacket()).get(root)) state.SkipWithError("simdjson refused the packet");
  std::vector<double> encode, serialize;
  for (auto _ : state) {
    double t = threadCpuMs();
    std::string ours = ds.toPacket();
    benchmark::DoNotOptimize(ours.data());
    encode.push_back(threadCpuMs() - t);
    t = threadCpuMs();
    std::string theirs = simdjson::to_string(root);
    benchmark::DoNotOptimize(theirs.data());
    serialize.push_back(threadCpuMs() - t);
  }
  reportAgainstFloor(state, encode, serialize, "encode_ms", "simdjson_ms", 1.0,
                     "encode 100k-order packet vs simdjson serialize [x]");
}

}  // namespace

BENCHMARK(BM_ResidentMemory1M)->Iterations(1);
BENCHMARK(BM_BuildAllocation1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ItemFilterAndSum)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyWholeContent1M)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateOrderItem)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ItemCheckOperations1M)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertPostSharedOperations1M)->Unit(benchmark::kMicrosecond)->Iterations(2000);
BENCHMARK(BM_EditPostSharedOperations1M)->Unit(benchmark::kMicrosecond)->Iterations(50);
BENCHMARK(BM_EditPostQuantity)->Unit(benchmark::kNanosecond)->Iterations(100'000);
BENCHMARK(BM_DecodeOrderPacket100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOrderPacket100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeVsSimdjson100k)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_EncodeVsSimdjson100k)->Unit(benchmark::kMillisecond)->Iterations(15);

BENCHMARK_MAIN();
