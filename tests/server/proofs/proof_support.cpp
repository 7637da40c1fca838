#include "server/proofs/proof_support.h"

#include <httplib.h>
#include <signal.h>
#include <simdjson.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "engine/date_time.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "sql/connection.h"

namespace ped::proofs {

int setting(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

void writeDemo(const std::string& target, int orders) {
  auto db = sql::open(target, {.create = true});
  server::demo::writeDemoData(
      *db,
      server::demo::generateDemoData({.seed = 1, .orders = orders, .today = engine::SystemClock().today()}),
      true);
}

Screen::Screen(int port) { reconnect(port); }
Screen::~Screen() = default;

void Screen::reconnect(int port) {
  http_ = std::make_unique<httplib::Client>("127.0.0.1", port);
  http_->set_keep_alive(true);
  http_->set_tcp_nodelay(true);
  http_->set_read_timeout(60, 0);
}

bool Screen::login(const char* operatorCode, const char* password) {
  // Log-ins are hashed a few at a time: a crowd of screens starting together
  // is asked to try again, as an operator would.
  Answer a;
  for (int attempt = 0; attempt < 100; ++attempt) {
    a = call("Login", std::string("[\"") + operatorCode + "\",\"" + password + "\"]");
    if (!a.delivered || a.message.find("muitas entradas") == std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!a.delivered || a.code != 0) return false;
  simdjson::dom::parser parser;
  std::string_view token;
  if (parser.parse(a.result)["token"].get(token)) return false;
  token_ = std::string(token);
  return true;
}

Answer Screen::call(const std::string& method, const std::string& paramsJson, const std::string& key) {
  httplib::Headers headers;
  if (!token_.empty()) headers.emplace("Authorization", "Bearer " + token_);
  if (!key.empty()) headers.emplace("Idempotency-Key", key);
  const std::string body = R"({"jsonrpc":"2.0","id":)" + std::to_string(++id_) + R"(,"method":")" + method +
                           R"(","params":)" + paramsJson + "}";
  Answer a;
  const auto r = http_->Post("/Ped00800.rdmLiquidaItem", headers, body, "application/json");
  if (!r || r->status != 200) return a;
  a.delivered = true;
  a.body = r->body;
  simdjson::dom::parser parser;
  simdjson::dom::element doc;
  if (parser.parse(r->body).get(doc)) {
    a.code = -1;
    a.message = "answer is not JSON";
    return a;
  }
  simdjson::dom::element error;
  if (doc["error"].get(error) == simdjson::SUCCESS) {
    a.code = static_cast<int>(error["code"].get_int64().value_unsafe());
    a.message = std::string(error["message"].get_string().value_unsafe());
  } else {
    a.result = simdjson::minify(doc["result"].value_unsafe());
  }
  return a;
}

std::vector<std::string> rowsOfPacket(const std::string& packetJson, const std::vector<std::string>& fields) {
  std::vector<std::string> out;
  simdjson::dom::parser parser;
  simdjson::dom::element packet;
  if (parser.parse(packetJson).get(packet) || !packet.is_object()) return out;
  std::vector<int> columns;
  simdjson::dom::array fieldList, rows;
  if (packet["fields"].get_array().get(fieldList) || packet["rows"].get_array().get(rows)) return out;
  std::vector<std::string> names;
  for (simdjson::dom::element f : fieldList) {
    std::string_view name;
    names.emplace_back(f["name"].get(name) ? std::string_view() : name);
  }
  for (const std::string& wanted : fields) {
    int found = -1;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == wanted) found = static_cast<int>(i);
    columns.push_back(found);
  }
  for (simdjson::dom::element row : rows) {
    std::vector<simdjson::dom::element> cells;
    simdjson::dom::array rowCells;
    if (row.get_array().get(rowCells)) continue;
    for (simdjson::dom::element c : rowCells) cells.push_back(c);
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i) line += '|';
      if (columns[i] < 0 || static_cast<std::size_t>(columns[i]) >= cells.size()) continue;
      const simdjson::dom::element c = cells[static_cast<std::size_t>(columns[i])];
      if (c.is_string())
        line += std::string(c.get_string().value_unsafe());
      else if (!c.is_null())
        line += simdjson::minify(c);
    }
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> rowsOf(const std::string& resultJson, int index,
                                const std::vector<std::string>& fields) {
  simdjson::dom::parser parser;
  simdjson::dom::element result;
  if (parser.parse(resultJson).get(result) || !result.is_array()) return {};
  simdjson::dom::element element;
  if (result.at(static_cast<std::size_t>(index)).get(element) || element.is_null()) return {};
  return rowsOfPacket(simdjson::minify(element), fields);
}

}  // namespace ped::proofs
