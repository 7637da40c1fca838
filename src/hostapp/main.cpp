// ped-host: the sales application's host. Logs the operator in on the
// application server, then opens the screens from their modules.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "buildinfo/build_info.h"
#include "hostapp/branch_lookup.h"
#include "hostapp/host_options.h"
#include "hostapp/host_runtime.h"
#include "hostapp/installed_config.h"
#include "hostapp/login_dialog.h"
#include "hostapp/module_directory.h"
#include "hostapp/session_end.h"
#include "netclient/net_connection.h"

namespace {

using namespace ped::hostapp;

volatile std::sig_atomic_t stopRequested = 0;
extern "C" void onSignal(int) { stopRequested = 1; }

// SIGINT and SIGTERM leave the event loop, so the modules are finalized as on
// a normal exit. A handler may not touch Qt: the flag is polled once the
// loop runs. The handlers are set first thing, so a stop asked for while the
// host logs in or opens its screens is not lost.
void catchStopSignals() {
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
}

void quitOnSignals(QApplication& app) {
  auto* poll = new QTimer(&app);
  QObject::connect(poll, &QTimer::timeout, &app, [] {
    if (stopRequested) QApplication::quit();
  });
  poll->start(200);
}

// Standard error always; a box too when an operator is at the screen.
int fail(const std::string& message, bool interactive) {
  std::cerr << "ped-host: " << message << '\n';
  if (interactive) QMessageBox::critical(nullptr, QStringLiteral("Erro"), QString::fromStdString(message));
  return 1;
}

std::unique_ptr<ped::hostlib::Database> openLookups(const std::string& target) {
  try {
    return std::make_unique<ped::hostlib::SqlDatabase>(target);
  } catch (const ped::hostlib::DatabaseError& e) {
    throw std::runtime_error(std::string("Banco de consultas indisponível. ") + e.what());
  }
}

// The operator's code once logged in; nullopt when the operator gave up.
std::optional<std::string> logIn(ped::netclient::TNetConnection& server, const HostOptions& options) {
  if (!options.scriptedLogin()) {
    LoginDialog dialog(server, QString::fromStdString(options.operatorCode));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.operatorCode();
  }
  const ped::hostlib::RemoteResult result =
      server.Login(options.operatorCode, readPasswordFile(options.passwordFile));
  if (!result.ok) throw std::runtime_error(result.error);
  return options.operatorCode;
}

}  // namespace

int main(int argc, char** argv) {
  // Before QApplication, so the help needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      std::cout << hostUsage();
      return 0;
    }
    if (std::string_view(argv[i]) == "--version") {
      std::cout << ped::buildinfo::versionLine("ped-host") << '\n';
      return 0;
    }
  }
  QApplication app(argc, argv);  // takes Qt's own options (-platform ...) out of argv
  catchStopSignals();
  HostOptions options;
  try {
    options =
        parseHostOptions(withDefaultConfig({argv + 1, argv + argc}, installedConfigFile(executableDir())));
  } catch (const std::exception& e) {
    std::cerr << "ped-host: " << e.what() << "\nUse --help para ver as opções.\n";
    return 2;
  }
  const bool interactive = !options.scriptedLogin();
  try {
    std::unique_ptr<ped::hostlib::Database> database = openLookups(options.database);
    const Branch branch = findBranch(*database, options.branch);

    ped::netclient::TNetConnection server;
    server.Host = options.serverHost;
    server.Port = options.serverPort;
    server.UseTls = options.serverTls;
    server.CaFile = options.caFile;
    server.InsecurePlainHttp = options.insecurePlainHttp;
    server.Open();
    const std::optional<std::string> operatorCode = logIn(server, options);
    if (!operatorCode) return 0;
    // Declared before the runtime, so the session ends after the screens
    // are finalized and unloaded.
    const SessionEnd sessionEnd(server);

    ped::hostlib::HostContext context;
    context.operador = *operatorCode;
    context.filiProc = branch.code;
    context.nomeFiliProc = branch.name;
    context.moduFili = options.bindBranch;
    context.webURL = options.serverHost;
    context.webPort = options.serverPort;
    context.webTls = options.serverTls;
    context.webCaFile = options.caFile;
    context.webInsecurePlainHttp = options.insecurePlainHttp;
    context.sessionToken = server.token();
    const char* modulesEnv = std::getenv("PED_MODULES_DIR");
    HostRuntime runtime(
        context, std::move(database), ped::hostlib::OptionsStore::forCurrentUser(),
        resolveModulesDir(options.modulesDir, modulesEnv, executableDir(), PED_BUILD_MODULES_DIR));
    runtime.window().showMaximized();
    quitOnSignals(app);
    for (const std::string& code : options.screens) runtime.openScreen(code);
    return app.exec();
  } catch (const std::exception& e) {
    return fail(e.what(), interactive);
  }
}
