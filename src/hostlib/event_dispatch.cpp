#include "hostlib/event_dispatch.h"

#include <exception>
#include <string>

#include "hostlib/consiste.h"

namespace ped::hostlib {

bool runEvent(Dialogs& dialogs, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const Abort&) {
  } catch (const std::exception& e) {
    std::string text = "Erro inesperado: ";
    text += e.what();
    dialogs.showError(text);
  }
  return false;
}

}  // namespace ped::hostlib
