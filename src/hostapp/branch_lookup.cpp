#include "hostapp/branch_lookup.h"

#include "engine/data_set.h"

namespace ped::hostapp {

Branch findBranch(hostlib::Database& database, const std::string& code) {
  engine::DataSet rows("qryFilial");
  try {
    if (code.empty()) {
      database.query("SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL LIMIT 1", {}, rows);
      if (rows.isEmpty()) throw std::runtime_error("Nenhuma filial cadastrada no banco de consultas.");
      return {rows.field("CDFILIAL").asString(), rows.field("NMFILIAL").asString()};
    }
    database.query("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL", {{"P_CDFILIAL", code}}, rows);
  } catch (const hostlib::DatabaseError& e) {
    throw std::runtime_error(std::string("Não foi possível ler as filiais no banco de consultas: ") +
                             e.what());
  }
  if (rows.isEmpty()) throw std::runtime_error("Filial " + code + " não cadastrada.");
  return {code, rows.field("NMFILIAL").asString()};
}

}  // namespace ped::hostapp
