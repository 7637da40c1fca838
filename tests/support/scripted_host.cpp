#include "support/scripted_host.h"

#include <stdexcept>
#include <utility>

#include "domain/list_text.h"

namespace ped::hostlib {
namespace {

template <class Queue>
auto next(Queue& queue, std::string_view what) {
  if (queue.empty()) throw std::logic_error("sem resposta no roteiro para: " + std::string(what));
  auto value = std::move(queue.front());
  queue.pop_front();
  return value;
}

}  // namespace

void ScriptedHost::record(std::string line) {
  shown_.push_back(std::move(line));
  if (onShown) onShown(shown_.back());
}

void ScriptedHost::showError(std::string_view text) { record("erro: " + std::string(text)); }

bool ScriptedHost::askYesNo(std::string_view text) {
  const bool yes = next(answers_, text);
  record("pergunta: " + std::string(text) + (yes ? " -> Sim" : " -> Não"));
  return yes;
}

void ScriptedHost::showHelp(std::string_view helpFile, int context) {
  record("ajuda: " + std::string(helpFile) + " " + std::to_string(context));
}

void ScriptedHost::showList(const ListWindow& list) {
  auto joined = [](const std::vector<std::string>& cells) {
    std::string out;
    for (const std::string& cell : cells) out += (out.empty() ? "" : "; ") + cell;
    return out;
  };
  std::string line = "janela: " + list.title + " [" + joined(list.columns) + "]";
  for (const std::vector<std::string>& row : list.rows) line += " | " + joined(row);
  record(line + " | " + list.summary);
}

void ScriptedHost::showBusy(BusyKind kind) { record("aguarde: " + std::to_string(static_cast<int>(kind))); }
void ScriptedHost::hideBusy() { record("aguarde: fim"); }

std::optional<std::size_t> ScriptedHost::chooseRow(const engine::DataSet& rows, std::string_view title) {
  const std::optional<std::size_t> recNo = next(rowChoices_, title);
  record("pesquisa: " + std::string(title) + " -> " + (recNo ? std::to_string(*recNo) : "saiu"));
  if (!recNo) return std::nullopt;
  if (*recNo == 0 || *recNo > rows.recordCount())
    throw std::logic_error("o roteiro escolhe a linha " + std::to_string(*recNo) + ", que não existe");
  return *recNo - 1;
}

std::optional<std::vector<std::string>> ScriptedHost::chooseKeys(const engine::DataSet& rows,
                                                                 std::string_view keyField,
                                                                 std::string_view title,
                                                                 const std::vector<std::string>& checked) {
  std::optional<std::vector<std::string>> keys = next(keyChoices_, title);
  record("lista: " + std::string(title) + " (" + std::string(keyField) + ") [" +
         domain::joinListText(checked) + "] -> " + (keys ? domain::joinListText(*keys) : "saiu"));
  if (!keys) return keys;
  // A real pick list only hands back keys of its rows.
  const engine::Field* key = rows.findField(keyField);
  if (key == nullptr) throw std::logic_error("a lista não tem o campo " + std::string(keyField));
  for (const std::string& k : *keys) {
    bool listed = false;
    for (std::size_t r = 0; r < rows.recordCount() && !listed; ++r)
      listed = rows.displayTextAt(r, key->index()) == k;
    if (!listed) throw std::logic_error("o roteiro marca " + k + ", que não está na lista");
  }
  return keys;
}

std::vector<std::string> ScriptedHost::take() { return std::exchange(shown_, {}); }

}  // namespace ped::hostlib
