#pragma once
// The boxes a screen shows the operator, behind a toolkit-free interface: the
// Qt host implements it with real dialogs, tests with ScriptedDialogs.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace ped::hostlib {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // An error box with one OK button; returns when the operator closes it.
  virtual void showError(std::string_view text) = 0;
  // A confirmation with the buttons "Sim" and "Não"; true for "Sim".
  virtual bool askYesNo(std::string_view text) = 0;
};

// Answers questions from a queue and records, in order, everything shown:
// "erro: <text>" and "pergunta: <text> -> Sim|Não". A question with no answer
// queued is a fault of the test and throws std::logic_error.
class ScriptedDialogs : public Dialogs {
 public:
  void answer(bool yes) { answers_.push_back(yes); }
  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;

  const std::vector<std::string>& shown() const { return shown_; }
  std::vector<std::string> take();  // what was shown since the last take

 private:
  std::deque<bool> answers_;
  std::vector<std::string> shown_;
};

}  // namespace ped::hostlib
