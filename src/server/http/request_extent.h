#pragma once
// Where an HTTP/1.1 request ends, judged from its head alone, so the
// connection reactor can read a whole request before any thread serves it.

#include <cstddef>
#include <string_view>

namespace ped::server {

struct RequestExtent {
  enum class State {
    Incomplete,    // more bytes are needed
    Complete,      // `bytes` hold the whole request
    HeadTooLarge,  // no end of head within the limit
  };
  State state = State::Incomplete;
  std::size_t bytes = 0;  // head plus the body that is to be read
  // The body is not read (over the limit, chunked, of unknown or unreadable
  // length): the answer refuses the request and the connection closes, since
  // what follows the head cannot be told apart from a next request.
  bool bodyUnread = false;
};

// Measures the request at the start of `data`. `scanFrom` is how far an
// earlier call on a shorter prefix found no end of head (0 the first time);
// it is updated, so slow senders cost no rescans.
RequestExtent measureRequest(std::string_view data, std::size_t& scanFrom, std::size_t maxHeadBytes,
                             std::size_t maxBodyBytes);

}  // namespace ped::server
