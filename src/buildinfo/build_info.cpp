#include "buildinfo/build_info.h"

#include "build_info_values.h"

namespace ped::buildinfo {

std::string_view version() { return PED_VERSION; }
std::string_view commit() { return PED_GIT_COMMIT; }
std::string_view buildType() { return PED_BUILD_TYPE; }

std::string versionLine(std::string_view program) {
  std::string line(program);
  line += ' ';
  line += version();
  line += " (";
  line += commit().empty() ? std::string_view("sem commit") : commit();
  line += ", ";
  line += buildType().empty() ? std::string_view("sem tipo de compilação") : buildType();
  line += ')';
  return line;
}

}  // namespace ped::buildinfo
