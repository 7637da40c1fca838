#pragma once
// A window's message table: entries "key|text", every text asked for by key.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostlib/dialogs.h"

namespace ped::hostlib {

class TMessages {
 public:
  TMessages() = default;
  // Entries in their stored order. Throws std::invalid_argument for an entry
  // without '|', an empty key or a key given twice.
  TMessages(std::initializer_list<std::string_view> entries);
  explicit TMessages(const std::vector<std::string>& entries);

  // The text of `key`; a key the table lacks is a programming fault and
  // throws std::out_of_range naming it.
  const std::string& Msg(std::string_view key) const;
  bool contains(std::string_view key) const;
  // The text of `key` as a confirmation with "Sim" and "Não"; true for "Sim".
  bool ShowMsg(std::string_view key, Dialogs& dialogs) const;

  const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

 private:
  void add(std::string_view entry);
  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace ped::hostlib
