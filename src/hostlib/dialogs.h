#pragma once
// The boxes a screen shows the operator, behind a toolkit-free interface: the
// Qt host implements it with real dialogs, tests with ScriptedHost.

#include <string_view>

namespace ped::hostlib {

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
};

}  // namespace ped::hostlib
