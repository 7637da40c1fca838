#include "rpc/dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "rpc/call_log.h"
#include "rpc/json_writer.h"
#include "rpc/reply.h"

namespace ped::rpc {
namespace {

using testing::readBatch;
using testing::readReply;
using testing::request;

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() : dispatcher_(sessions_) {
    sessions_.add({"s1", "0042", "tok-1"});
    dispatcher_.add(
        "Login", 2,
        [](const CallContext& call, const Params& p) {
          EXPECT_EQ(call.session, nullptr);
          *call.operatorForLog = p.text(0);
          if (p.text(1) != "certa") throw MethodError("Senha inválida.");
          JsonWriter w;
          w.beginObject().key("token").string("tok-1").endObject();
          return w.take();
        },
        Access::Public);
    dispatcher_.add("WhoAmI", 0, [](const CallContext& call, const Params&) {
      JsonWriter w;
      w.beginObject().key("operator").string(call.session->operatorCode).key("method").string(call.method);
      return w.endObject().take();
    });
    dispatcher_.add("GetItem", 2, [](const CallContext&, const Params& p) {
      JsonWriter w;
      w.beginArray().string(p.text(0)).string(p.text(1)).endArray();
      return w.take();
    });
    dispatcher_.add("Types", 5, [](const CallContext&, const Params& p) {
      JsonWriter w;
      w.beginArray().string(p.text(0)).integer(p.integer(1)).number(p.number(2)).boolean(p.boolean(3));
      w.raw(p.packet(4)).endArray();
      return w.take();
    });
    dispatcher_.add("Echo", 1, [](const CallContext&, const Params& p) { return p.raw(0); });
    dispatcher_.add("IsNull", 1, [](const CallContext&, const Params& p) {
      return std::string(p.isNull(0) ? "true" : "false");
    });
    dispatcher_.add("Fail", 0, [](const CallContext&, const Params&) -> std::string {
      throw MethodError("Pedido \"12\" já liquidado pelo operador 0007.");
    });
    dispatcher_.add("Boom", 0, [](const CallContext&, const Params&) -> std::string {
      throw std::runtime_error("SQLITE_CORRUPT at /var/db/ped.db");
    });
    dispatcher_.add("Count", 0, [this](const CallContext&, const Params&) {
      ++counted_;
      return std::string("null");
    });
    dispatcher_.setCallSink([this](const CallRecord& r) {
      std::lock_guard lock(logMutex_);
      log_.push_back(callLogLine(r));
    });
  }

  testing::Reply call(const std::string& body, bool authenticated = true) {
    RequestContext context{authenticated ? std::optional<std::string>("tok-1") : std::nullopt, "127.0.0.1"};
    return readReply(dispatcher_.handle(body, context));
  }

  InMemorySessions sessions_;
  Dispatcher dispatcher_;
  std::atomic<int> counted_{0};
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

TEST_F(DispatcherTest, AnswersAValidCallWithItsIdAndResult) {
  auto r = call(request("GetItem", R"(["01","0000000012"])", R"("abc\"d")"));
  ASSERT_TRUE(r.valid);
  EXPECT_FALSE(r.isError) << r.message;
  EXPECT_EQ(r.id, R"("abc\"d")");
  EXPECT_EQ(r.result, R"(["01","0000000012"])");

  r = call(request("WhoAmI", "[]", "7"));
  EXPECT_EQ(r.id, "7");
  EXPECT_EQ(r.result, R"({"operator":"0042","method":"WhoAmI"})");
  // Absent params are an empty list.
  r = call(R"({"jsonrpc":"2.0","method":"WhoAmI","id":null})");
  EXPECT_EQ(r.id, "null");
  EXPECT_FALSE(r.isError);
}

TEST_F(DispatcherTest, MalformedJsonIsAParseErrorWithNullId) {
  for (const char* body : {"", "{", R"({"jsonrpc":"2.0",)", "[1,", R"({"a":})", "nul", "{} {}"}) {
    auto r = call(body);
    ASSERT_TRUE(r.valid) << body;
    EXPECT_EQ(r.code, -32700) << body;
    EXPECT_EQ(r.id, "null");
    EXPECT_EQ(r.message, "Requisição JSON malformada.") << body;
  }
  auto r = call(request("GetItem", "[\"01\",\"\xff\"]"));
  EXPECT_EQ(r.code, -32700);
  EXPECT_EQ(r.message, "Requisição com texto em UTF-8 inválido.");
}

TEST_F(DispatcherTest, DeepNestingIsRefusedCleanlyAndServingGoesOn) {
  constexpr int kLevels = 200000;
  const std::string arrays = std::string(kLevels, '[') + std::string(kLevels, ']');
  std::string objects;
  for (int i = 0; i < kLevels; ++i) objects += R"({"a":)";
  objects += "1" + std::string(kLevels, '}');
  const std::string inParams = request("Echo", "[" + arrays + "]");
  for (const std::string& body : {arrays, objects, inParams}) {
    auto r = call(body);
    ASSERT_TRUE(r.valid);
    EXPECT_EQ(r.code, -32700);
    EXPECT_NE(r.message.find("aninhamento profundo demais"), std::string::npos) << r.message;
  }
  EXPECT_FALSE(call(request("Echo", "[[[[1]]]]")).isError);
}

TEST_F(DispatcherTest, RequestsThatAreNotJsonRpcAreInvalid) {
  struct Case {
    const char* body;
    const char* id;
    const char* why;
  };
  const Case cases[] = {
      {R"({"jsonrpc":"1.0","method":"WhoAmI","id":3})", "3", R"(o campo "jsonrpc" deve ser "2.0".)"},
      {R"({"method":"WhoAmI","id":3})", "3", R"(o campo "jsonrpc" deve ser "2.0".)"},
      {R"({"jsonrpc":2.0,"method":"WhoAmI","id":3})", "3", R"(o campo "jsonrpc" deve ser "2.0".)"},
      {R"({"jsonrpc":"2.0","method":12,"id":3})", "3", R"(o campo "method" falta ou não é texto.)"},
      {R"({"jsonrpc":"2.0","id":3})", "3", R"(o campo "method" falta ou não é texto.)"},
      {R"({"jsonrpc":"2.0","method":"WhoAmI","params":"x","id":3})", "3",
       R"(o campo "params" deve ser uma lista.)"},
      {R"({"jsonrpc":"2.0","method":"WhoAmI","params":null,"id":3})", "3",
       R"(o campo "params" deve ser uma lista.)"},
      {R"({"jsonrpc":"2.0","method":"WhoAmI","id":{"a":1}})", "null",
       R"(o campo "id" deve ser número, texto ou null.)"},
      {R"({"jsonrpc":"2.0","method":"WhoAmI","id":[1]})", "null",
       R"(o campo "id" deve ser número, texto ou null.)"},
      {R"(42)", "null", "esperado um objeto."},
      {R"("WhoAmI")", "null", "esperado um objeto."},
      {R"([])", "null", "o lote de requisições está vazio."},
  };
  for (const Case& c : cases) {
    auto r = call(c.body);
    ASSERT_TRUE(r.valid) << c.body;
    EXPECT_EQ(r.code, -32600) << c.body;
    EXPECT_EQ(r.id, c.id) << c.body;
    EXPECT_EQ(r.message, std::string("Requisição JSON-RPC inválida: ") + c.why) << c.body;
  }
}

TEST_F(DispatcherTest, UnknownMethodAndWrongArityNameTheMethod) {
  auto r = call(request("Foo", "[]"));
  EXPECT_EQ(r.code, -32601);
  EXPECT_EQ(r.message, "Método desconhecido: Foo.");
  // Names are exact: no case folding.
  EXPECT_EQ(call(request("getitem", R"(["01","1"])")).code, -32601);

  r = call(request("GetItem", R"(["01","1","x"])"));
  EXPECT_EQ(r.code, -32602);
  EXPECT_EQ(r.message, "O método GetItem espera 2 parâmetros; recebeu 3.");
  r = call(R"({"jsonrpc":"2.0","method":"Echo","id":1})");
  EXPECT_EQ(r.message, "O método Echo espera 1 parâmetro; recebeu 0.");
  r = call(request("GetItem", R"({"filial":"01","pedido":"1"})"));
  EXPECT_EQ(r.code, -32602);
  EXPECT_EQ(r.message, "O método GetItem recebe os parâmetros por posição, numa lista.");
}

TEST_F(DispatcherTest, ParametersAreCheckedByTypeAndPosition) {
  const std::string packet = R"({"fields":[{"name":"A","type":"string","size":2}],"rows":[["x"],[null]]})";
  auto r = call(request("Types", R"(["t",12,3,false,)" + packet + "]"));
  ASSERT_FALSE(r.isError) << r.message;
  EXPECT_EQ(r.result, R"(["t",12,3,false,)" + packet + "]");

  struct Case {
    std::string params;
    const char* message;
  };
  const Case cases[] = {
      {R"([1,12,3,false,{}])", "Parâmetro 1 de Types: esperado texto."},
      {R"(["t",1.5,3,false,{}])", "Parâmetro 2 de Types: esperado número inteiro."},
      {R"(["t","12",3,false,{}])", "Parâmetro 2 de Types: esperado número inteiro."},
      {R"(["t",12e0,3,false,{}])", "Parâmetro 2 de Types: esperado número inteiro."},
      {R"(["t",18446744073709551615,3,false,{}])", "Parâmetro 2 de Types: esperado número inteiro."},
      {R"(["t",1180591620717411303424,3,false,{}])", "Parâmetro 2 de Types: esperado número inteiro."},
      {R"(["t",-99999999999999999999,3,false,{}])", "Parâmetro 2 de Types: esperado número inteiro."},
      {R"([11805916207174113034240,12,3,false,{}])", "Parâmetro 1 de Types: esperado texto."},
      {R"(["a\u0000b",12,3,false,{}])", "Parâmetro 1 de Types: esperado texto sem caractere nulo (U+0000)."},
      {R"(["t",12,3,false,{"rows":[["x\u0000"]]}])",
       "Parâmetro 5 de Types: esperado pacote sem caractere nulo (U+0000) nos textos."},
      {R"(["t",12,"3",false,{}])", "Parâmetro 3 de Types: esperado número."},
      {R"(["t",12,3,0,{}])", "Parâmetro 4 de Types: esperado lógico."},
      {R"(["t",12,3,false,[]])", "Parâmetro 5 de Types: esperado pacote (objeto JSON)."},
      {R"(["t",12,3,false,null])", "Parâmetro 5 de Types: esperado pacote (objeto JSON)."},
  };
  for (const Case& c : cases) {
    r = call(request("Types", c.params));
    EXPECT_EQ(r.code, -32602) << c.params;
    EXPECT_EQ(r.message, c.message) << c.params;
  }
  EXPECT_EQ(call(request("IsNull", "[null]")).result, "true");
  EXPECT_EQ(call(request("IsNull", "[\"\"]")).result, "false");
  // A text with escapes comes to the method unescaped, and goes back escaped.
  EXPECT_EQ(call(request("Echo", R"(["a\"b\\c\u00e7\n"])")).result, R"("a\"b\\cç\n")");
  // A big number as a number is taken as one; digits inside a text stay a text.
  EXPECT_EQ(call(request("Echo", "[12345678901234567890123]")).result, "1.2345678901234568e+22");
  EXPECT_EQ(call(request("Types", R"(["\"99999999999999999999999",1,1,false,{"a":"\\u0000"}])")).result,
            R"(["\"99999999999999999999999",1,1,false,{"a":"\\u0000"}])");
  EXPECT_EQ(call(request("GetItem", R"(["99999999999999999999999","x\\u0000"])")).result,
            R"(["99999999999999999999999","x\\u0000"])");
}

TEST_F(DispatcherTest, LargePacketsArriveWhole) {
  std::string rows;
  for (int i = 0; i < 5000; ++i) {
    if (i) rows += ',';
    rows += "[\"" + std::to_string(i) + "\",\"Razão social número " + std::to_string(i) + "\"]";
  }
  const std::string packet = R"({"fields":[],"rows":[)" + rows + "]}";
  ASSERT_GT(packet.size(), 100000u);
  auto r = call(request("Echo", "[" + packet + "]"));
  ASSERT_FALSE(r.isError) << r.message;
  EXPECT_EQ(r.result, packet);
  // The next small call (on the thread's own parser) is unaffected.
  EXPECT_EQ(call(request("Echo", "[5]")).result, "5");
}

TEST_F(DispatcherTest, SessionMethodsNeedAValidToken) {
  auto r = call(request("WhoAmI", "[]"), /*authenticated=*/false);
  EXPECT_EQ(r.code, -32001);
  EXPECT_EQ(r.message, "Sessão inválida ou expirada. Entre novamente.");

  RequestContext wrong{std::string("tok-other"), "127.0.0.1"};
  EXPECT_EQ(readReply(dispatcher_.handle(request("WhoAmI", "[]"), wrong)).code, -32001);
  RequestContext empty{std::string(), "127.0.0.1"};
  EXPECT_EQ(readReply(dispatcher_.handle(request("WhoAmI", "[]"), empty)).code, -32001);

  // Login needs none, and its own failure passes through.
  r = call(request("Login", R"(["0042","certa"])"), false);
  EXPECT_EQ(r.result, R"({"token":"tok-1"})");
  r = call(request("Login", R"(["0042","errada"])"), false);
  EXPECT_EQ(r.code, -32000);
  EXPECT_EQ(r.message, "Senha inválida.");

  sessions_.remove("tok-1");
  EXPECT_EQ(call(request("WhoAmI", "[]")).code, -32001);
}

TEST_F(DispatcherTest, ResolverFailureIsInternalNotAnAuthenticationError) {
  struct BrokenSessions : SessionResolver {
    std::optional<Session> resolve(std::string_view) override {
      throw std::runtime_error("database is locked");
    }
  } broken;
  Dispatcher d(broken);
  d.add("WhoAmI", 0, [](const CallContext&, const Params&) { return std::string("1"); });
  auto r = readReply(d.handle(request("WhoAmI", "[]"), {std::string("tok-1"), "x"}));
  EXPECT_EQ(r.code, -32603);
  EXPECT_EQ(r.message.find("locked"), std::string::npos);
}

TEST_F(DispatcherTest, MethodFailuresReachTheOperatorVerbatim) {
  auto r = call(request("Fail", "[]", "9"));
  EXPECT_EQ(r.id, "9");
  EXPECT_EQ(r.code, -32000);
  EXPECT_EQ(r.message, "Pedido \"12\" já liquidado pelo operador 0007.");

  Dispatcher d(sessions_);
  d.add(
      "Expire", 0,
      [](const CallContext&, const Params&) -> std::string {
        throw MethodError("Sua sessão terminou.", error_code::kNotAuthenticated);
      },
      Access::Public);
  r = readReply(d.handle(request("Expire", "[]"), {}));
  EXPECT_EQ(r.code, -32001);
  EXPECT_EQ(r.message, "Sua sessão terminou.");
}

TEST_F(DispatcherTest, AnExceptionInAMethodIsAnInternalErrorThatLeaksNothing) {
  auto r = call(request("Boom", "[]", "4"));
  EXPECT_EQ(r.id, "4");
  EXPECT_EQ(r.code, -32603);
  EXPECT_EQ(r.message,
            "Erro interno no servidor de aplicação. A ocorrência foi registrada; tente novamente.");
  ASSERT_FALSE(log_.empty());
  EXPECT_NE(log_.back().find(R"("detail":"SQLITE_CORRUPT at /var/db/ped.db")"), std::string::npos)
      << log_.back();
  EXPECT_EQ(call(request("GetItem", R"(["01","2"])")).result, R"(["01","2"])");
}

TEST_F(DispatcherTest, NotificationsRunButAreNotAnswered) {
  const RequestContext ctx{std::string("tok-1"), "127.0.0.1"};
  EXPECT_EQ(dispatcher_.handle(R"({"jsonrpc":"2.0","method":"Count","params":[]})", ctx), "");
  EXPECT_EQ(counted_, 1);
  // Failing notifications are not answered either...
  EXPECT_EQ(dispatcher_.handle(R"({"jsonrpc":"2.0","method":"Foo"})", ctx), "");
  EXPECT_EQ(dispatcher_.handle(R"({"jsonrpc":"2.0","method":"Boom"})", ctx), "");
  // ...unless they are not valid requests at all.
  EXPECT_EQ(readReply(dispatcher_.handle(R"({"jsonrpc":"1.0","method":"Count"})", ctx)).code, -32600);
  EXPECT_EQ(counted_, 1);
}

TEST_F(DispatcherTest, BatchesAnswerEachRequestInOrder) {
  const std::string batch = "[" + request("GetItem", R"(["01","1"])", "1") + "," +
                            R"({"jsonrpc":"2.0","method":"Count"})" + ",5," + request("Foo", "[]", "\"b\"") +
                            "," + request("Fail", "[]", "3") + "]";
  const auto replies = readBatch(dispatcher_.handle(batch, {std::string("tok-1"), "127.0.0.1"}));
  ASSERT_EQ(replies.size(), 4u);
  EXPECT_EQ(replies[0].id, "1");
  EXPECT_EQ(replies[0].result, R"(["01","1"])");
  EXPECT_EQ(replies[1].id, "null");
  EXPECT_EQ(replies[1].code, -32600);
  EXPECT_EQ(replies[2].id, R"("b")");
  EXPECT_EQ(replies[2].code, -32601);
  EXPECT_EQ(replies[3].id, "3");
  EXPECT_EQ(replies[3].code, -32000);
  EXPECT_EQ(counted_, 1);

  const std::string notifications =
      R"([{"jsonrpc":"2.0","method":"Count"},{"jsonrpc":"2.0","method":"Count"}])";
  EXPECT_EQ(dispatcher_.handle(notifications, {std::string("tok-1"), ""}), "");
  EXPECT_EQ(counted_, 3);
}

TEST_F(DispatcherTest, BatchesAreBoundedNeedASessionAndAreRefusedWithOneLine) {
  const RequestContext anonymous{std::nullopt, "10.0.0.9"};
  const RequestContext known{std::string("tok-1"), "10.0.0.9"};
  std::string counts = "[";
  for (int i = 0; i < 64; ++i)
    counts += std::string(i ? "," : "") + request("Count", "[]", std::to_string(i));
  counts += "]";

  // Without a session even a flood of junk gets one short answer and one line.
  std::string junk = "[1";
  for (int i = 0; i < 200000; ++i) junk += ",1";
  junk += "]";
  for (const auto& [body, code] : {std::pair{junk, -32600}, std::pair{counts, -32001}}) {
    log_.clear();
    const auto reply = readReply(dispatcher_.handle(body, anonymous));
    EXPECT_EQ(reply.code, code);
    EXPECT_EQ(reply.id, "null");
    EXPECT_EQ(log_.size(), 1u);
  }
  EXPECT_EQ(counted_, 0);

  // One call over the limit refuses the batch whole, unrun.
  log_.clear();
  const std::string tooMany = counts.substr(0, counts.size() - 1) + "," + request("Count", "[]", "64") + "]";
  const auto refused = readReply(dispatcher_.handle(tooMany, known));
  EXPECT_EQ(refused.code, -32600);
  EXPECT_NE(refused.message.find("64 chamadas"), std::string::npos) << refused.message;
  EXPECT_EQ(log_.size(), 1u);
  EXPECT_EQ(counted_, 0);
  EXPECT_EQ(readBatch(dispatcher_.handle(counts, known)).size(), 64u);
  EXPECT_EQ(counted_, 64);

  // Log-in, memory-hard on the server, never rides in a batch.
  const auto mixed = readBatch(dispatcher_.handle(
      "[" + request("Login", R"(["0042","certa"])", "1") + "," + request("WhoAmI", "[]", "2") + "]", known));
  ASSERT_EQ(mixed.size(), 2u);
  EXPECT_EQ(mixed[0].code, -32600);
  EXPECT_NE(mixed[0].message.find("fora de um lote"), std::string::npos) << mixed[0].message;
  EXPECT_EQ(mixed[1].result, R"({"operator":"0042","method":"WhoAmI"})");
}

TEST(DispatcherLimitsTest, AnswersPastTheLimitAreRefusedAndTheRestOfTheBatchIsNotRun) {
  InMemorySessions sessions;
  sessions.add({"s1", "0042", "tok-1"});
  Dispatcher d(sessions, {.maxBatchCalls = 8, .maxAnswerBytes = 1000});
  int runs = 0;
  d.add("Echo", 1, [&runs](const CallContext&, const Params& p) {
    ++runs;
    return p.raw(0);
  });
  const RequestContext ctx{std::string("tok-1"), ""};
  const std::string big = "\"" + std::string(1200, 'x') + "\"";
  const auto alone = readReply(d.handle(request("Echo", "[" + big + "]"), ctx));
  EXPECT_EQ(alone.code, -32000);
  EXPECT_NE(alone.message.find("limite de 0 MiB"), std::string::npos) << alone.message;

  const std::string half = "\"" + std::string(600, 'y') + "\"";
  const auto replies = readBatch(d.handle("[" + request("Echo", "[" + half + "]", "1") + "," +
                                              request("Echo", "[" + half + "]", "2") + "," +
                                              request("Echo", "[" + half + "]", "3") + "]",
                                          ctx));
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_FALSE(replies[0].isError);
  EXPECT_FALSE(replies[1].isError);
  EXPECT_EQ(replies[2].code, -32000);
  EXPECT_NE(replies[2].message.find("não executada"), std::string::npos) << replies[2].message;
  EXPECT_EQ(runs, 1 + 2);
}

TEST_F(DispatcherTest, TheCallLogHasOutcomesButNeverParameters) {
  call(request("Login", R"(["0042","segredo-\"x"])"), false);
  call(request("WhoAmI", "[]"));
  call(request("GetItem", "[1,2]"));
  call("{");
  ASSERT_EQ(log_.size(), 4u);
  EXPECT_EQ(log_[0].find("segredo"), std::string::npos);
  EXPECT_NE(log_[0].find(R"("method":"Login","operator":"0042","peer":"127.0.0.1")"), std::string::npos)
      << log_[0];
  EXPECT_NE(log_[0].find(R"("outcome":"error","code":-32000})"), std::string::npos) << log_[0];
  EXPECT_NE(log_[1].find(R"("method":"WhoAmI","operator":"0042")"), std::string::npos) << log_[1];
  EXPECT_NE(log_[1].find(R"("outcome":"ok"})"), std::string::npos) << log_[1];
  EXPECT_NE(log_[2].find(R"("code":-32602)"), std::string::npos) << log_[2];
  EXPECT_NE(log_[3].find(R"({"method":"","operator":"")"), std::string::npos) << log_[3];
  for (const auto& line : log_) EXPECT_TRUE(readReply(line).id.empty()) << "not one JSON object: " << line;
}

TEST_F(DispatcherTest, ServesManyThreadsAtOnce) {
  constexpr int kThreads = 4, kCalls = 500;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const RequestContext ctx{std::string("tok-1"), "127.0.0.1"};
      for (int i = 0; i < kCalls; ++i) {
        const std::string item = std::to_string(t * kCalls + i);
        auto r = readReply(dispatcher_.handle(request("GetItem", "[\"01\",\"" + item + "\"]", item), ctx));
        if (r.id != item || r.result != "[\"01\",\"" + item + "\"]") ++wrong;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
}

TEST(DispatcherRegistry, RefusesDuplicateNamesAndNegativeArity) {
  InMemorySessions sessions;
  Dispatcher d(sessions);
  auto handler = [](const CallContext&, const Params&) { return std::string("null"); };
  d.add("GetItem", 2, handler);
  EXPECT_THROW(d.add("GetItem", 1, handler), std::invalid_argument);
  EXPECT_THROW(d.add("Other", -1, handler), std::invalid_argument);
}

}  // namespace
}  // namespace ped::rpc
