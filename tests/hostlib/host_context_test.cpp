// The session context the host gives screens, and the saved filter options.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "hostlib/options_store.h"
#include "hostlib/vantora.h"
#include "support/scripted_host.h"

namespace ped::hostlib {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() : path_(fs::temp_directory_path() / ("ped-opcoes-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(Vantora, ContextPictureLevelsAndOpeningScreens) {
  ScriptedHost host;
  Vantora vantora({.operador = "ANA", .filiProc = "0001", .nomeFiliProc = "Matriz", .moduFili = true},
                  [&](std::string_view code, std::string_view param) { host.openScreen(code, param); });
  EXPECT_EQ(vantora.Operador(), "ANA");
  EXPECT_TRUE(vantora.ModuFili());
  EXPECT_EQ(vantora.DBPict(0), "99.99.999;0;_");
  EXPECT_EQ(vantora.DBPict(1), "");
  EXPECT_EQ(vantora.DBPictObj(0).GetTtNiveis(), 3);
  EXPECT_EQ(PictureObject("999;0;_").GetTtNiveis(), 1);
  EXPECT_EQ(PictureObject("9.9-99/9;0;_").GetTtNiveis(), 4);
  EXPECT_EQ(PictureObject("").GetTtNiveis(), 0);
  vantora.LoadBPL("PED01100", "0001");
  EXPECT_EQ(host.take(), std::vector<std::string>{"tela: PED01100 0001"});
}

TEST(OptionsStore, ListsRoundTripPerOperatorAndScreen) {
  TempFolder folder;
  const OptionsStore store(folder.path());
  OptionsList options;
  options.set("stNrPedido", "0000000012_0000000015");
  options.set("stCliente", "");
  options.set("odd=name", "line one\nline two \\ back=slash ç");
  options.set("stNrPedido", "0000000099");  // replaces, keeps its place
  store.save("ANA", "PED00801", options);

  const OptionsList back = store.load("ANA", "PED00801");
  EXPECT_EQ(back.entries(), options.entries());
  EXPECT_EQ(back.get("stNrPedido"), "0000000099");
  EXPECT_FALSE(back.get("stProduto").has_value());
  EXPECT_TRUE(store.load("BETO", "PED00801").entries().empty());  // another operator
  EXPECT_TRUE(store.load("ANA", "PED00800").entries().empty());   // another screen

  OptionsList fewer;
  fewer.set("stVendedor", "0001");
  store.save("ANA", "PED00801", fewer);
  EXPECT_EQ(store.load("ANA", "PED00801").entries(), fewer.entries());
}

TEST(OptionsStore, CodesCannotLeaveTheFolderAndBadLinesAreSkipped) {
  TempFolder folder;
  const OptionsStore store(folder.path() / "opcoes");
  for (const char* hostile : {"../../etc", "/tmp/x", "", "..", "a/b"}) {
    const fs::path file = store.fileFor(hostile, "PED00801");
    const fs::path relative = fs::relative(file, folder.path() / "opcoes");
    EXPECT_FALSE(relative.empty()) << hostile;
    EXPECT_NE(*relative.begin(), "..") << hostile;
    EXPECT_EQ(std::distance(relative.begin(), relative.end()), 2) << hostile;
  }
  OptionsList one;
  one.set("a", "1");
  store.save("..", "PED00801", one);
  EXPECT_EQ(store.load("..", "PED00801").get("a"), "1");

  std::ofstream(store.fileFor("ANA", "X"), std::ios::trunc) << "sem igual\nb=2\n";
  EXPECT_FALSE(fs::exists(store.fileFor("ANA", "X")));  // the folder does not exist yet: nothing written
  fs::create_directories(store.fileFor("ANA", "X").parent_path());
  std::ofstream(store.fileFor("ANA", "X"), std::ios::trunc) << "sem igual\nb=2\n";
  EXPECT_EQ(store.load("ANA", "X").entries(), (std::vector<std::pair<std::string, std::string>>{{"b", "2"}}));
}

TEST(OptionsStore, AFolderThatCannotBeWrittenIsAClearError) {
  TempFolder folder;
  std::ofstream(folder.path() / "arquivo") << "x";  // a file where the folder should be
  const OptionsStore store(folder.path() / "arquivo");
  OptionsList one;
  one.set("a", "1");
  try {
    store.save("ANA", "PED00801", one);
    FAIL() << "saved into a file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Não foi possível gravar"), std::string::npos);
  }
}

}  // namespace
}  // namespace ped::hostlib
