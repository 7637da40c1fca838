#include "hostlib/messages.h"

#include <stdexcept>

namespace ped::hostlib {

TMessages::TMessages(std::initializer_list<std::string_view> entries) {
  for (std::string_view e : entries) add(e);
}

TMessages::TMessages(const std::vector<std::string>& entries) {
  for (const std::string& e : entries) add(e);
}

void TMessages::add(std::string_view entry) {
  const std::size_t bar = entry.find('|');
  if (bar == std::string_view::npos || bar == 0)
    throw std::invalid_argument("entrada de mensagem sem chave: " + std::string(entry));
  const std::string_view key = entry.substr(0, bar);
  if (contains(key)) throw std::invalid_argument("chave de mensagem repetida: " + std::string(key));
  entries_.emplace_back(std::string(key), std::string(entry.substr(bar + 1)));
}

bool TMessages::contains(std::string_view key) const {
  for (const auto& [k, text] : entries_)
    if (k == key) return true;
  return false;
}

const std::string& TMessages::Msg(std::string_view key) const {
  for (const auto& [k, text] : entries_)
    if (k == key) return text;
  throw std::out_of_range("mensagem '" + std::string(key) + "' não existe na tabela");
}

bool TMessages::ShowMsg(std::string_view key, Dialogs& dialogs) const { return dialogs.askYesNo(Msg(key)); }

}  // namespace ped::hostlib
