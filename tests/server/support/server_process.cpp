#include "server/support/server_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace ped::server::testing {

ServerProcess::ServerProcess(std::string database, std::string logFile)
    : database_(std::move(database)), log_(std::move(logFile)) {
  static int serial = 0;
  err_ = "/tmp/ped00800-server-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".err";
}

void ServerProcess::start(const std::vector<std::string>& options) {
  const char* exe = std::getenv("PED_SERVER_EXE") ? std::getenv("PED_SERVER_EXE") : PED_SERVER_EXE;
  std::vector<std::string> args = {
      exe, "--database", database_, "--port", "0", "--log", log_.empty() ? "/dev/null" : log_};
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int rc = posix_spawn(&pid_, exe, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    throw std::runtime_error(std::string("cannot start ") + exe);
  }
  // The port is announced on standard error once the server listens.
  port_ = 0;
  for (int i = 0; i < 400 && port_ == 0; ++i) {
    std::ifstream in(err_);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    if (const auto at = text.find("://127.0.0.1:"); at != std::string::npos)  // http or https
      port_ = std::atoi(text.c_str() + at + 13);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  if (port_ == 0) throw std::runtime_error("ped00800-server announced no port");
}

void ServerProcess::kill9() { stop(SIGKILL, 10); }

ServerProcess::~ServerProcess() {
  kill9();
  std::remove(err_.c_str());
}

long ServerProcess::residentMiB() const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  return -1;
}

int ServerProcess::stop(int signal, double seconds, double* took) {
  if (pid_ <= 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  ::kill(pid_, signal);
  int status = 0;
  for (;;) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) break;
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > seconds) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      status = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (took) *took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  pid_ = -1;
  return status;
}

}  // namespace ped::server::testing
