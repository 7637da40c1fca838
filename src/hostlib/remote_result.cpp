#include "hostlib/remote_result.h"

#include "hostlib/consiste.h"

namespace ped::hostlib {

const std::optional<std::string>& RemoteResult::at(std::size_t i) const {
  static const std::optional<std::string> none;
  return ok && i < packets.size() ? packets[i] : none;
}

namespace consiste {

const RemoteResult& CheckResultServ(Dialogs& dialogs, const RemoteResult& result, bool raise, int) {
  static const RemoteResult empty = RemoteResult::none();
  if (result.ok) return result;
  MensErro(dialogs, result.error.empty() ? "Falha na comunicação com o servidor de aplicação." : result.error,
           raise);
  return empty;
}

}  // namespace consiste
}  // namespace ped::hostlib
