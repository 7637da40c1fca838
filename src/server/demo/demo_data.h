#pragma once
// The demo database held in memory, one struct per table row, before it is
// written. Codes and texts are as stored; dates are engine dates (days since
// 30/12/1899, see engine/date_time.h), a missing date is nullopt.

#include <optional>
#include <string>
#include <vector>

namespace ped::server::demo {

// FILIAL with its PARAMFILIAL and PARAMPEDIDO rows.
struct Branch {
  std::string code;  // CDFILIAL, 4 digits
  std::string name;
  bool usesWarehouse = false;           // IDUTILALMOX
  bool usesLocation = false;            // IDUTILLCESTQ
  bool usesLot = false;                 // IDUTILLOTE
  bool controlsStock = false;           // IDCTRLESTQ
  bool movesStockOnSettlement = false;  // IDEVOLESTLIQMAN
  char showOrders = '1';                // IDEXIBPEDIDO: '2' ties operators to their seller's orders
  friend bool operator==(const Branch&, const Branch&) = default;
};

struct Seller {
  std::string code, name;
  double commissionPercent = 0;
  std::string priceTableCode, priceTableName;
  friend bool operator==(const Seller&, const Seller&) = default;
};

struct Operator {
  std::string code, name;
  std::string password;  // plain demo password, hashed when written
  std::optional<std::string> seller;
  bool seesAllSellers = false;  // listed in OPERTPED on every branch
  friend bool operator==(const Operator&, const Operator&) = default;
};

struct City {
  std::string state, code, name;  // country is always Brazil
  friend bool operator==(const City&, const City&) = default;
};

struct Address {
  char type = 'P';  // 'P' principal, 'E' delivery
  std::string street;
  std::string state, cityCode;  // a City of the data
  friend bool operator==(const Address&, const Address&) = default;
};

struct Client {
  std::string code;
  char personType = 'F';  // 'F' person (CPF), 'J' company (CNPJ)
  std::string document;   // digits only
  std::string tradeName, legalName;
  std::vector<Address> addresses;  // the principal one first
  friend bool operator==(const Client&, const Client&) = default;
};

struct Product {
  std::string code;
  std::string treeCode;  // group (2) subgroup (2) item (3), no dots
  std::string name, unit;
  double listPrice = 0;
  friend bool operator==(const Product&, const Product&) = default;
};

struct Warehouse {
  std::string branch, code, name;
  friend bool operator==(const Warehouse&, const Warehouse&) = default;
};

struct Location {
  std::string branch, warehouse, code, name;
  friend bool operator==(const Location&, const Location&) = default;
};

struct Lot {
  std::string product, number;
  std::optional<double> validUntil, enteredOn;
  friend bool operator==(const Lot&, const Lot&) = default;
};

// A stock position; keys the branch does not use are "".
struct Position {
  std::string branch, product, warehouse, location, lot, subLot, unit;
  double quantity = 0;
  friend bool operator==(const Position&, const Position&) = default;
};

struct Order {
  std::string branch, number, client, seller;
  double date = 0;
  std::optional<double> delivery;
  char priority = '3';
  char status = '2';
  friend bool operator==(const Order&, const Order&) = default;
};

struct Item {
  std::string branch, order, number, product;
  double quantity = 0;
  std::string unit;
  double unitPrice = 0, discount = 0;
  char status = '1';
  std::optional<std::string> settledBy, justification;  // set on manually settled items
  friend bool operator==(const Item&, const Item&) = default;
};

struct Reservation {
  std::string branch, order, item, product, warehouse, location, lot, subLot;
  double quantity = 0;
  friend bool operator==(const Reservation&, const Reservation&) = default;
};

// A HISTLIQMAN row.
struct Settlement {
  std::string branch, order, item;
  char operation = 'L';
  std::string operatorCode;
  double when = 0;  // date and time
  std::string justification;
  char previousStatus = '2', newStatus = '6';
  double quantity = 0;
  friend bool operator==(const Settlement&, const Settlement&) = default;
};

struct Justification {
  std::string code, description;
  friend bool operator==(const Justification&, const Justification&) = default;
};

struct DemoData {
  std::vector<Branch> branches;
  std::vector<Seller> sellers;
  std::vector<Operator> operators;
  std::vector<Justification> justifications;
  std::vector<City> cities;
  std::vector<Client> clients;
  std::vector<Product> products;
  std::vector<Warehouse> warehouses;
  std::vector<Location> locations;
  std::vector<Lot> lots;
  std::vector<Position> positions;
  std::vector<Order> orders;
  std::vector<Item> items;
  std::vector<Reservation> reservations;
  std::vector<Settlement> settlements;
  friend bool operator==(const DemoData&, const DemoData&) = default;
};

}  // namespace ped::server::demo
