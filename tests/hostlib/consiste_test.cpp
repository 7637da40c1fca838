// Messages, error-with-abort and the code helpers, driven through the
// scripted dialogs as a screen would use them.

#include "hostlib/consiste.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "hostlib/messages.h"
#include "hostlib/remote_result.h"
#include "support/scripted_host.h"

namespace ped::hostlib {
namespace {

using Shown = std::vector<std::string>;

TEST(MensErro, ShowsTheBoxThenAbortsOnlyWhenAsked) {
  ScriptedHost dialogs;
  bool cleanedUp = false;
  try {
    struct Guard {
      bool& flag;
      ~Guard() { flag = true; }
    } guard{cleanedUp};
    consiste::MensErro(dialogs, "Filial não cadastrada.", true);
    FAIL() << "no abort";
  } catch (const Abort&) {
  }
  EXPECT_TRUE(cleanedUp);
  consiste::MensErro(dialogs, "Aviso", false);  // returns
  EXPECT_EQ(dialogs.take(), (Shown{"erro: Filial não cadastrada.", "erro: Aviso"}));
}

TEST(TMessages, TextsByKeyAndQuestionsAnsweredByTheOperator) {
  const TMessages msgs{"Excl|Confirma exclusão?", "Filial|Filial não cadastrada.", "Vazia|"};
  EXPECT_EQ(msgs.Msg("Filial"), "Filial não cadastrada.");
  EXPECT_EQ(msgs.Msg("Vazia"), "");
  EXPECT_EQ(msgs.entries().front().first, "Excl");  // stored order kept

  try {
    msgs.Msg("Nada");
    FAIL() << "unknown key accepted";
  } catch (const std::out_of_range& e) {
    EXPECT_NE(std::string(e.what()).find("Nada"), std::string::npos);
  }
  EXPECT_THROW((TMessages{"a|1", "a|2"}), std::invalid_argument);
  EXPECT_THROW((TMessages{"sem barra"}), std::invalid_argument);

  ScriptedHost dialogs;
  dialogs.answer(false);
  dialogs.answer(true);
  EXPECT_FALSE(msgs.ShowMsg("Excl", dialogs));
  EXPECT_TRUE(msgs.ShowMsg("Excl", dialogs));
  EXPECT_EQ(dialogs.take(),
            (Shown{"pergunta: Confirma exclusão? -> Não", "pergunta: Confirma exclusão? -> Sim"}));
  EXPECT_THROW(msgs.ShowMsg("Excl", dialogs), std::logic_error);  // the script ran out of answers
}

TEST(CheckResultServ, GivesThePayloadOrShowsTheFailureAndAborts) {
  ScriptedHost host;
  const RemoteResult one = RemoteResult::packet(R"({"fields":[],"rows":[]})");
  EXPECT_EQ(consiste::CheckResultServ(host, one, true, 0).at(0), one.packets[0]);
  const RemoteResult many = RemoteResult::packetArray({std::string("[0]"), std::nullopt});
  const RemoteResult& payload = consiste::CheckResultServ(host, many, true);
  EXPECT_TRUE(payload.array);
  EXPECT_EQ(payload.at(0), std::string("[0]"));
  EXPECT_FALSE(payload.at(1).has_value());  // a null element
  EXPECT_FALSE(payload.at(7).has_value());  // past the end
  EXPECT_TRUE(host.take().empty());

  const RemoteResult down = RemoteResult::failure("Servidor de aplicação indisponível.");
  EXPECT_THROW(consiste::CheckResultServ(host, down, true), Abort);
  const RemoteResult& none = consiste::CheckResultServ(host, down, false);
  EXPECT_FALSE(none.at(0).has_value());
  EXPECT_EQ(host.take(), (Shown{"erro: Servidor de aplicação indisponível.",
                                "erro: Servidor de aplicação indisponível."}));
}

TEST(Consiste, EmptyStringSeesNoValueInBlanksAndMaskLiterals) {
  for (const char* empty : {"", "    ", "\t", "__.__.___", "  /  /    ", "___.___.___-__"})
    EXPECT_TRUE(consiste::EmptyString(empty)) << empty;
  for (const char* value : {"1", " a ", "__.1_.___", "ç", "0"})
    EXPECT_FALSE(consiste::EmptyString(value)) << value;
}

}  // namespace
}  // namespace ped::hostlib
