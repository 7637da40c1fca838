#pragma once
// Stock laid out for a lot proposal: a product's former stock on branch 0001
// emptied, then `positions` lots of its own at the branch's six locations,
// every fifth lot expired, validities spread over two years, each position
// holding `each`.

#include <cstdio>
#include <string>

#include "engine/date_time.h"
#include "sql/connection.h"

namespace ped::bench {

inline void layOutPositions(const std::string& database, const std::string& product, const std::string& unit,
                            int positions, double each, double today) {
  const auto db = sql::open(database);
  db->execute("DELETE FROM RESERVAITEM WHERE CDFILIAL = '0001' AND CDPRODUTO = :P", {{"P", product}});
  db->execute("UPDATE POSESTOQUE SET QTESTOQUE = 0 WHERE CDFILIAL = '0001' AND CDPRODUTO = :P",
              {{"P", product}});
  const char* places[][2] = {{"ALM01", "LC0101"}, {"ALM01", "LC0102"}, {"ALM01", "LC0201"},
                             {"ALM01", "LC0202"}, {"ALM02", "DC0001"}, {"ALM02", "DC0002"}};
  db->executeScript("BEGIN");
  for (int i = 0; i < positions; ++i) {
    char lot[16];
    std::snprintf(lot, sizeof lot, "BENCH%04d", i);
    const double validUntil = i % 5 == 0 ? today - 1 - i % 30 : today + (i * 37) % 700;
    db->execute("INSERT INTO LOTE (CDPRODUTO, NRLOTEESTQ, DTVALILOTE, DTENTRLOTE) VALUES (:P, :L, :V, :E)",
                {{"P", product},
                 {"L", lot},
                 {"V", engine::date_time::toIso(validUntil)},
                 {"E", engine::date_time::toIso(today - 30 - i % 90)}});
    db->execute(
        "INSERT INTO POSESTOQUE (CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
        " SGUNIDADE, QTESTOQUE) VALUES ('0001', :P, :A, :C, :L, '01', :U, :Q)",
        {{"P", product},
         {"A", places[i % 6][0]},
         {"C", places[i % 6][1]},
         {"L", lot},
         {"U", unit},
         {"Q", each}});
  }
  db->executeScript("COMMIT");
}

}  // namespace ped::bench
