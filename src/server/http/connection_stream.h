#pragma once
// The cpp-httplib stream a request is served through once the reactor has
// read it whole: reads come from the bytes in memory, writes go to the
// connection's socket and must all be done by one deadline, so a client that
// reads its answer slowly cannot hold the serving thread for long. On a TLS
// connection the answer is written through its session, under the same
// deadline.

#include <httplib.h>

#include <chrono>
#include <string>
#include <string_view>

#include "server/http/tls_session.h"

namespace ped::server {

class ConnectionStream final : public httplib::Stream {
 public:
  // `request` and `tls` (null on plain HTTP) must outlive the stream. `fd`
  // is non-blocking.
  ConnectionStream(int fd, TlsSession* tls, std::string_view request, const std::string& peerAddress,
                   int peerPort, std::chrono::steady_clock::time_point writeDeadline);

  bool is_readable() const override { return read_ < request_.size(); }
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  // cpp-httplib refuses (500) a socket number past select()'s FD_SETSIZE,
  // which this stream never hands to select(); beyond it, a placeholder.
  socket_t socket() const override { return fd_ < FD_SETSIZE ? fd_ : 0; }

  // Bytes of the answer written so far.
  std::size_t written() const { return written_; }

 private:
  // Waits for `events` on the socket until the deadline; false once it passed.
  bool waitFor(short events) const;
  ssize_t writeTls(const char* ptr, size_t size);

  const int fd_;
  TlsSession* const tls_;
  const std::string_view request_;
  std::size_t read_ = 0;
  std::size_t written_ = 0;
  const std::string& peerAddress_;
  const int peerPort_;
  const std::chrono::steady_clock::time_point writeDeadline_;
};

}  // namespace ped::server
