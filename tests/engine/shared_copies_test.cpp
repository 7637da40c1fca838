// Copies of a data set share their cells, dictionaries and indexes, and rows
// are ordered by rank: checked against a plain model of each data set's rows
// in natural order, through random inserts, appends, edits, deletes,
// cancels and copies on both sides, on views large enough to use indexes.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/data_set.h"

namespace ped::engine {
namespace {

struct Row {
  std::string key, text;
  double quantity = 0;
};
using Model = std::vector<Row>;  // natural order

std::string label(char letter, unsigned n) {
  std::string s(1, letter);
  s += std::to_string(n);
  return s;
}

void define(DataSet& ds) {
  ds.addField({.name = "K", .size = 4});
  ds.addField({.name = "V", .size = 12});
  ds.addField({.name = "Q", .type = FieldType::Float});
}

void write(DataSet& ds, const Row& r) {
  ds.field("K").setString(r.key);
  ds.field("V").setString(r.text);
  ds.field("Q").setFloat(r.quantity);
}

std::string text(const std::string& key, const std::string& value, double quantity) {
  return key + "|" + value + "|" + std::to_string(static_cast<int>(quantity));
}

std::vector<std::string> rowsOf(DataSet& ds) {
  std::vector<std::string> out;
  for (ds.first(); !ds.eof(); ds.next())
    out.push_back(text(ds.field("K").asString(), ds.field("V").asString(), ds.field("Q").asFloat()));
  return out;
}

std::vector<std::string> rowsOf(const Model& m) {
  std::vector<std::string> out;
  for (const Row& r : m) out.push_back(text(r.key, r.text, r.quantity));
  return out;
}

// Natural order, filtered counts through the indexes, and index order with
// ties in natural order, all as the model has them.
void expectSame(DataSet& ds, const Model& m, std::mt19937& rng) {
  ds.setFiltered(false);
  ASSERT_EQ(rowsOf(ds), rowsOf(m)) << ds.name();
  const std::string key = label('K', rng() % 4), text = label('V', rng() % 40);
  ds.setFilter("K = " + quoteFilterValue(key) + " AND V = " + quoteFilterValue(text));
  ds.setFiltered(true);
  EXPECT_EQ(ds.recordCount(),
            static_cast<std::size_t>(std::count_if(
                m.begin(), m.end(), [&](const Row& r) { return r.key == key && r.text == text; })))
      << ds.name() << " " << ds.filter();
  ds.setFiltered(false);
  ds.setIndexFieldNames("K");
  Model sorted = m;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Row& a, const Row& b) { return a.key < b.key; });
  EXPECT_EQ(rowsOf(ds), rowsOf(sorted)) << ds.name();
  ds.setIndexFieldNames("");
}

Row randomRow(std::mt19937& rng) {
  return {label('K', rng() % 4), label('V', rng() % 40), static_cast<double>(rng() % 100)};
}

// One random change to `ds`, mirrored in `m`.
void change(DataSet& ds, Model& m, std::mt19937& rng) {
  ds.setFiltered(false);
  const std::size_t at = m.empty() ? 0 : rng() % m.size();
  ds.first();
  for (std::size_t i = 0; i < at; ++i) ds.next();
  const Row row = randomRow(rng);
  switch (rng() % 6) {
    case 0:
    case 1:  // before the current row
      ds.insert();
      write(ds, row);
      ds.post();
      m.insert(m.begin() + static_cast<std::ptrdiff_t>(std::min(at, m.size())), row);
      break;
    case 2:
      ds.append();
      write(ds, row);
      ds.post();
      m.push_back(row);
      break;
    case 3:
      if (m.empty()) break;
      ds.edit();
      write(ds, row);
      ds.post();
      m[at] = row;
      break;
    case 4:
      if (m.empty()) break;
      ds.remove();
      m.erase(m.begin() + static_cast<std::ptrdiff_t>(at));
      break;
    case 5:
      ds.insert();
      write(ds, row);
      ds.cancel();
      break;
  }
}

TEST(SharedCopies, CopiesAndTheirSourceChangeIndependently) {
  std::mt19937 rng(11);
  DataSet source("source"), copy("copy");
  define(source);
  define(copy);
  source.open();
  Model sourceRows, copyRows;
  for (int i = 0; i < 300; ++i) {
    const Row r = randomRow(rng);
    source.append();
    write(source, r);
    source.post();
    sourceRows.push_back(r);
  }
  copy.copyFrom(source);
  copyRows = sourceRows;
  for (int round = 0; round < 60; ++round) {
    for (int k = 0; k < 8; ++k) change(source, sourceRows, rng);
    for (int k = 0; k < 4; ++k) change(copy, copyRows, rng);
    expectSame(source, sourceRows, rng);
    expectSame(copy, copyRows, rng);
    if (round % 3 == 0) {
      // The shadow copy refilled while the source inserts a row: the pending
      // row stays the source's, and both go on adding rows of their own.
      source.setFiltered(false);
      source.first();
      source.insert();
      copy.copyFrom(source);
      copyRows = sourceRows;
      const Row pending = randomRow(rng);
      write(source, pending);
      source.post();
      sourceRows.insert(sourceRows.begin(), pending);
      change(copy, copyRows, rng);
    }
  }
}

// Rows inserted again and again before one row run out of room between
// ranks; the ranks are spread anew and the order holds. So for a run of rows
// each inserted before the one inserted last.
TEST(SharedCopies, ManyInsertsAtOnePlaceKeepTheirOrder) {
  DataSet ds;
  define(ds);
  ds.open();
  Model m;
  for (unsigned i = 0; i < 100; ++i) {
    ds.append();
    write(ds, {"K0", label('V', i), 0});
    ds.post();
    m.push_back({"K0", label('V', i), 0});
  }
  DataSet copy;
  copy.copyFrom(ds);
  auto insertAt = [&](std::size_t at, const Row& row) {
    ds.first();
    for (std::size_t k = 0; k < at; ++k) ds.next();
    ds.insert();
    write(ds, row);
    ds.post();
    m.insert(m.begin() + static_cast<std::ptrdiff_t>(at), row);
  };
  for (unsigned i = 0; i < 80; ++i) insertAt(50 + i, {"K1", label('B', i), 1});  // before row V50 each time
  for (unsigned i = 0; i < 80; ++i) insertAt(20, {"K2", label('C', i), 2});  // before the last one inserted
  std::mt19937 rng(3);
  expectSame(ds, m, rng);
  EXPECT_EQ(copy.recordCount(), 100u);
}

}  // namespace
}  // namespace ped::engine
