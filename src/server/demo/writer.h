#pragma once
// Puts the demo data into a server database: brings the schema up to date,
// then writes every table in one write transaction, so the database ends
// either with all of it or as it was.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "server/demo/demo_data.h"
#include "sql/connection.h"

namespace ped::server::demo {

// A refusal the operator of the tool can act on; the message is Portuguese.
class DemoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How many rows went into the main tables.
struct DemoSummary {
  std::int64_t branches = 0, operators = 0, sellers = 0, clients = 0, products = 0, orders = 0, items = 0,
               positions = 0, lots = 0, reservations = 0, settlements = 0;
};

// The tables the demo fills, in an order that respects their references.
const std::vector<std::string>& demoTables();

// Writes `data` into `db` (migrating it first). A database that already
// holds rows in any demo table is refused with DemoError, unless `replace`
// is set: then those tables are emptied in the same transaction. Operator
// passwords are stored hashed. Throws sql::SqlError when the database fails;
// nothing is then written.
DemoSummary writeDemoData(sql::Connection& db, const DemoData& data, bool replace);

}  // namespace ped::server::demo
