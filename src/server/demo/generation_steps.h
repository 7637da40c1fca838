#pragma once
// The stages of generateDemoData, in the order it runs them; each adds its
// tables to the data and may read what the earlier ones added.

#include <cstdint>
#include <string>
#include <vector>

#include "server/demo/demo_data.h"
#include "server/demo/generator.h"
#include "server/demo/random.h"

namespace ped::server::demo {

// Branches, sellers, operators, justifications, cities, clients, products.
void addRegisters(DemoData& data, Random& random, const GeneratorOptions& options);
// Warehouses, locations, lots and stock positions of the branches that keep them.
void addStock(DemoData& data, Random& random, double today, int orders);
// Orders, items and the manual settlements of settled items.
void addOrders(DemoData& data, Random& random, const GeneratorOptions& options);
// Stock held for open items, never more than a position has free.
void addReservations(DemoData& data, Random& random, double today);

// The product of that code. REQUIRES: it is in the data; products are in
// code order (as addRegisters makes them).
const Product& productOf(const DemoData& data, const std::string& code);

// The shared status rules for the demo's one-character statuses.
bool isOpenItemStatus(char status);
bool isSettledItemStatus(char status);
char orderStatusOf(const std::vector<char>& itemStatuses);
// Units sold by weight, volume or length, in fractions (KG, LT, M).
bool soldByMeasure(const std::string& unit);

// Money rounded to cents.
double cents(double value);
// `value` in decimal, left-padded with '0' to `width` digits ("0000012345").
std::string zeroPadded(std::int64_t value, int width);

}  // namespace ped::server::demo
