// The host ends its session on the server when it closes, and a dead server
// does not hold the closing host.

#include "hostapp/session_end.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/demo_server.h"
#include "support/fault_proxy.h"

namespace ped::hostapp {
namespace {

constexpr std::string_view kSessionRefused = "Sessão inválida ou expirada. Entre novamente.";

TEST(SessionEndTest, ClosingEndsTheSessionAndARepeatedLogoutStillSucceeds) {
  // Through a proxy that loses the first Logout's answer: the client sends it
  // again under the same key, on a session the server has already ended.
  ped::testing::FaultProxy proxy(ped::testing::demoServer().port);
  proxy.loseAnswer("Logout");
  netclient::TNetConnection net;
  net.Port = proxy.port();
  net.Open();
  ASSERT_TRUE(net.Login("GERENTE", "gerente123").ok);
  const std::string token = net.token();
  ASSERT_TRUE(net.call("GetParam", {"0001", "GERENTE"}).ok);

  { const SessionEnd closing(net); }
  EXPECT_EQ(net.token(), "");
  const auto keys = proxy.keysOf("Logout");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], keys[1]);

  netclient::TNetConnection stale;
  stale.Port = ped::testing::demoServer().port;
  stale.Open();
  stale.setToken(token);
  EXPECT_EQ(stale.call("GetParam", {"0001", "GERENTE"}).error, kSessionRefused);
  const auto again = stale.Logout();
  EXPECT_TRUE(again.ok) << again.error;
}

TEST(SessionEndTest, TheRealHostLogsOutWhenItIsClosed) {
  ped::testing::FaultProxy proxy(ped::testing::demoServer().port);
  const auto passwordFile =
      std::filesystem::temp_directory_path() / ("ped-host-senha-" + std::to_string(::getpid()));
  std::ofstream(passwordFile) << "gerente123\n";
  std::vector<std::string> args = {PED_HOST_EXE,
                                   "--server",
                                   "127.0.0.1:" + std::to_string(proxy.port()),
                                   "--database",
                                   ped::testing::demoServer().database,
                                   "--operator",
                                   "GERENTE",
                                   "--password-file",
                                   passwordFile.string()};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t host = -1;
  ASSERT_EQ(::posix_spawn(&host, PED_HOST_EXE, nullptr, nullptr, argv.data(), environ), 0);
  const auto calledLogin = [&] {
    const auto calls = proxy.calls();
    return std::find(calls.begin(), calls.end(), "Login") != calls.end();
  };
  for (int i = 0; i < 400 && !calledLogin(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_TRUE(calledLogin());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // into its event loop
  ::kill(host, SIGTERM);  // closes as the window's close does: the event loop ends
  int status = 0;
  ::waitpid(host, &status, 0);
  std::filesystem::remove(passwordFile);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const auto calls = proxy.calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "Logout");
}

TEST(SessionEndTest, ASilentServerDoesNotHoldTheClosingHost) {
  // Listens but never answers: connections are made, answers never come.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(fd, 8), 0);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);

  netclient::TNetConnection net;
  net.Port = ntohs(address.sin_port);
  net.Open();
  net.setToken(std::string(64, 'a'));
  const auto start = std::chrono::steady_clock::now();
  const auto result = net.Logout();
  const auto waited = std::chrono::steady_clock::now() - start;
  ::close(fd);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(net.token(), std::string(64, 'a'));  // a failed log-out is not reported as done
  // Without the bound the read would wait its usual 60 s.
  EXPECT_LT(waited, std::chrono::seconds(10));
}

}  // namespace
}  // namespace ped::hostapp
