#include "server/methods/order_history.h"

#include "domain/code_width.h"
#include "domain/layouts.h"
#include "engine/value_text.h"
#include "server/methods/order_queries.h"
#include "server/methods/packets.h"
#include "server/methods/service_error.h"

namespace ped::server {

std::string OrderHistory::GetHistorico(sql::Connection& db, const Session& s, std::string_view branchArg,
                                       std::string_view orderArg) const {
  const std::string branch = engine::value_text::trim(branchArg);
  const std::string order = domain::adjustCode(orderArg, domain::kOrderNumberWidth);
  const sql::Result found = db.query("SELECT CDVENDEDOR FROM PEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N",
                                     {{"F", branch}, {"N", order}});
  const auto tied = found.rowCount() ? sellerRestriction(db, branch, s.operatorCode) : std::nullopt;
  if (found.rowCount() == 0 || (tied && *tied != found.text(0, "CDVENDEDOR")))
    throw ServiceError("Pedido " + order + " não encontrado na filial " + branch + ".");

  // One row past the limit tells that the limit was reached.
  const sql::Params p = {{"F", branch}, {"N", order}, {"LIMITE", static_cast<std::int64_t>(maxRows_ + 1)}};
  const sql::PacketRows history = db.queryPacket(
      "SELECT H.NRHISTORICO, H.DTOPERACAO, H.CDOPERADOR, O.NMOPERADOR, H.IDOPERACAO, H.NRITEMPED,"
      " R.CDARVPROD, R.NMPRODUTO, H.QTITEMPED, I.SGUNIDADE, H.IDSITANTERIOR, H.IDSITNOVA, H.CDJUSTEXCHIS,"
      " J.DSJUSTEXCHIS, H.NRHISTLIQ FROM HISTLIQMAN H"
      " LEFT JOIN OPERADOR O ON O.CDOPERADOR = H.CDOPERADOR"
      " LEFT JOIN ITEMPEDIDO I ON I.CDFILIAL = H.CDFILIAL AND I.NRPEDIDO = H.NRPEDIDO"
      " AND I.NRITEMPED = H.NRITEMPED"
      " LEFT JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO"
      " LEFT JOIN JUSTEXCHIS J ON J.CDJUSTEXCHIS = H.CDJUSTEXCHIS"
      " WHERE H.CDFILIAL = :F AND H.NRPEDIDO = :N"
      " ORDER BY H.DTOPERACAO DESC, H.NRHISTORICO DESC LIMIT :LIMITE",
      p, domain::layouts::orderHistory());
  const sql::PacketRows positions = db.queryPacket(
      "SELECT M.NRHISTORICO, M.CDALMOXARIFE, A.DSALMOXARIFE, M.CDLOCALESTOQ, L.DSLOCALESTOQ, M.NRLOTEESTQ,"
      " M.NRSUBLOTE, -M.QTMOVIMENTO AS QTMOVIMENTO FROM MOVESTOQUE M"
      " JOIN HISTLIQMAN H ON H.NRHISTORICO = M.NRHISTORICO"
      " LEFT JOIN ALMOXARIFE A ON A.CDFILIAL = M.CDFILIAL AND A.CDALMOXARIFE = M.CDALMOXARIFE"
      " LEFT JOIN LOCALESTOQ L ON L.CDFILIAL = M.CDFILIAL AND L.CDALMOXARIFE = M.CDALMOXARIFE"
      " AND L.CDLOCALESTOQ = M.CDLOCALESTOQ"
      " WHERE H.CDFILIAL = :F AND H.NRPEDIDO = :N ORDER BY M.NRHISTORICO DESC, M.NRMOVIMENTO LIMIT :LIMITE",
      p, domain::layouts::historyPositions());
  if (history.rows > maxRows_ || positions.rows > maxRows_)
    throw ServiceError("O histórico do pedido " + order + " passa de " + std::to_string(maxRows_) +
                       " registros, mais do que esta consulta mostra.");
  return toPacketArray({history.json, positions.json});
}

}  // namespace ped::server
