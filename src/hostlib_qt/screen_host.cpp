#include "hostlib_qt/screen_host.h"

#include <dlfcn.h>

namespace ped::hostlib_qt {

ScreenHost* findScreenHost() {
  void* symbol = ::dlsym(RTLD_DEFAULT, kScreenHostSymbol);
  if (symbol == nullptr) return nullptr;
  ScreenHost* host = reinterpret_cast<ScreenHostEntry>(symbol)();
  return host != nullptr && host->version == kScreenHostVersion ? host : nullptr;
}

}  // namespace ped::hostlib_qt
