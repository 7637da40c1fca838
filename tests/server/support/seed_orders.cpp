#include "server/support/seed_orders.h"

#include "server/auth/password.h"
#include "server/storage/migrations.h"

namespace ped::server {

void seedOrders(sql::Connection& db) {
  storage::migrate(db);
  static const std::string hash = auth::hashPassword("senha");
  db.executeScript(
      "INSERT INTO FILIAL VALUES ('0001', 'Matriz'), ('0003', 'Filial Sul');"
      "INSERT INTO PARAMFILIAL VALUES ('0001', 'S', 'S', 'S', 'S'), ('0003', 'N', 'N', 'N', 'N');"
      "INSERT INTO PARAMPEDIDO VALUES ('0001', 'S', 'N', '2', 'N'), ('0003', 'N', 'N', '1', 'N');"
      "INSERT INTO VENDEDOR VALUES ('0001', 'João Silva', 5, '01', 'Tabela Varejo'),"
      " ('0002', 'Carla Souza', 3.5, '01', 'Tabela Varejo');"
      "INSERT INTO CLIENTE VALUES ('000001', 'J', '11222333000181', 'Mercado Bom Preço', 'Bom Preço Ltda'),"
      " ('000002', 'F', '52998224725', 'Maria Souza', 'Maria Aparecida Souza');"
      "INSERT INTO PRODUTO VALUES ('P1', '0101001', 'Parafuso', 'UN'), ('P2', '0102002', 'Arroz 5 kg', "
      "'PCT');"
      "INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, CDCLIENTE, CDVENDEDOR, DTPEDIDO, DTENTPED, IDPRIORIDADE,"
      " IDSITPEDIDO) VALUES"
      " ('0001', '0000000010', '000001', '0001', '2026-12-01', '2026-12-10', '3', '2'),"
      " ('0001', '0000000011', '000002', '0002', '2026-12-07', NULL, '1', '6'),"
      " ('0001', '0000000002', '000002', '0001', '2026-11-20', '2026-11-25', '3', '5'),"
      " ('0003', '0000000010', '000001', '0002', '2026-12-07', NULL, '0', '2');"
      "INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, SGUNIDADE, VRPREUNITPED,"
      " VRDESITPED, IDSITITEMPED) VALUES"
      " ('0001', '0000000010', '1', 'P1', 2, 'UN', 10, 1.239, '1'),"
      " ('0001', '0000000010', '2', 'P2', 1, 'PCT', 25.9, 0, '3'),"
      " ('0001', '0000000010', '10', 'P1', 5, 'UN', 10, 0, '5'),"
      " ('0001', '0000000011', '1', 'P2', 3, 'PCT', 25.9, 0, '6'),"
      " ('0001', '0000000011', '2', 'P1', 1, 'UN', 10, 0, '7'),"
      " ('0001', '0000000002', '1', 'P1', 1, 'UN', 10, 0, '6'),"
      " ('0003', '0000000010', '1', 'P2', 1, 'PCT', 25.9, 0, '2');");
  db.execute(
      "INSERT INTO OPERADOR VALUES ('GERENTE', 'Gerente', :H, NULL, 'S'), ('VEND1', 'Vendedor', :H, '0001', "
      "'S'),"
      " ('SEMVEND', 'Sem vendedor', :H, NULL, 'S'), ('INATIVO', 'Inativo', :H, NULL, 'N')",
      {{"H", hash}});
  db.execute("INSERT INTO OPERTPED VALUES ('0001', 'GERENTE')");
  db.executeScript(
      "INSERT INTO JUSTEXCHIS VALUES ('0001', 'Lançamento indevido'), ('0002', 'Cliente desistiu');"
      "INSERT INTO ALMOXARIFE VALUES ('0001', 'ALM01', 'Almoxarifado Central');"
      "INSERT INTO LOCALESTOQ VALUES ('0001', 'ALM01', 'LC01', 'Corredor 1');"
      "INSERT INTO LOTE VALUES ('P1', 'L1', '2027-06-30', '2026-01-10'), ('P1', 'LV', '2026-12-01', "
      "'2026-01-10'),"
      " ('P1', 'LH', '2026-12-07', '2026-02-10'), ('P2', 'L2', '2027-01-31', '2026-02-01');"
      "INSERT INTO POSESTOQUE VALUES ('0001', 'P1', 'ALM01', 'LC01', 'L1', '01', 'UN', 10),"
      " ('0001', 'P1', 'ALM01', 'LC01', 'LV', '01', 'UN', 5), ('0001', 'P1', 'ALM01', 'LC01', 'LH', '01', "
      "'UN', 3),"
      " ('0001', 'P2', 'ALM01', 'LC01', 'L2', '01', 'PCT', 4);"
      "INSERT INTO RESERVAITEM VALUES ('0001', '0000000010', '1', 'P1', 'ALM01', 'LC01', 'L1', '01', 2),"
      " ('0001', '0000000011', '2', 'P1', 'ALM01', 'LC01', 'L1', '01', 1);"
      "INSERT INTO HISTLIQMAN (CDFILIAL, NRPEDIDO, NRITEMPED, IDOPERACAO, CDOPERADOR, DTOPERACAO, "
      "CDJUSTEXCHIS,"
      " IDSITANTERIOR, IDSITNOVA, QTITEMPED) VALUES ('0001', '0000000002', '1', 'L', 'GERENTE',"
      " '2026-11-21 09:00:00', '0001', '2', '6', 1);");
}

}  // namespace ped::server
