#pragma once
// Answers of changes kept by the client's request key (the Idempotency-Key
// header), so a call sent again after its answer was lost gets the first
// answer and changes nothing twice. A key names one operator action: the
// client sends a new one for each confirmation and the same one only with
// the very same call. The answer kept is what the change alone decided (its
// refusals); what the orders look like afterwards is read again for every
// answer, the first and a repeat. It is written in the transaction of the
// change, so a crash keeps both or neither; a call that changed nothing is
// not kept (sent again, it runs again); keys are forgotten after a day.

#include <optional>
#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "rpc/params.h"
#include "sql/connection.h"

namespace ped::server {

class RequestLog {
 public:
  // `keepDays`: how long an answer is kept (fraction of a day allowed).
  explicit RequestLog(const engine::Clock& clock, double keepDays = 1.0) : clock_(clock), keep_(keepDays) {}

  struct Request {
    std::string session;    // SESSAO.CDSESSAO
    std::string key;        // the client's key, as sent
    std::string signature;  // a hash of the method and its arguments
  };
  // The request of `method` with `params` under the client's `key`. Throws
  // ServiceError when the key is empty, longer than 100 characters or not
  // printable ASCII.
  static Request request(std::string_view session, std::string_view key, std::string_view method,
                         const rpc::Params& params);

  // REQUIRES for all three: inside the call's write transaction.
  // The answer kept for the request, if any. Throws ServiceError when the
  // key was used for a call with other arguments.
  std::optional<std::string> answer(sql::Connection& db, const Request& r) const;
  // Takes the key before the change, so a second call with the same key
  // waits for this one's transaction on PostgreSQL (and then finds its
  // answer). False when the key holds a live answer (see answer()).
  bool claim(sql::Connection& db, const Request& r) const;
  // Writes the change's answer under the claimed key.
  void keep(sql::Connection& db, const Request& r, const std::string& answer) const;

  // Forgets answers older than the keeping time. Outside any transaction;
  // cheap (an index), meant to run now and then.
  void forgetOld(sql::Connection& db) const;

 private:
  std::string oldest() const;

  const engine::Clock& clock_;
  double keep_;
};

}  // namespace ped::server
