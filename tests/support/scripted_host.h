#pragma once
// The host as tests drive it: questions, searches and pick lists are answered
// from queues, and everything the operator would have seen is recorded in
// order, one line each:
//   "erro: <text>"                     an error box
//   "pergunta: <text> -> Sim|Não"      a confirmation and its answer
//   "aguarde: <kind>" / "aguarde: fim" the busy indicator
//   "pesquisa: <title> -> <n>|saiu"    a search and the 1-based row chosen
//   "lista: <title> (<key field>) [<checked keys>] -> <keys>|saiu"   a pick list
//   "ajuda: <file> <context>"          a help topic
//   "janela: <title> [<col>; ...] | <cell>; ... | ... | <summary>"   a list window
//   "tela: <code> <parameter>"         a screen the host was asked to open
// A question, search or pick list with no answer queued, a row that is not
// there and a key that is not among the pick list's rows are faults of the
// test and throw std::logic_error.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hostlib/busy.h"
#include "hostlib/dialogs.h"
#include "hostlib/searches.h"

namespace ped::hostlib {

class ScriptedHost : public Dialogs, public BusyIndicator, public Searches {
 public:
  void answer(bool yes) { answers_.push_back(yes); }
  void chooseRowNumber(std::size_t recNo) { rowChoices_.emplace_back(recNo); }  // 1-based
  void leaveSearch() { rowChoices_.emplace_back(std::nullopt); }
  void checkKeys(std::vector<std::string> keys) { keyChoices_.emplace_back(std::move(keys)); }
  void leavePickList() { keyChoices_.emplace_back(std::nullopt); }

  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;
  void showHelp(std::string_view helpFile, int context) override;
  void showList(const ListWindow& list) override;
  void showBusy(BusyKind kind) override;
  void hideBusy() override;
  std::optional<std::size_t> chooseRow(const engine::DataSet& rows, std::string_view title) override;
  std::optional<std::vector<std::string>> chooseKeys(const engine::DataSet& rows, std::string_view keyField,
                                                     std::string_view title,
                                                     const std::vector<std::string>& checked) override;

  // Records a screen load; hand it to Vantora as its screen opener.
  void openScreen(std::string_view screenCode, std::string_view parameter) {
    record("tela: " + std::string(screenCode) + " " + std::string(parameter));
  }

  const std::vector<std::string>& shown() const { return shown_; }
  std::vector<std::string> take();  // what was shown since the last take
  // Runs as each line is recorded, while the box is up: what the screen
  // looked like when the operator saw it.
  std::function<void(const std::string&)> onShown;

 private:
  std::deque<bool> answers_;
  std::deque<std::optional<std::size_t>> rowChoices_;
  std::deque<std::optional<std::vector<std::string>>> keyChoices_;
  void record(std::string line);
  std::vector<std::string> shown_;
};

}  // namespace ped::hostlib
