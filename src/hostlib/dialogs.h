#pragma once
// The boxes a screen shows the operator, behind a toolkit-free interface: the
// Qt host implements it with real dialogs, tests with ScriptedHost.

#include <string>
#include <string_view>
#include <vector>

namespace ped::hostlib {

// A list the operator reads and closes with OK (or Esc): a title, column
// headings, rows of texts (as many as the headings) and a closing line
// beneath.
struct ListWindow {
  std::string title;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  std::string summary;
  // Optional: a second table beneath the first, headed `detailTitle`, that
  // shows details[i] while row i is current. No detailColumns: no table.
  std::string detailTitle;
  std::vector<std::string> detailColumns;
  std::vector<std::vector<std::vector<std::string>>> details;  // one entry per row, or none
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // An error box with one OK button; returns when the operator closes it.
  virtual void showError(std::string_view text) = 0;
  // A confirmation with the buttons "Sim" and "Não"; true for "Sim".
  virtual bool askYesNo(std::string_view text) = 0;
  // Help topic `context` of the help file `helpFile` ("pedhelp.hlp"), in a
  // window of its own; returns at once.
  virtual void showHelp(std::string_view helpFile, int context) = 0;
  // A modal list window with one OK button; returns when it is closed.
  virtual void showList(const ListWindow& list) = 0;
};

}  // namespace ped::hostlib
