#pragma once
// The word lists the demo data is drawn from: Brazilian names, businesses,
// streets, cities and a shop's product catalogue. Every entry fits the column
// it ends up in.

#include <string>
#include <vector>

namespace ped::server::demo::names {

const std::vector<std::string>& femaleFirstNames();
const std::vector<std::string>& maleFirstNames();
const std::vector<std::string>& surnames();

// A business is "<kind> <name>": "Mercado" "Bom Preço".
const std::vector<std::string>& businessKinds();
const std::vector<std::string>& businessNames();
// What follows the trade name in the legal name: " Ltda", " Comércio Ltda"...
const std::vector<std::string>& legalSuffixes();

const std::vector<std::string>& streets();             // "Rua das Flores"
const std::vector<std::string>& addressComplements();  // " - Loja 2"

struct CityEntry {
  const char* state;
  const char* ibgeCode;  // 7 digits
  const char* name;
};
const std::vector<CityEntry>& cities();

// One line of the catalogue: a product in several sizes or kinds, each a
// product of its own, the price rising by `variantStep` per variant.
struct CatalogEntry {
  int group, subgroup;
  const char* name;
  std::vector<const char*> variants;  // appended to the name; empty: one product
  const char* unit;
  double price;
  double variantStep;
};
const std::vector<CatalogEntry>& catalog();

struct JustificationEntry {
  const char* code;
  const char* description;
};
const std::vector<JustificationEntry>& justifications();

}  // namespace ped::server::demo::names
