#pragma once
// Answers of changing calls kept per session and request, so a call repeated
// after its answer was lost (the same session, method and arguments) gets the
// first answer again and changes nothing twice.

#include <optional>
#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "sql/connection.h"

namespace ped::server {

// The key of one request: a hash of the method and its arguments' JSON.
std::string requestKey(std::string_view method, std::string_view argumentsJson);

std::optional<std::string> storedAnswer(sql::Connection& db, const std::string& session, const std::string& key);
void storeAnswer(sql::Connection& db, const std::string& session, const std::string& key, const std::string& answer,
                 const engine::Clock& clock);

}  // namespace ped::server
