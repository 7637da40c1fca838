#include "support/test_database.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace ped::testing {
namespace {

std::string uniqueName() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  return "ped_test_" + std::to_string(rd()) + "_" + std::to_string(counter++);
}

const char* adminTarget() {
  const char* pg = std::getenv("PED_TEST_PG");
  return pg && *pg ? pg : nullptr;
}

}  // namespace

std::string backendName(Backend b) { return b == Backend::Sqlite ? "SQLite" : "PostgreSQL"; }

bool postgresRequired() {
  const char* r = std::getenv("PED_REQUIRE_PG");
  return r && std::string(r) == "1";
}

TestDatabase::TestDatabase(Backend backend) : backend_(backend), name_(uniqueName()) {
  if (backend == Backend::Sqlite) {
    target_ = (std::filesystem::temp_directory_path() / (name_ + ".db")).string();
    return;
  }
  const char* admin = adminTarget();
  if (!admin) {
    skipReason_ = "PostgreSQL de teste não configurado (PED_TEST_PG).";
    return;
  }
  auto db = sql::open(admin);
  db->executeScript("CREATE DATABASE " + name_ + " TEMPLATE template0 ENCODING 'UTF8'");
  target_ = std::string(admin) + " dbname=" + name_;
}

TestDatabase::~TestDatabase() {
  if (target_.empty()) return;
  try {
    if (backend_ == Backend::Sqlite) {
      for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(target_ + suffix);
    } else {
      auto db = sql::open(adminTarget());
      db->executeScript("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    }
  } catch (...) {
    // A database left behind is harmless: the cluster and /tmp are throw-away.
  }
}

std::unique_ptr<sql::Connection> TestDatabase::open(bool readOnly) const {
  sql::OpenOptions options;
  options.readOnly = readOnly;
  options.create = !readOnly;
  return sql::open(target_, options);
}

}  // namespace ped::testing
