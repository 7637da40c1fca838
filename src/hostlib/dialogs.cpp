#include "hostlib/dialogs.h"

#include <stdexcept>
#include <utility>

namespace ped::hostlib {

void ScriptedDialogs::showError(std::string_view text) { shown_.push_back("erro: " + std::string(text)); }

bool ScriptedDialogs::askYesNo(std::string_view text) {
  if (answers_.empty()) throw std::logic_error("pergunta sem resposta no roteiro: " + std::string(text));
  const bool yes = answers_.front();
  answers_.pop_front();
  shown_.push_back("pergunta: " + std::string(text) + (yes ? " -> Sim" : " -> Não"));
  return yes;
}

std::vector<std::string> ScriptedDialogs::take() { return std::exchange(shown_, {}); }

}  // namespace ped::hostlib
