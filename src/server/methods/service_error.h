#pragma once
// A failure a remote method reports to the operator: its message is shown as
// it stands, so it is Portuguese and says what to do.

#include <stdexcept>
#include <string>

namespace ped::server {

class ServiceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ped::server
