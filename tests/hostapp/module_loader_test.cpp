// Screen modules opened the way the host opens them: real shared objects
// (fake_screen_module.cpp) that find this test executable's ScreenHost and
// open their windows in its workspace.

#include "hostapp/module_loader.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hostapp/host_runtime.h"
#include "hostapp/screen_host_export.h"

namespace ped::hostapp {
namespace {

namespace fs = std::filesystem;

// The fake modules' record of their entry points, one run at a time.
class EntryLog {
 public:
  EntryLog()
      : path_(fs::temp_directory_path() / ("ped-host-modules-" + std::to_string(::getpid()) + ".log")) {
    fs::remove(path_);
    ::setenv("PED_FAKE_MODULE_LOG", path_.c_str(), 1);
  }
  ~EntryLog() { fs::remove(path_); }
  std::string text() const {
    std::ifstream in(path_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  fs::path path_;
};

std::string errorOf(ModuleLoader& loader, const char* code) {
  try {
    loader.open(code);
  } catch (const ModuleError& e) {
    return e.what();
  }
  return "(aberta)";
}

QStringList titles(const QMdiArea& workspace) {
  QStringList out;
  for (const QMdiSubWindow* w : workspace.subWindowList()) out << w->widget()->windowTitle();
  return out;
}

class ModuleLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.services.vantora = &vantora_;
    host_.workspace = &workspace_;
    publishScreenHost(&host_);
  }
  void TearDown() override { publishScreenHost(nullptr); }

  EntryLog log_;
  hostlib::Vantora vantora_{hostlib::HostContext{.operador = "GERENTE"}, nullptr};
  QMdiArea workspace_;
  hostlib_qt::ScreenHost host_;
  ModuleLoader loader_{PED_FAKE_MODULES_DIR};
};

TEST_F(ModuleLoaderTest, InitializesOnceOpensEachTimeAndFinalizesLastLoadedFirst) {
  loader_.open("PED09990");
  loader_.open(" ped09990 ");
  loader_.open("PED09992");
  EXPECT_TRUE(loader_.isLoaded("ped09990"));
  EXPECT_EQ(titles(workspace_),
            (QStringList{"PED09990 - GERENTE", "PED09990 - GERENTE", "PED09992 - GERENTE"}));

  std::string atUnload;
  loader_.unloadAll([&] { atUnload = log_.text(); });
  EXPECT_EQ(atUnload,
            "PED09990 Initialize\nPED09990 IniProc GERENTE\nPED09990 IniProc GERENTE\n"
            "PED09992 Initialize\nPED09992 IniProc GERENTE\n"
            "PED09992 Finalize\nPED09990 Finalize\n");
  EXPECT_FALSE(loader_.isLoaded("PED09990"));
  EXPECT_EQ(errorOf(loader_, "PED09990"),
            "A aplicação está sendo encerrada: a tela PED09990 não será aberta.");
  EXPECT_EQ(log_.text(), atUnload) << "nothing runs after the unloading";
}

TEST_F(ModuleLoaderTest, MissingOrIncompleteModulesAreRefusedWithoutAnyCall) {
  EXPECT_EQ(errorOf(loader_, "PED01100"), "Tela PED01100 não disponível nesta instalação.");
  EXPECT_EQ(errorOf(loader_, "ped09991"), "Tela PED09991 inválida: falta a função IniProc.");
  EXPECT_FALSE(loader_.isLoaded("PED09991"));
  EXPECT_EQ(errorOf(loader_, "../hostapp/ped09990"), "Código de tela inválido: \"../hostapp/ped09990\".");

  const fs::path notAModule = fs::path(PED_FAKE_MODULES_DIR) / "ped09993.so";
  std::ofstream(notAModule) << "not an ELF file";
  EXPECT_TRUE(errorOf(loader_, "PED09993").starts_with("Tela PED09993 não pôde ser carregada: "));
  fs::remove(notAModule);

  EXPECT_EQ(log_.text(), "");
  EXPECT_TRUE(workspace_.subWindowList().isEmpty());

  // A module that could not start is finalized and unloaded, not kept as if
  // it had loaded.
  EXPECT_EQ(errorOf(loader_, "PED09994"),
            "Tela PED09994 não pôde ser iniciada: o módulo não reconhece este hospedeiro.");
  EXPECT_FALSE(loader_.isLoaded("PED09994"));
  EXPECT_EQ(log_.text(), "PED09994 Initialize\nPED09994 Finalize\n");
}

class RefusesToClose : public QWidget {
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// The whole host after log-in: main window, the published ScreenHost, and
// screens opened and closed through it.
TEST(HostRuntimeTest, OpensScreensInItsWindowAndShutsDownInOrder) {
  EntryLog log;
  hostlib::HostContext context{.operador = "VENDEDOR1",
                               .filiProc = "0001",
                               .nomeFiliProc = "Matriz São Paulo",
                               .moduFili = true,
                               .webURL = "127.0.0.1",
                               .webPort = 8800};
  QStringList shown;
  {
    HostRuntime runtime(context, nullptr, hostlib::OptionsStore(fs::temp_directory_path()),
                        PED_FAKE_MODULES_DIR);
    EXPECT_EQ(PedScreenHost(), &runtime.screenHost());
    MainWindow& window = runtime.window();
    EXPECT_EQ(window.objectName(), "frmPrincipal");
    EXPECT_EQ(window.windowTitle(), "Vendas - VENDEDOR1 - Filial 0001 Matriz São Paulo");
    EXPECT_EQ(window.findChild<QLabel*>("lblVinculo")->text(), "Vínculo à filial: sim");
    EXPECT_EQ(window.findChild<QLabel*>("lblServidor")->text(), "Servidor: 127.0.0.1:8800");
    window.show();

    // Modules ask for screens through the session's LoadBPL.
    runtime.screenHost().services.vantora->LoadBPL("PED09990", "");
    runtime.openScreen("PED09992");
    EXPECT_EQ(titles(*window.workspace()), (QStringList{"PED09990 - VENDEDOR1", "PED09992 - VENDEDOR1"}));
    window.workspace()->tileSubWindows();
    QDir().mkpath("screens");
    EXPECT_TRUE(window.grab().save("screens/main_window.png"));

    // A failure is an error box over the window, not an exception.
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown << box->text();
        box->accept();
      }
    });
    runtime.openScreen("PED01100");
    EXPECT_EQ(shown, QStringList{"Tela PED01100 não disponível nesta instalação."});
    // A screen that refuses to close (unsaved work) keeps the host open.
    QMdiSubWindow* stubborn = window.workspace()->addSubWindow(new RefusesToClose);
    stubborn->show();
    EXPECT_FALSE(window.close());
    delete stubborn;
    EXPECT_TRUE(window.close());
  }
  EXPECT_EQ(
      log.text(),
      "PED09990 Initialize\nPED09990 IniProc VENDEDOR1\nPED09992 Initialize\nPED09992 IniProc VENDEDOR1\n"
      "PED09992 Finalize\nPED09990 Finalize\n");
  EXPECT_EQ(PedScreenHost(), nullptr);
}

}  // namespace
}  // namespace ped::hostapp
