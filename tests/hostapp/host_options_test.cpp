// The host's options: command line over configuration file over defaults,
// and a Portuguese refusal for every bad option.

#include "hostapp/host_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "hostapp/installed_config.h"
#include "hostapp/module_directory.h"

namespace ped::hostapp {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class TempFile {
 public:
  explicit TempFile(const std::string& text)
      : path_(fs::temp_directory_path() /
              ("ped-host-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++))) {
    std::ofstream(path_) << text;
  }
  ~TempFile() { fs::remove(path_); }
  std::string path() const { return path_.string(); }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

std::string errorOf(const Args& args) {
  try {
    parseHostOptions(args);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(aceito)";
}

TEST(HostOptions, CommandLineSetsEverySettingAndNormalizesScreenCodes) {
  const HostOptions o =
      parseHostOptions({"--server", "10.1.2.3:9001", "--database=host=db dbname=ped", "--operator",
                        " GERENTE ", "--password-file", "senha.txt", "--branch", "0002", "--bind-branch",
                        "--open", " ped00800", "--open=Ped01100", "--modules-dir", "mods"});
  EXPECT_EQ(o.serverHost, "10.1.2.3");
  EXPECT_EQ(o.serverPort, 9001);
  EXPECT_EQ(o.database, "host=db dbname=ped");
  EXPECT_EQ(o.operatorCode, "GERENTE");
  EXPECT_TRUE(o.scriptedLogin());
  EXPECT_EQ(o.branch, "0002");
  EXPECT_TRUE(o.bindBranch);
  EXPECT_EQ(o.screens, (Args{"PED00800", "PED01100"}));
  EXPECT_EQ(o.modulesDir, "mods");

  const HostOptions ipv6 = parseHostOptions({"--server", "[::1]:8800", "--operator", "X"});
  EXPECT_EQ(ipv6.serverHost, "::1");
  EXPECT_FALSE(ipv6.scriptedLogin());
  EXPECT_TRUE(parseHostOptions({"-h"}).help);
}

TEST(HostOptions, TheCommandLineWinsOverTheConfigurationFile) {
  TempFile config(
      "# host de teste\n"
      "server = 192.168.0.9:8801\n"
      "branch = 0002   # filial norte\n"
      "bind-branch = sim\n"
      "open = PED00800\n"
      "open = ped01100\n");
  const HostOptions fromFile = parseHostOptions({"--config", config.path()});
  EXPECT_EQ(fromFile.serverHost, "192.168.0.9");
  EXPECT_EQ(fromFile.serverPort, 8801);
  EXPECT_EQ(fromFile.branch, "0002");
  EXPECT_TRUE(fromFile.bindBranch);
  EXPECT_EQ(fromFile.screens, (Args{"PED00800", "PED01100"}));

  // Wherever --config stands, the command line's own options win.
  const HostOptions both = parseHostOptions(
      {"--branch", "0003", "--no-bind-branch", "--open", "PED02200", "--config", config.path()});
  EXPECT_EQ(both.serverPort, 8801);
  EXPECT_EQ(both.branch, "0003");
  EXPECT_FALSE(both.bindBranch);
  EXPECT_EQ(both.screens, (Args{"PED02200"}));
}

TEST(HostOptions, BadOptionsAreRefusedInPortuguese) {
  EXPECT_EQ(errorOf({"--porta", "1"}), "Opção desconhecida: --porta. Veja --help.");
  EXPECT_EQ(errorOf({"--modules"}), "Opção desconhecida: --modules. Veja --help.");
  EXPECT_EQ(errorOf({"PED00800"}), "Argumento inesperado: PED00800. Veja --help.");
  EXPECT_EQ(errorOf({"--database"}), "Falta o valor de --database.");
  EXPECT_EQ(errorOf({"--server", "localhost"}),
            "Valor inválido para --server: \"localhost\" (esperado endereço:porta, http://endereço:porta "
            "ou https://endereço:porta).");
  EXPECT_TRUE(
      errorOf({"--server", "ftp://srv:21"}).starts_with("Valor inválido para --server: \"ftp://srv:21\""));
  EXPECT_EQ(errorOf({"--insecure-plain-http=talvez"}),
            "Valor inválido para --insecure-plain-http: \"talvez\" (use sim ou não).");
  EXPECT_EQ(errorOf({"--server", "localhost:0"}), "Porta inválida em --server: \"0\" (de 1 a 65535).");
  // A code names a module file: nothing that could leave the modules folder.
  EXPECT_EQ(errorOf({"--open", "../../tmp/x"}), "Código de tela inválido em --open: \"../../tmp/x\".");
  EXPECT_EQ(errorOf({"--bind-branch=talvez"}),
            "Valor inválido para --bind-branch: \"talvez\" (use sim ou não).");
  EXPECT_EQ(errorOf({"--password-file", "senha.txt"}), "--password-file exige --operator.");
  EXPECT_EQ(errorOf({"--config", "/nao/existe.conf"}),
            "Não foi possível ler o arquivo de configuração /nao/existe.conf.");

  TempFile noEquals("server = 127.0.0.1:1\nbranch 0001\n");
  EXPECT_EQ(errorOf({"--config", noEquals.path()}),
            noEquals.path() + ", linha 2: esperado \"chave = valor\".");
}

TEST(HostOptions, TheServerMayBeGivenWithItsSchemeAndTheCaThatSignedIt) {
  const HostOptions https =
      parseHostOptions({"--server", "https://srv.exemplo:8443/", "--ca-file", "/etc/ped00800/ca.pem"});
  EXPECT_EQ(https.serverHost, "srv.exemplo");
  EXPECT_EQ(https.serverPort, 8443);
  EXPECT_TRUE(https.serverTls);
  EXPECT_EQ(https.caFile, "/etc/ped00800/ca.pem");
  EXPECT_FALSE(https.insecurePlainHttp);

  TempFile config("server = https://[fd00::5]:8443\ninsecure-plain-http = sim\n");
  const HostOptions fromFile = parseHostOptions({"--config", config.path()});
  EXPECT_EQ(fromFile.serverHost, "fd00::5");
  EXPECT_TRUE(fromFile.serverTls);
  EXPECT_TRUE(fromFile.insecurePlainHttp);
  // A plain address on the command line is plain HTTP, whatever the file said.
  const HostOptions plain = parseHostOptions({"--config", config.path(), "--server", "http://10.0.0.5:8800"});
  EXPECT_EQ(plain.serverHost, "10.0.0.5");
  EXPECT_FALSE(plain.serverTls);
}

TEST(HostOptions, ThePasswordIsTheFirstLineOfItsFile) {
  TempFile windowsLines("gerente123\r\nsegunda linha\n");
  EXPECT_EQ(readPasswordFile(windowsLines.path()), "gerente123");
  EXPECT_THROW(readPasswordFile("/nao/existe.txt"), std::runtime_error);
}

TEST(ModulesDir, OptionThenEnvironmentThenInstalledFolderThenBuildTree) {
  const fs::path root = fs::temp_directory_path() / ("ped-host-mods-" + std::to_string(::getpid()));
  fs::create_directories(root / "bin");
  EXPECT_EQ(resolveModulesDir("opt", "env", root / "bin", "build"), "opt");
  EXPECT_EQ(resolveModulesDir("", "env", root / "bin", "build"), "env");
  EXPECT_EQ(resolveModulesDir("", "", root / "bin", "build"), "build");
  fs::create_directories(root / "lib" / "ped00800" / "modules");
  EXPECT_EQ(resolveModulesDir("", nullptr, root / "bin", "build"), root / "lib" / "ped00800" / "modules");
  fs::remove_all(root);
}

TEST(InstalledConfig, AnInstalledHostReadsItsPrefixConfigurationUnlessOneIsNamed) {
  const fs::path root = fs::temp_directory_path() / ("ped-host-conf-" + std::to_string(::getpid()));
  fs::create_directories(root / "bin");
  EXPECT_EQ(installedConfigFile(root / "bin"), fs::path());  // a build tree has none
  EXPECT_EQ(installedConfigFile(fs::path()), fs::path());
  fs::create_directories(root / "etc" / "ped00800");
  std::ofstream(root / "etc" / "ped00800" / "cliente.conf") << "server = 10.0.0.5:9000\nbranch = 0002\n";
  const fs::path file = installedConfigFile(root / "bin");
  EXPECT_EQ(file, root / "etc" / "ped00800" / "cliente.conf");

  const HostOptions fromFile = parseHostOptions(withDefaultConfig({"--branch", "0003"}, file));
  EXPECT_EQ(fromFile.serverHost, "10.0.0.5");
  EXPECT_EQ(fromFile.branch, "0003");  // the command line still wins
  // A configuration named on the command line replaces the installed one.
  TempFile own("branch = 0009\n");
  EXPECT_EQ(parseHostOptions(withDefaultConfig({"--config=" + own.path()}, file)).serverHost, "127.0.0.1");
  EXPECT_EQ(parseHostOptions(withDefaultConfig({"--config", own.path()}, file)).serverPort, 8800);
  fs::remove_all(root);
}

}  // namespace
}  // namespace ped::hostapp
