#include "server/http/connection_reactor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "server/http/request_extent.h"

namespace ped::server {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSweepEvery = std::chrono::milliseconds(100);
// A served request's buffer larger than this is given back to the allocator
// rather than kept for the connection's next, small, request.
constexpr std::size_t kKeptBuffer = 64 * 1024;

char listenTag, wakeTag;

void arm(int epoll, int op, int fd, std::uint32_t events, void* tag) {
  epoll_event e{};
  e.events = events;
  e.data.ptr = tag;
  ::epoll_ctl(epoll, op, fd, &e);
}
constexpr std::uint32_t kReadable = EPOLLIN | EPOLLRDHUP | EPOLLONESHOT;
constexpr std::uint32_t kToClose = EPOLLOUT | EPOLLONESHOT;   // fires at once: the reactor closes it
constexpr std::uint32_t kWritable = EPOLLOUT | EPOLLONESHOT;  // a handshake waits to write

// A plain HTTP request to a TLS port gets a readable refusal rather than a
// dropped connection. The request's unread bytes are drained after it:
// closing over them would reset the connection and lose the answer.
void refusePlainHttp(int fd) {
  static const std::string kRefusal = [] {
    const std::string body = "Este servidor de aplicação atende somente HTTPS (TLS).";
    return "HTTP/1.1 426 Upgrade Required\r\nUpgrade: TLS/1.2, HTTP/1.1\r\nConnection: close\r\n"
           "Content-Type: text/plain; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
  }();
  [[maybe_unused]] auto n = ::send(fd, kRefusal.data(), kRefusal.size(), MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  char drain[4096];
  while (::recv(fd, drain, sizeof drain, 0) > 0) {
  }
}

void peerOf(const sockaddr_storage& addr, std::string& address, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
    ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    port = ntohs(in6->sin6_port);
  } else {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    port = ntohs(in->sin_port);
  }
  address = text;
}

}  // namespace

void raiseOpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

ConnectionReactor::ConnectionReactor(int listenFd, ReactorOptions options, ElasticThreadPool& workers,
                                     Serve serve)
    : listenFd_(listenFd), options_(options), workers_(workers), serve_(std::move(serve)) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (epoll_ < 0 || wake_ < 0)
    throw std::runtime_error("Não foi possível preparar a espera das conexões (epoll).");
  arm(epoll_, EPOLL_CTL_ADD, listenFd_, EPOLLIN, &listenTag);
  arm(epoll_, EPOLL_CTL_ADD, wake_, EPOLLIN, &wakeTag);
}

ConnectionReactor::~ConnectionReactor() {
  closeAllNotBusy();
  if (listenFd_ >= 0) ::close(listenFd_);
  ::close(wake_);
  ::close(epoll_);
}

void ConnectionReactor::stop() {
  stopping_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
}

void ConnectionReactor::run() {
  epoll_event events[256];
  auto nextSweep = Clock::now() + kSweepEvery;
  bool acceptingStopped = false;
  for (;;) {
    if (stopping_ && !acceptingStopped) {
      ::epoll_ctl(epoll_, EPOLL_CTL_DEL, listenFd_, nullptr);
      ::close(listenFd_);
      listenFd_ = -1;
      acceptingStopped = true;
      closeAllNotBusy();
    }
    if (acceptingStopped && busy_ == 0) break;
    const int n = ::epoll_wait(epoll_, events, 256, static_cast<int>(kSweepEvery.count()));
    for (int i = 0; i < n; ++i) {
      void* tag = events[i].data.ptr;
      if (tag == &listenTag) {
        accept();
      } else if (tag == &wakeTag) {
        std::uint64_t count;
        [[maybe_unused]] auto r = ::read(wake_, &count, sizeof count);
      } else {
        onEvent(static_cast<Connection*>(tag));
      }
    }
    if (Clock::now() >= nextSweep) {
      sweep();
      nextSweep = Clock::now() + kSweepEvery;
    }
  }
  closeAllNotBusy();
}

void ConnectionReactor::accept() {
  for (;;) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    const int fd =
        ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno != EMFILE && errno != ENFILE) return;  // drained
      // Out of descriptors: make room, or stop listening until the next
      // sweep, rather than spin on a listening socket that stays readable.
      if (evictIdlest()) continue;
      arm(epoll_, EPOLL_CTL_MOD, listenFd_, 0, &listenTag);
      listenPaused_ = true;
      return;
    }
    std::string address;
    int port = 0;
    peerOf(addr, address, port);
    admit(fd, std::move(address), port);
  }
}

void ConnectionReactor::admit(int fd, std::string address, int port) {
  const auto known = perPeer_.find(address);
  const bool peerFull = known != perPeer_.end() && known->second >= options_.maxConnectionsPerPeer;
  // Making room may close this address's last connection and erase its
  // count: the count is taken only afterwards.
  if (peerFull || (open_ >= options_.maxConnections && !evictIdlest())) {
    ::close(fd);
    return;
  }
  auto c = std::make_unique<Connection>();
  if (options_.tls) {
    c->tls = std::make_unique<TlsSession>(options_.tls, fd);
    if (!c->tls->valid()) {
      ::close(fd);
      return;
    }
  }
  ++perPeer_[address];
  int yes = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  c->fd = fd;
  c->peerAddress = std::move(address);
  c->peerPort = port;
  c->since = Clock::now();
  // A TLS handshake is bounded like a request: a peer that never finishes
  // it costs a socket until then, never a thread.
  c->deadline = c->since + (c->tls ? options_.requestTimeout : options_.idleTimeout);
  Connection* raw = c.get();
  connections_.emplace(raw, std::move(c));
  ++open_;
  arm(epoll_, EPOLL_CTL_ADD, fd, kReadable, raw);
}

void ConnectionReactor::onEvent(Connection* c) {
  if (c->state.load(std::memory_order_acquire) == Connection::State::Closing) return close(c);
  if (c->tls && !c->tls->established()) return shakeHands(c);
  readFrom(c);
}

void ConnectionReactor::shakeHands(Connection* c) {
  switch (c->tls->handshake()) {
    case TlsSession::Io::Done:
      c->since = Clock::now();
      c->deadline = c->since + options_.idleTimeout;
      // The request may have come with the handshake's last message.
      return readFrom(c);
    case TlsSession::Io::WantRead:
      return arm(epoll_, EPOLL_CTL_MOD, c->fd, kReadable, c);
    case TlsSession::Io::WantWrite:
      return arm(epoll_, EPOLL_CTL_MOD, c->fd, kWritable, c);
    case TlsSession::Io::Closed:
    case TlsSession::Io::Failed:
      if (c->tls->peerSpokePlainHttp()) refusePlainHttp(c->fd);
      return close(c);
  }
}

ConnectionReactor::Verdict ConnectionReactor::readSome(Connection* c) {
  char chunk[64 * 1024];
  for (;;) {
    ssize_t n;
    if (c->tls) {
      std::size_t got = 0;
      switch (c->tls->read(chunk, sizeof chunk, got)) {
        case TlsSession::Io::Done:
          n = static_cast<ssize_t>(got);
          break;
        case TlsSession::Io::WantRead:
          return Verdict::Partial;
        default:
          // Closed, failed, or a read that must first write (a key update
          // meeting a full send buffer): dropped, and the client reconnects.
          return Verdict::Lost;
      }
    } else {
      n = ::recv(c->fd, chunk, sizeof chunk, 0);
    }
    if (n > 0) {
      if (c->buffer.empty()) {
        c->deadline = Clock::now() + options_.requestTimeout;  // a request starts
        c->since = Clock::now();
      }
      c->buffer.append(chunk, static_cast<std::size_t>(n));
      const Verdict verdict = measure(c);
      if (verdict != Verdict::Partial) return verdict;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Verdict::Partial;
    return Verdict::Lost;  // the peer closed, or the connection failed
  }
}

void ConnectionReactor::readFrom(Connection* c) {
  switch (readSome(c)) {
    case Verdict::Whole:
      return dispatch(c);
    case Verdict::Partial:
      return arm(epoll_, EPOLL_CTL_MOD, c->fd, kReadable, c);
    case Verdict::Refused:
    case Verdict::Lost:
      return close(c);
  }
}

ConnectionReactor::Verdict ConnectionReactor::measure(Connection* c) {
  const RequestExtent extent =
      measureRequest(c->buffer, c->scanned, options_.maxHeadBytes, options_.maxBodyBytes);
  if (extent.state == RequestExtent::State::HeadTooLarge) {
    static constexpr char kRefusal[] =
        "HTTP/1.1 431 Request Header Fields Too Large\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
    if (c->tls) {
      c->tls->write(kRefusal, sizeof kRefusal - 1);  // one attempt, as below
    } else {
      [[maybe_unused]] auto n = ::send(c->fd, kRefusal, sizeof kRefusal - 1, MSG_NOSIGNAL);
    }
    return Verdict::Refused;
  }
  // A TLS handshake sent to a plain HTTP port: no request ever comes of it,
  // so the client learns at once rather than at the deadline.
  if (!c->tls && !c->buffer.empty() && c->buffer[0] == '\x16') return Verdict::Refused;
  if (extent.state != RequestExtent::State::Complete) {
    if (extent.bytes > c->buffer.capacity()) c->buffer.reserve(extent.bytes);
    return Verdict::Partial;
  }
  c->requestBytes = extent.bytes;
  c->bodyUnread = extent.bodyUnread;
  return Verdict::Whole;
}

void ConnectionReactor::dispatch(Connection* c) {
  c->state.store(Connection::State::Busy, std::memory_order_release);
  ++busy_;
  workers_.enqueue([this, c] { serveOn(c); });
}

void ConnectionReactor::serveOn(Connection* c) {
  for (;;) {
    if (!serve_(*c) || c->bodyUnread || stopping_) return handBack(c, Connection::State::Closing);
    c->since = Clock::now();  // idle from the answer on, however long the worker lingers
    c->buffer.erase(0, c->requestBytes);
    c->requestBytes = 0;
    c->scanned = 0;
    if (c->buffer.capacity() > kKeptBuffer) c->buffer.shrink_to_fit();
    switch (awaitNext(c)) {
      case Verdict::Whole:
        continue;
      case Verdict::Partial:
        if (c->buffer.empty()) c->deadline = c->since + options_.idleTimeout;
        return handBack(c, Connection::State::Reading);
      case Verdict::Refused:
      case Verdict::Lost:
        return handBack(c, Connection::State::Closing);
    }
  }
}

ConnectionReactor::Verdict ConnectionReactor::awaitNext(Connection* c) {
  // A request sent right behind the last one may be here whole already.
  if (measure(c) != Verdict::Partial) return measure(c);
  // A screen calling again at once is served on this thread, without the
  // hand-over to the reactor and back: two thread wake-ups fewer per call.
  const auto until = Clock::now() + options_.linger;
  for (;;) {
    // Bytes OpenSSL already decrypted do not make the socket readable.
    if (c->tls && c->tls->pending() > 0) {
      const Verdict verdict = readSome(c);
      if (verdict != Verdict::Partial) return verdict;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0 || stopping_) return Verdict::Partial;
    pollfd p{c->fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return Verdict::Partial;
    const Verdict verdict = readSome(c);
    if (verdict != Verdict::Partial) return verdict;
  }
}

void ConnectionReactor::handBack(Connection* c, Connection::State state) {
  const int fd = c->fd;
  c->state.store(state, std::memory_order_release);
  // From here on the reactor owns the connection again; touch nothing of it.
  arm(epoll_, EPOLL_CTL_MOD, fd, state == Connection::State::Reading ? kReadable : kToClose, c);
  if (--busy_ == 0 && stopping_) {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
  }
}

void ConnectionReactor::sweep() {
  const auto now = Clock::now();
  if (listenPaused_ && listenFd_ >= 0) {
    arm(epoll_, EPOLL_CTL_MOD, listenFd_, EPOLLIN, &listenTag);
    listenPaused_ = false;
  }
  std::vector<Connection*> expired;
  for (auto& [raw, c] : connections_)
    if (c->state.load(std::memory_order_acquire) == Connection::State::Reading && now >= c->deadline)
      expired.push_back(raw);
  for (Connection* c : expired) close(c);
}

bool ConnectionReactor::evictIdlest() {
  // Idle keep-alive connections go first, then the slowest unfinished request.
  Connection* victim = nullptr;
  bool victimIdle = false;
  for (auto& [raw, c] : connections_) {
    if (c->state.load(std::memory_order_acquire) != Connection::State::Reading) continue;
    const bool idle = c->buffer.empty();
    if (!victim || (idle && !victimIdle) || (idle == victimIdle && c->since < victim->since)) {
      victim = raw;
      victimIdle = idle;
    }
  }
  if (!victim) return false;
  close(victim);
  return true;
}

void ConnectionReactor::close(Connection* c) {
  ::epoll_ctl(epoll_, EPOLL_CTL_DEL, c->fd, nullptr);
  if (c->tls) {
    c->tls->shutdown();
    c->tls.reset();
  }
  ::close(c->fd);
  c->fd = -1;
  if (auto it = perPeer_.find(c->peerAddress); it != perPeer_.end() && --it->second == 0) perPeer_.erase(it);
  --open_;
  connections_.erase(c);
}

void ConnectionReactor::closeAllNotBusy() {
  std::vector<Connection*> idle;
  for (auto& [raw, c] : connections_)
    if (c->state.load(std::memory_order_acquire) != Connection::State::Busy) idle.push_back(raw);
  for (Connection* c : idle) close(c);
}

}  // namespace ped::server
