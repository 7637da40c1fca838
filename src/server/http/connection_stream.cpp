#include "server/http/connection_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace ped::server {

ConnectionStream::ConnectionStream(int fd, TlsSession* tls, std::string_view request,
                                   const std::string& peerAddress, int peerPort,
                                   std::chrono::steady_clock::time_point writeDeadline)
    : fd_(fd),
      tls_(tls),
      request_(request),
      peerAddress_(peerAddress),
      peerPort_(peerPort),
      writeDeadline_(writeDeadline) {}

bool ConnectionStream::is_writable() const { return std::chrono::steady_clock::now() < writeDeadline_; }

ssize_t ConnectionStream::read(char* ptr, size_t size) {
  const std::size_t n = std::min(size, request_.size() - read_);
  std::memcpy(ptr, request_.data() + read_, n);
  read_ += n;
  return static_cast<ssize_t>(n);
}

bool ConnectionStream::waitFor(short events) const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(writeDeadline_ -
                                                                          std::chrono::steady_clock::now());
  if (left.count() <= 0) return false;
  pollfd p{fd_, events, 0};
  return ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000))) >= 0 || errno == EINTR;
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
  if (tls_) return writeTls(ptr, size);
  std::size_t sent = 0;
  while (sent < size) {
    const ssize_t n = ::send(fd_, ptr + sent, size - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    if (!waitFor(POLLOUT)) return -1;
  }
  written_ += size;
  return static_cast<ssize_t>(size);
}

ssize_t ConnectionStream::writeTls(const char* ptr, size_t size) {
  if (size == 0) return 0;
  for (;;) {
    switch (tls_->write(ptr, size)) {
      case TlsSession::Io::Done:
        written_ += size;
        return static_cast<ssize_t>(size);
      case TlsSession::Io::WantWrite:
        if (!waitFor(POLLOUT)) return -1;
        break;
      case TlsSession::Io::WantRead:
        if (!waitFor(POLLIN)) return -1;
        break;
      default:
        return -1;
    }
  }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  ip = peerAddress_;
  port = peerPort_;
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  ip.clear();
  port = 0;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    port = ntohs(in->sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
    ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    port = ntohs(in6->sin6_port);
  }
  ip = text;
}

}  // namespace ped::server
