#include "server/app/request_log.h"

#include "server/auth/password.h"
#include "server/methods/service_error.h"

namespace ped::server {

namespace date_time = engine::date_time;

RequestLog::Request RequestLog::request(std::string_view session, std::string_view key,
                                        std::string_view method, const rpc::Params& params) {
  bool printable = !key.empty() && key.size() <= 100;
  for (const char c : key) printable = printable && c > ' ' && c < 0x7F;
  if (!printable)
    throw ServiceError(
        "Chave da requisição (Idempotency-Key) inválida: use de 1 a 100 caracteres ASCII visíveis.");
  std::string text(method);
  for (std::size_t i = 0; i < params.size(); ++i) {
    text += '\n';
    text += params.raw(i);
  }
  return {std::string(session), std::string(key), auth::sessionKey(text)};
}

std::optional<std::string> RequestLog::answer(sql::Connection& db, const Request& r) const {
  const sql::Result kept = db.query(
      "SELECT DSASSINATURA, DSRESPOSTA FROM REQUISICAO WHERE CDSESSAO = :S AND DSCHAVE = :K AND DTCRIACAO >= "
      ":DESDE",
      {{"S", r.session}, {"K", r.key}, {"DESDE", oldest()}});
  if (kept.rowCount() == 0) return std::nullopt;
  if (kept.text(0, "DSASSINATURA") != r.signature)
    throw ServiceError(
        "Esta chave de requisição (Idempotency-Key) já foi usada numa chamada com outros argumentos. Nada "
        "foi "
        "alterado.");
  return std::string(kept.text(0, "DSRESPOSTA"));
}

bool RequestLog::claim(sql::Connection& db, const Request& r) const {
  // One statement: a new key is taken, an expired row of the same key (the
  // key may come again after a day) taken over, a live one left as it is.
  return db.execute(
             "INSERT INTO REQUISICAO (CDSESSAO, DSCHAVE, DSASSINATURA, DSRESPOSTA, DTCRIACAO)"
             " VALUES (:S, :K, :A, '', :AGORA) ON CONFLICT (CDSESSAO, DSCHAVE) DO UPDATE SET"
             " DSASSINATURA = excluded.DSASSINATURA, DSRESPOSTA = '', DTCRIACAO = excluded.DTCRIACAO"
             " WHERE REQUISICAO.DTCRIACAO < :DESDE",
             {{"S", r.session},
              {"K", r.key},
              {"A", r.signature},
              {"AGORA", date_time::toIso(clock_.now())},
              {"DESDE", oldest()}}) == 1;
}

void RequestLog::keep(sql::Connection& db, const Request& r, const std::string& answer) const {
  db.execute("UPDATE REQUISICAO SET DSRESPOSTA = :R WHERE CDSESSAO = :S AND DSCHAVE = :K",
             {{"S", r.session}, {"K", r.key}, {"R", answer}});
}

void RequestLog::forgetOld(sql::Connection& db) const {
  db.execute("DELETE FROM REQUISICAO WHERE DTCRIACAO < :DESDE", {{"DESDE", oldest()}});
}

std::string RequestLog::oldest() const { return date_time::toIso(clock_.now() - keep_); }

}  // namespace ped::server
