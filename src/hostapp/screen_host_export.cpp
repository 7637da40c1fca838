#include "hostapp/screen_host_export.h"

namespace {
ped::hostlib_qt::ScreenHost* published = nullptr;
}  // namespace

namespace ped::hostapp {

void publishScreenHost(hostlib_qt::ScreenHost* host) noexcept { published = host; }

}  // namespace ped::hostapp

extern "C" ped::hostlib_qt::ScreenHost* PedScreenHost() noexcept { return published; }
